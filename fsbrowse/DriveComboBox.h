#pragma once
// Basic idea: the drive list, a drop-down list of the machine's drives (the drive table), one line
// per letter with a glyph for the drive's kind and the volume label or network name. It holds the
// chosen letter in Drive and fires OnChange when the drive changes or the user chooses one; the
// main window then re-roots the directory list. Removable drives are never asked for a label and
// a label query that does not answer in time gives "[]", so building the lines never waits on a
// medium. The lines are built when the control's window is created (first show) and again only
// when TextCase or the font changes. UI thread only.

#include <QComboBox>
#include <QPixmap>
#include <QPointer>
#include <string>

class TDirectoryListBox;

enum TTextCase
{
    tcLowerCase = 0,
    tcUpperCase = 1
};

class TDriveComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit TDriveComboBox(QWidget* parent = nullptr);
    ~TDriveComboBox() override;

    char Drive() const { return m_Drive; }
    void SetDrive(char letter);
    TTextCase TextCase() const { return m_TextCase; }
    void SetTextCase(TTextCase textCase);

    // The directory list told of every drive change, or none.
    TDirectoryListBox* DirList() const;
    void SetDirList(TDirectoryListBox* list);

    int Count() const { return count(); }
    // The text of line i as bytes; empty when there is no such line.
    std::string Item(int i) const;
    int ItemIndex() const { return currentIndex(); }
    int ItemHeight() const { return m_ItemHeight; }

    static std::string VolumeLabelText(char letter);
    static std::string RemoteNameText(char letter);

    bool WindowExists() const { return m_WindowExists; }
    // Creates the control's window now, as its first show would (tests).
    void CreateWindow();

    // Paints line i in rect (the selection colours already chosen by the caller).
    void DrawLine(QPainter& painter, int i, const QRect& rect, bool selected) const;

    enum Glyph
    {
        GlyphFloppy = 0,
        GlyphFixed,
        GlyphNetwork,
        GlyphCDROM,
        GlyphRAM,
        GlyphCount
    };

signals:
    void OnChange();
    void OnClick();

protected:
    virtual void BuildLines();
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ResetItemHeight();
    void AddLine(const std::string& text, int glyph);
    void UserChoice(int index);

    char m_Drive = 0;
    TTextCase m_TextCase = tcLowerCase;
    int m_ItemHeight = 16;
    bool m_WindowExists = false;
    QPointer<TDirectoryListBox> m_DirList;
    QPixmap m_Glyphs[GlyphCount];
};
