#pragma once
// Basic idea: the directory list: the path of its current directory as a small tree (the drive or
// share root, each ancestor, the current directory) followed by the current directory's
// subdirectories, each line with a folder glyph and indented by its depth. A double click or Enter
// on a line makes that line's directory current. The main window re-roots it when the drive
// changes (SetDrive, then Rebuild) and reads Directory, ItemIndex and the lines when the user
// selects one (OnClick). Making a directory or drive current raises EInOutError on failure and
// leaves Directory and the lines as they were. UI thread only.

#include "fsbrowse/ListLines.h"

#include <QPixmap>
#include <QPointer>
#include <string>
#include <vector>

class TFileListBox;
class TDriveComboBox;
class TLabel;

class TDirectoryListBox : public TCustomListBox
{
    Q_OBJECT
public:
    explicit TDirectoryListBox(QWidget* parent = nullptr);
    ~TDirectoryListBox() override;

    // Directory read; writing it is SetDirectory.
    const std::string& Directory() const { return m_Directory; }
    virtual void SetDirectory(const std::string& newDirectory);
    void SetDir(const std::string& dir);
    char Drive() const { return m_Directory.empty() ? char(0) : m_Directory[0]; }
    void SetDrive(char letter);
    void DriveChange(char letter);
    void Rebuild();
    void OpenCurrent();

    std::string GetItemPath(int index) const;
    std::string DisplayCase(const std::string& text) const;
    int FileCompareText(const std::string& a, const std::string& b) const;
    // Adds the names of the subdirectories of `parent` to `names`; returns how many were offered.
    int ReadDirectoryNames(const std::string& parent, std::vector<std::string>& names) const;

    bool CasePreserved() const { return m_CasePreserved; }
    bool CaseSensitive() const { return m_CaseSensitive; }

    // Links: a file list told of every directory change, and the drive list that set this one.
    TFileListBox* FileList() const;
    void SetFileList(TFileListBox* list);
    TDriveComboBox* DriveList() const;
    void SetDriveListLink(TDriveComboBox* list);

    // A label that shows Directory, shortened to the list's width.
    TLabel* DirLabel() const;
    void SetDirLabel(TLabel* label);

    void DrawLine(QPainter& painter, int row, const QRect& rect, bool selected) const override;

    // Glyph numbers, which also tell what a line stands for.
    enum Glyph
    {
        GlyphClosed = 0,
        GlyphOpen = 1,
        GlyphCurrent = 2
    };

protected:
    virtual void NotifyChange();
    virtual void BuildLines();
    void CreateWnd() override;
    void AfterDoubleClick() override { OpenCurrent(); }
    void AfterEnter() override { OpenCurrent(); }
    void FontChanged() override { ResetItemHeight(); }

private:
    void ResetItemHeight();
    // The lines of the path of Directory; returns the index of the line to select.
    int AddPathLines(std::vector<ListLine>& lines) const;
    void SetDirLabelCaption();

    std::string m_Directory;
    bool m_InSetDir = false;
    bool m_CasePreserved = false;
    bool m_CaseSensitive = false;
    QPointer<TFileListBox> m_FileList;
    QPointer<TDriveComboBox> m_DriveList;
    QPointer<TLabel> m_DirLabel;
    QPixmap m_Glyphs[3];
};
