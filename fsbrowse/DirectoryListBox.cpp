#include "fsbrowse/DirectoryListBox.h"

#include "fsbrowse/DriveComboBox.h"
#include "fsbrowse/FileCtrl.h"
#include "fsbrowse/FileListBox.h"
#include "platform/components/Label.h"
#include "platform/components/ScopedFlag.h"
#include "platform/paths/CurrentDir.h"
#include "platform/paths/FileSystem.h"
#include "platform/paths/Volumes.h"

#include <QPainter>
#include <algorithm>

using namespace FileCtrl;

TDirectoryListBox::TDirectoryListBox(QWidget* parent) : TCustomListBox(parent)
{
    m_Glyphs[GlyphClosed] = LoadGlyph("closedfolder");
    m_Glyphs[GlyphOpen] = LoadGlyph("openfolder");
    m_Glyphs[GlyphCurrent] = LoadGlyph("currentfolder");
    m_Directory = CurrentDir::Get();
    ResetItemHeight();
}

TDirectoryListBox::~TDirectoryListBox()
{
    if (m_FileList)
        m_FileList->SetDirListLink(nullptr);
}

TFileListBox* TDirectoryListBox::FileList() const
{
    return m_FileList;
}

TDriveComboBox* TDirectoryListBox::DriveList() const
{
    return m_DriveList;
}

void TDirectoryListBox::SetDriveListLink(TDriveComboBox* list)
{
    m_DriveList = list;
}

void TDirectoryListBox::ResetItemHeight()
{
    ApplyItemHeight(std::max(FontLineHeight(font()), m_Glyphs[GlyphOpen].height() + 1));
}

void TDirectoryListBox::CreateWnd()
{
    BuildLines();
    SetItemIndex(BackslashCount(m_Directory));
}

int TDirectoryListBox::AddPathLines(std::vector<ListLine>& lines) const
{
    const std::string root = DrivePart(m_Directory) + "\\";
    std::string rest = m_Directory;
    int level = 0;
    if (root.size() >= 2 && root[1] == '\\') {
        lines.push_back({root, GlyphOpen});
        rest = m_Directory.size() > root.size() ? m_Directory.substr(root.size()) : std::string();
        level = 1;
    }
    if (!rest.empty()) {
        if (rest.back() != '\\') {
            for (size_t slash = rest.find('\\'); slash != std::string::npos; slash = rest.find('\\')) {
                std::string name = rest.substr(0, slash);
                if (level == 0)
                    name += "\\";
                rest.erase(0, slash + 1);
                lines.push_back({name, GlyphOpen});
                ++level;
            }
        }
        lines.push_back({rest, GlyphCurrent});
    }
    return int(lines.size()) - 1;
}

void TDirectoryListBox::BuildLines()
{
    if (!WindowExists())
        return;
    const auto flags = Volumes::GetCaseFlags(DrivePart(m_Directory) + "\\");
    m_CasePreserved = flags && (flags->CasePreserved || flags->CaseSensitive);
    m_CaseSensitive = flags && flags->CaseSensitive;

    std::vector<ListLine> lines;
    const int selected = AddPathLines(lines);
    std::vector<std::string> names;
    ReadDirectoryNames(m_Directory, names);
    const std::vector<size_t> order = SortedOrder(std::vector<std::string_view>(names.begin(), names.end()));
    const size_t firstName = lines.size();
    for (const size_t i : order) {
        // A case-blind volume cannot hold two names that differ only in case; on a case-sensitive
        // one both are real directories and both are listed, in the order of their bytes.
        if (!m_CaseSensitive && lines.size() > firstName &&
            LowerText(lines.back().Text) == LowerText(names[i]))
            continue;
        lines.push_back({std::move(names[i]), GlyphClosed});
    }
    SetLines(std::move(lines));
    SetItemIndex(selected);
}

int TDirectoryListBox::ReadDirectoryNames(const std::string& parent, std::vector<std::string>& names) const
{
    std::vector<FileSystem::FoundEntry> found;
    FileSystem::FindFiles(parent, "*.*", faDirectory, found);
    int offered = 0;
    for (auto& entry : found) {
        if ((entry.Attributes & faDirectory) == 0 || entry.Name == "." || entry.Name == "..")
            continue;
        names.push_back(std::move(entry.Name));
        ++offered;
    }
    return offered;
}

