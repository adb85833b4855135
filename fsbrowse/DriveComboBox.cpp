#include "fsbrowse/DriveComboBox.h"

#include "fsbrowse/DirectoryListBox.h"
#include "fsbrowse/FileCtrl.h"
#include "fsbrowse/FileListBox.h"
#include "fsbrowse/ListLines.h"
#include "platform/components/Application.h"
#include "platform/paths/CurrentDir.h"
#include "platform/paths/Drives.h"
#include "platform/paths/TextPath.h"
#include "platform/paths/Volumes.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStylePainter>
#include <QStyledItemDelegate>

using namespace FileCtrl;

namespace {

constexpr int GlyphRole = Qt::UserRole;
constexpr int BytesRole = Qt::UserRole + 1;

// The drop-down's lines, painted by the drive list itself.
class DriveLineDelegate : public QStyledItemDelegate
{
public:
    explicit DriveLineDelegate(TDriveComboBox* owner) : QStyledItemDelegate(owner), m_Owner(owner) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        painter->save();
        m_Owner->DrawLine(*painter, index.row(), option.rect, (option.state & QStyle::State_Selected) != 0);
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        return {option.rect.width(), m_Owner->ItemHeight()};
    }

private:
    TDriveComboBox* m_Owner;
};

} // namespace

TDriveComboBox::TDriveComboBox(QWidget* parent) : QComboBox(parent)
{
    static const char* const names[GlyphCount] = {"floppy", "hard", "network", "cdrom", "ram"};
    for (int i = 0; i < GlyphCount; ++i)
        m_Glyphs[i] = LoadGlyph(names[i]);
    setEditable(false);
    setItemDelegate(new DriveLineDelegate(this));
    const std::string current = CurrentDir::Get();
    m_Drive = (current.empty() || current[0] == '\\') ? char(0) : current[0];
    ResetItemHeight();
    connect(this, qOverload<int>(&QComboBox::activated), this, &TDriveComboBox::UserChoice);
}

TDriveComboBox::~TDriveComboBox()
{
    if (m_DirList)
        m_DirList->SetDriveListLink(nullptr);
}

TDirectoryListBox* TDriveComboBox::DirList() const
{
    return m_DirList;
}

std::string TDriveComboBox::Item(int i) const
{
    if (i < 0 || i >= count())
        return {};
    return itemData(i, BytesRole).toByteArray().toStdString();
}

std::string TDriveComboBox::VolumeLabelText(char letter)
{
    std::string label = Volumes::GetVolumeLabel(std::string(1, letter) + ":\\").value_or(std::string());
    label = (letter >= 'A' && letter <= 'Z') ? UpperText(label) : LowerText(label);
    return "[" + label + "]";
}

std::string TDriveComboBox::RemoteNameText(char letter)
{
    const auto remote = Volumes::GetRemoteName(std::string(1, TextPath::AsciiUpper(letter)) + ":");
    if (!remote)
        return VolumeLabelText(letter);
    return (letter >= 'A' && letter <= 'Z') ? UpperText(*remote) : LowerText(*remote);
}

void TDriveComboBox::AddLine(const std::string& text, int glyph)
{
    addItem(DisplayText(text));
    setItemData(count() - 1, glyph, GlyphRole);
    setItemData(count() - 1, QByteArray::fromStdString(text), BytesRole);
}

void TDriveComboBox::BuildLines()
{
    clear();
    const uint32_t present = DriveTable::Current().LogicalDrives();
    for (int n = 0; n < 26; ++n) {
        if ((present & (1u << n)) == 0)
            continue;
        char letter = char('a' + n);
        const DriveKind kind = GetDriveKind(std::string(1, letter) + ":\\");
        if (m_TextCase == tcUpperCase)
            letter = TextPath::AsciiUpper(letter);
        const std::string prefix = std::string(1, letter) + ": ";
        switch (kind) {
        case DriveKind::Removable:
            AddLine(std::string(1, letter) + ":", GlyphFloppy);
            break;
        case DriveKind::Fixed:
            AddLine(prefix + VolumeLabelText(letter), GlyphFixed);
            break;
        case DriveKind::Remote:
            AddLine(prefix + RemoteNameText(letter), GlyphNetwork);
            break;
        case DriveKind::CDRom:
            AddLine(prefix + VolumeLabelText(letter), GlyphCDROM);
            break;
        case DriveKind::RamDisk:
            AddLine(prefix + VolumeLabelText(letter), GlyphRAM);
            break;
        default:
            break;
        }
    }
    setCurrentIndex(-1); // the list selects its first line by itself: no line is chosen yet
}

