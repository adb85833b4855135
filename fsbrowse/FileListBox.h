#pragma once
// Basic idea: the file list (unit FileCtrl): the names of one directory's files that match a set
// of patterns ("*.mp3;*.MP3"), one per line, in the user's alphabetical order with case ignored,
// with one line selectable. The main window points it at a directory by writing Directory
// (ApplyPath), reads its lines and selected line to build the path to play, and handles OnClick.
// Listing happens once the control's window exists; every failure to enter a directory raises
// EInOutError and leaves the lines and Directory as they were. UI thread only.

#include "fsbrowse/ListLines.h"

#include <QPixmap>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <string>

class TDirectoryListBox;

// Members of the FileType set, as bits.
enum TFileType : uint8_t
{
    ftReadOnly = 0x01,
    ftHidden = 0x02,
    ftSystem = 0x04,
    ftVolumeID = 0x08,
    ftDirectory = 0x10,
    ftArchive = 0x20,
    ftNormal = 0x40,
};

// FIXME: the link to a one-line edit field that shows the selected name is not built; nothing in
// the program uses one.
class TFileListBox : public TCustomListBox
{
    Q_OBJECT
    Q_PROPERTY(QString Mask READ MaskText WRITE SetMaskText)
public:
    explicit TFileListBox(QWidget* parent = nullptr);

    // Directory read; writing it is ApplyPath.
    const std::string& Directory() const { return m_Directory; }
    virtual void ApplyPath(const std::string& text);
    // Changes the listed directory (a linked directory list calls this).
    void SetDirectory(const std::string& newDirectory);

    const std::string& Mask() const { return m_Mask; }
    void SetMask(const std::string& mask);
    QString MaskText() const { return QString::fromStdString(m_Mask); }
    void SetMaskText(const QString& mask) { SetMask(mask.toStdString()); }

    uint8_t FileType() const { return m_FileType; }
    void SetFileType(uint8_t fileType);
    bool ShowGlyphs() const { return m_ShowGlyphs; }
    void SetShowGlyphs(bool show);

    std::string GetFileName() const;
    void SetFileName(const std::string& name);
    virtual std::string SelectedPath() const;

    // The directory list linked to this one (set by that list's FileList), or none.
    TDirectoryListBox* DirList() const;
    void SetDirListLink(TDirectoryListBox* list);

    int LastSelection() const { return m_LastSelection; }

    void DrawLine(QPainter& painter, int row, const QRect& rect, bool selected) const override;

    // Glyph numbers of the lines.
    enum Glyph
    {
        GlyphExecutable = 0,
        GlyphFolder = 1,
        GlyphUnknown = 2
    };

protected:
    virtual void NotifyChange();
    virtual void ListFiles();
    void CreateWnd() override;
    void AfterUserSelection() override;
    void FontChanged() override { ResetItemHeight(); }

private:
    void ResetItemHeight();
    // The lines of the matching entries, in the order found; `entryRead` is told of every
    // directory entry read.
    std::vector<ListLine> FindLines(const std::function<void()>& entryRead) const;
    // The same directory text under the volume's case rule.
    bool SameText(const std::string& a, const std::string& b) const;

    std::string m_Directory;
    std::string m_Mask = "*.*";
    uint8_t m_FileType = ftNormal;
    bool m_ShowGlyphs = false;
    int m_LastSelection = -1;
    QPointer<TDirectoryListBox> m_DirList;
    QPixmap m_Glyphs[3];
};