std::string TDirectoryListBox::GetItemPath(int index) const
{
    if (index < 0 || index >= Count())
        return {};
    const std::string drive = DrivePart(m_Directory);
    if (index == 0)
        return drive + "\\";
    const ListLine& line = Lines()[size_t(index)];
    if (line.Glyph == GlyphClosed)
        return JoinPath(m_Directory, line.Text);
    if (line.Glyph == GlyphCurrent)
        return m_Directory;
    // Ancestor line k: the part after the drive up to, not including, its (k+1)-th "\".
    const std::string rest = m_Directory.substr(drive.size());
    size_t end = 0;
    for (int seen = 0; end < rest.size(); ++end)
        if (rest[end] == '\\' && ++seen == index + 1)
            break;
    return drive + rest.substr(0, end);
}

void TDirectoryListBox::SetDirectory(const std::string& newDirectory)
{
    if (newDirectory.empty() || FileCompareText(newDirectory, m_Directory) == 0)
        return;
    const SplitResult parts = SplitPath(newDirectory);
    if (parts.Drive != Drive()) {
        const TScopedFlag inSetDir(m_InSetDir);
        if (m_DriveList)
            m_DriveList->SetDrive(parts.Drive);
        else
            DriveChange(parts.Drive);
    }
    SetDir(parts.Dir);
}

void TDirectoryListBox::SetDir(const std::string& dir)
{
    if (DirExists(m_Directory))
        MakeCurrent(m_Directory);
    MakeCurrent(dir);
    m_Directory = CurrentDir::Get();
    BuildLines();
    NotifyChange();
}

void TDirectoryListBox::DriveChange(char letter)
{
    if (LowerText(std::string(1, letter)) == LowerText(std::string(1, Drive())))
        return;
    if (letter != 0) {
        MakeCurrent(std::string(1, letter) + ":");
        m_Directory = CurrentDir::Get();
    }
    if (m_InSetDir)
        return;
    BuildLines();
    NotifyChange();
}

void TDirectoryListBox::SetDrive(char letter)
{
    if (LowerText(std::string(1, letter)) != LowerText(std::string(1, Drive())))
        SetDirectory(std::string(1, letter) + ":");
}

void TDirectoryListBox::Rebuild()
{
    BuildLines();
    NotifyChange();
}

void TDirectoryListBox::OpenCurrent()
{
    SetDirectory(GetItemPath(ItemIndex()));
}

void TDirectoryListBox::NotifyChange()
{
    if (m_FileList)
        m_FileList->SetDirectory(m_Directory);
    SetDirLabelCaption();
    emit OnChange();
}

void TDirectoryListBox::SetFileList(TFileListBox* list)
{
    if (m_FileList)
        m_FileList->SetDirListLink(nullptr);
    m_FileList = list;
    if (list)
        list->SetDirListLink(this);
}

TLabel* TDirectoryListBox::DirLabel() const
{
    return m_DirLabel;
}

void TDirectoryListBox::SetDirLabel(TLabel* label)
{
    m_DirLabel = label;
    SetDirLabelCaption();
}

void TDirectoryListBox::SetDirLabelCaption()
{
    // The label sizes itself to its text, so the list's width is the room there is.
    if (m_DirLabel)
        m_DirLabel->SetCaption(MinimizeName(m_Directory, m_DirLabel->font(), width()));
}

std::string TDirectoryListBox::DisplayCase(const std::string& text) const
{
    return (!m_CasePreserved && !m_CaseSensitive) ? LowerText(text) : text;
}

int TDirectoryListBox::FileCompareText(const std::string& a, const std::string& b) const
{
    if (m_CaseSensitive) {
        // The drive letter is never part of the volume's case rule.
        const std::string driveA = DrivePart(a), driveB = DrivePart(b);
        if (const int drives = LowerText(driveA).compare(LowerText(driveB)); drives != 0)
            return drives;
        return a.compare(driveA.size(), std::string::npos, b, driveB.size());
    }
    return LowerText(a).compare(LowerText(b));
}

void TDirectoryListBox::DrawLine(QPainter& painter, int row, const QRect& rect, bool selected) const
{
    FillLine(painter, rect, selected);
    const ListLine& line = Lines()[size_t(row)];
    int indent = 4 * row + 2;
    if (line.Glyph == GlyphClosed)
        indent = 4 * (BackslashCount(m_Directory) + 1) + 2;
    int glyphWidth = 16;
    if (line.Glyph >= 0)
        glyphWidth = DrawLineGlyph(painter, rect, indent, m_Glyphs[line.Glyph]);
    DrawLineText(painter, rect, glyphWidth + indent + 4, DisplayText(DisplayCase(line.Text)), Qt::AlignTop);
}