void TDriveComboBox::SetDrive(char letter)
{
    if (currentIndex() >= 0 && TextPath::AsciiLower(letter) == TextPath::AsciiLower(m_Drive))
        return;
    if (letter == 0) {
        m_Drive = 0;
        setCurrentIndex(-1);
    } else {
        m_Drive = m_TextCase == tcUpperCase ? TextPath::AsciiUpper(letter) : TextPath::AsciiLower(letter);
        for (int i = 0; i < count(); ++i) {
            const std::string text = Item(i);
            if (text.size() >= 2 && TextPath::AsciiLower(text[0]) == TextPath::AsciiLower(m_Drive) &&
                text[1] == ':') {
                setCurrentIndex(i);
                break;
            }
        }
    }
    if (m_DirList)
        m_DirList->DriveChange(m_Drive);
    emit OnChange();
}

void TDriveComboBox::SetTextCase(TTextCase textCase)
{
    m_TextCase = textCase;
    const char drive = m_Drive;
    BuildLines();
    SetDrive(drive);
}

void TDriveComboBox::SetDirList(TDirectoryListBox* list)
{
    if (m_DirList)
        m_DirList->SetDriveListLink(nullptr);
    m_DirList = list;
    if (list)
        list->SetDriveListLink(this);
}

void TDriveComboBox::UserChoice(int index)
{
    // One handler: an error raised by the first OnChange stops the rest of the choice.
    RunHandler([this, index] {
        emit OnClick();
        const std::string text = Item(index);
        if (index >= 0 && !text.empty())
            SetDrive(text[0]);
        emit OnChange();
    });
}

void TDriveComboBox::CreateWindow()
{
    if (m_WindowExists)
        return;
    m_WindowExists = true;
    BuildLines();
    SetDrive(m_Drive);
}

void TDriveComboBox::ResetItemHeight()
{
    m_ItemHeight = std::max(FontLineHeight(font()), m_Glyphs[GlyphFloppy].height());
}

void TDriveComboBox::showEvent(QShowEvent* event)
{
    QComboBox::showEvent(event);
    if (!m_WindowExists)
        RunHandler([this] { CreateWindow(); });
}

void TDriveComboBox::changeEvent(QEvent* event)
{
    QComboBox::changeEvent(event);
    if (event->type() != QEvent::FontChange)
        return;
    ResetItemHeight();
    // After the window exists a new font re-creates it, and with it the lines.
    if (m_WindowExists)
        RunHandler([this] {
            BuildLines();
            SetDrive(m_Drive);
        });
}

void TDriveComboBox::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    if (currentIndex() < 0)
        return;
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    DrawLine(painter, currentIndex(), field, hasFocus());
}

void TDriveComboBox::DrawLine(QPainter& painter, int i, const QRect& rect, bool selected) const
{
    painter.fillRect(rect, selected ? palette().highlight() : palette().base());
    painter.setPen(selected ? palette().highlightedText().color() : palette().text().color());
    painter.setFont(font());
    int glyphWidth = 16;
    const QVariant glyph = itemData(i, GlyphRole);
    if (glyph.isValid() && glyph.toInt() >= 0 && glyph.toInt() < GlyphCount)
        glyphWidth = DrawLineGlyph(painter, rect, 2, m_Glyphs[glyph.toInt()]);
    // Plain text: "&" is drawn as itself.
    DrawLineText(painter, rect, glyphWidth + 6, DisplayText(Item(i)), Qt::AlignVCenter);
}
