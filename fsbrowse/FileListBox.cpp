#include "fsbrowse/FileListBox.h"

#include "fsbrowse/DirectoryListBox.h"
#include "fsbrowse/DriveComboBox.h"
#include "fsbrowse/FileCtrl.h"
#include "platform/paths/CurrentDir.h"
#include "platform/paths/FileSystem.h"
#include "platform/paths/Volumes.h"
#include "platform/services/Exceptions.h"

#include <QGuiApplication>
#include <QPainter>
#include <algorithm>

using namespace FileCtrl;

namespace {

uint32_t AttributesOf(uint8_t fileType)
{
    static const std::pair<uint8_t, uint32_t> map[] = {
        {ftReadOnly, faReadOnly}, {ftHidden, faHidden},       {ftSystem, faSystem},
        {ftVolumeID, faVolumeID}, {ftDirectory, faDirectory}, {ftArchive, faArchive},
    };
    uint32_t attributes = 0;
    for (const auto& [member, attribute] : map)
        if (fileType & member)
            attributes |= attribute;
    return attributes;
}

bool IsExecutableName(const std::string& name)
{
    const auto dot = name.find_last_of('.');
    if (dot == std::string::npos)
        return false;
    const std::string extension = LowerText(name.substr(dot));
    return extension == ".exe" || extension == ".com" || extension == ".bat" || extension == ".pif";
}

std::vector<std::string> SplitMask(const std::string& mask)
{
    std::vector<std::string> patterns;
    size_t start = 0;
    for (;;) {
        const size_t end = mask.find(';', start);
        patterns.push_back(mask.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return patterns;
        start = end + 1;
    }
}

// The busy cursor of a listing: on once more than Threshold entries have been read (a long folder
// or a slow share), off again when the scope ends, whether the lines were shown or the listing
// failed.
class BusyCursor
{
public:
    static constexpr int Threshold = 100;

    void EntryRead()
    {
        if (++m_Read != Threshold + 1 ||
            qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
            return;
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        m_Shown = true;
    }
    ~BusyCursor()
    {
        if (m_Shown)
            QGuiApplication::restoreOverrideCursor();
    }

private:
    int m_Read = 0;
    bool m_Shown = false;
};

} // namespace

TFileListBox::TFileListBox(QWidget* parent) : TCustomListBox(parent)
{
    m_Glyphs[GlyphExecutable] = LoadGlyph("executable");
    m_Glyphs[GlyphFolder] = LoadGlyph("closedfolder");
    m_Glyphs[GlyphUnknown] = LoadGlyph("unknownfile");
    m_Directory = CurrentDir::Get();
    ResetItemHeight();
}

TDirectoryListBox* TFileListBox::DirList() const
{
    return m_DirList;
}

void TFileListBox::SetDirListLink(TDirectoryListBox* list)
{
    m_DirList = list;
}

void TFileListBox::ResetItemHeight()
{
    int height = FontLineHeight(font());
    const int glyphHeight = m_Glyphs[GlyphExecutable].height() + 1;
    if (m_ShowGlyphs && height < glyphHeight)
        height = glyphHeight;
    ApplyItemHeight(height);
}

void TFileListBox::CreateWnd()
{
    ListFiles();
}

std::vector<ListLine> TFileListBox::FindLines(const std::function<void()>& entryRead) const
{
    const uint32_t include = AttributesOf(m_FileType);
    std::vector<ListLine> lines;
    std::vector<FileSystem::FoundEntry> found;
    for (const std::string& pattern : SplitMask(m_Mask)) {
        // An empty pattern matches nothing; an unreadable directory lists nothing.
        if (pattern.empty() || FileSystem::FindFiles(m_Directory, pattern, include, found, entryRead) != 0)
            continue;
        for (const auto& entry : found) {
            if ((m_FileType & ftNormal) == 0 && (entry.Attributes & include) == 0)
                continue;
            if (entry.Attributes & faDirectory)
                lines.push_back({"[" + entry.Name + "]", m_ShowGlyphs ? int(GlyphFolder) : -1});
            else
                lines.push_back(
                    {entry.Name, IsExecutableName(entry.Name) ? int(GlyphExecutable) : int(GlyphUnknown)});
        }
    }
    return lines;
}

void TFileListBox::ListFiles()
{
    if (!WindowExists())
        return;
    MakeCurrent(m_Directory);
    {
        BusyCursor busy;
        std::vector<ListLine> lines = FindLines([&busy] { busy.EntryRead(); });
        std::vector<std::string_view> names;
        names.reserve(lines.size());
        for (const ListLine& line : lines)
            names.push_back(line.Text);
        std::vector<ListLine> sorted;
        sorted.reserve(lines.size());
        for (const size_t i : SortedOrder(names))
            sorted.push_back(std::move(lines[i]));
        SetLines(std::move(sorted));
    }
    NotifyChange();
}

bool TFileListBox::SameText(const std::string& a, const std::string& b) const
{
    // Names that differ only in case are different files on a case-sensitive volume.
    // The drive letter never counts.
    const auto flags = Volumes::GetCaseFlags(DrivePart(m_Directory) + "\\");
    if (!flags || !flags->CaseSensitive)
        return LowerText(a) == LowerText(b);
    const std::string driveA = DrivePart(a), driveB = DrivePart(b);
    return LowerText(driveA) == LowerText(driveB) &&
           a.compare(driveA.size(), std::string::npos, b, driveB.size()) == 0;
}

void TFileListBox::SetDirectory(const std::string& newDirectory)
{
    if (SameText(newDirectory, m_Directory))
        return;
    if (DirExists(m_Directory))
        MakeCurrent(m_Directory);
    MakeCurrent(newDirectory);
    m_Directory = CurrentDir::Get();
    ListFiles();
}

void TFileListBox::ApplyPath(const std::string& text)
{
    if (text.empty() || SameText(text, SelectedPath()))
        return;
    const SplitResult parts = SplitPath(text);
    if (m_DirList)
        m_DirList->SetDirectory(text);
    else if (parts.Drive != 0)
        SetDirectory(std::string(1, parts.Drive) + ":" + parts.Dir);
    else
        SetDirectory(parts.Dir);
    const std::string& file = parts.File;
    if (file.find_first_of("*?") != std::string::npos) {
        SetMask(file);
        return;
    }
    if (file.empty())
        return;
    SetFileName(file);
    if (!FileSystem::FileExists(file))
        throw EInvalidOperation("Nom de fichier incorrect - " + text);
    if (GetFileName().empty()) {
        SetMask(file);
        SetFileName(file);
    }
}

void TFileListBox::SetMask(const std::string& mask)
{
    if (mask == m_Mask)
        return;
    m_Mask = mask;
    ListFiles();
}

void TFileListBox::SetFileType(uint8_t fileType)
{
    if (fileType == m_FileType)
        return;
    m_FileType = fileType;
    ListFiles();
}

void TFileListBox::SetShowGlyphs(bool show)
{
    if (show == m_ShowGlyphs)
        return;
    m_ShowGlyphs = show;
    if (show && m_Glyphs[GlyphExecutable].height() + 1 > ItemHeight())
        ResetItemHeight();
    viewport()->update();
}

std::string TFileListBox::GetFileName() const
{
    const int index = ItemIndex();
    return index >= 0 ? Item(index) : std::string();
}

std::string TFileListBox::SelectedPath() const
{
    const std::string name = GetFileName();
    return name.empty() ? std::string() : JoinPath(m_Directory, name);
}

void TFileListBox::SetFileName(const std::string& name)
{
    if (SameText(name, GetFileName()))
        return;
    // The search starts at the second line and wraps to the first. A line that is exactly the
    // name wins over one that differs only in case, which may be another file on this volume.
    const int count = Count();
    int found = -1;
    for (int step = 0; step < count && found < 0; ++step) {
        const int i = (step + 1) % count;
        if (Item(i) == name)
            found = i;
    }
    for (int step = 0; step < count && found < 0; ++step) {
        const int i = (step + 1) % count;
        if (LowerText(Item(i)) == LowerText(name))
            found = i;
    }
    SetItemIndex(found);
    NotifyChange();
}

void TFileListBox::AfterUserSelection()
{
    if (ItemIndex() != m_LastSelection)
        NotifyChange();
}

void TFileListBox::NotifyChange()
{
    m_LastSelection = ItemIndex();
    emit OnChange();
}

void TFileListBox::DrawLine(QPainter& painter, int row, const QRect& rect, bool selected) const
{
    FillLine(painter, rect, selected);
    int offset = 2;
    const int glyph = Lines()[size_t(row)].Glyph;
    if (m_ShowGlyphs && glyph >= 0)
        offset += DrawLineGlyph(painter, rect, offset, m_Glyphs[glyph]) + 4;
    DrawLineText(painter, rect, offset, DisplayText(Lines()[size_t(row)].Text), Qt::AlignTop);
}
