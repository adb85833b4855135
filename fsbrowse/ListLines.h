#pragma once
// Basic idea: the list control under the directory and file lists. Lines are byte texts, each with
// an optional glyph number, held in a flat model so that 100,000 lines list and scroll at once
// (uniform line height, no per-line widget). The owning widget draws each line itself (DrawLine)
// and gets the user's selections, double clicks and keys as calls that run inside RunHandler, so
// an error they raise shows in the standard error box. "The window exists" is the first show of
// the control; the lists fill their lines from then on. UI thread only.

#include <QAbstractListModel>
#include <QListView>
#include <QStyledItemDelegate>
#include <string>
#include <vector>

struct ListLine
{
    std::string Text;
    int Glyph = -1; // the owner's glyph number, -1 for none
};

// The drawing the three lists share. A line's glyph is drawn `offset` pixels into the line, centred
// vertically; the result is its width. The text goes from `offset` pixels into the line to its end.
int DrawLineGlyph(QPainter& painter, const QRect& line, int offset, const QPixmap& glyph);
void DrawLineText(QPainter& painter, const QRect& line, int offset, const QString& text,
                  Qt::Alignment vertical);

class TListLines : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    const std::vector<ListLine>& Lines() const { return m_Lines; }
    // Replaces every line in one step (one reset, no repaint per line).
    void Assign(std::vector<ListLine> lines);

private:
    std::vector<ListLine> m_Lines;
};

class TCustomListBox;

// Hands the painting and the height of every line to the owning list.
class TLineDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit TLineDelegate(TCustomListBox* owner);
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    TCustomListBox* m_Owner;
};

class TCustomListBox : public QListView
{
    Q_OBJECT
    Q_PROPERTY(int ItemHeight READ ItemHeight WRITE SetItemHeight)
public:
    explicit TCustomListBox(QWidget* parent = nullptr);

    int Count() const { return int(m_Model->Lines().size()); }
    // The text of line i as the bytes of the name; empty when there is no such line.
    std::string Item(int i) const;
    const std::vector<ListLine>& Lines() const { return m_Model->Lines(); }
    // The selected line, -1 when none. Writing it selects without firing OnClick; a value outside
    // 0 .. Count()-1 clears the selection.
    int ItemIndex() const;
    void SetItemIndex(int index);

    int ItemHeight() const { return m_ItemHeight; }
    // A height set from outside (the window design) wins over the one the font gives.
    void SetItemHeight(int height);

    bool WindowExists() const { return m_WindowExists; }
    // Creates the control's window now, as its first show would (tests and benchmarks).
    void CreateWindow();

    // Paints line `row` in `rect`; the selection colours are already set on the painter's fill.
    virtual void DrawLine(QPainter& painter, int row, const QRect& rect, bool selected) const = 0;

signals:
    void OnClick();
    void OnDblClick();
    void OnChange();

protected:
    void SetLines(std::vector<ListLine> lines);
    // The line height the font and glyphs ask for, unless a height was set from outside.
    void ApplyItemHeight(int height);
    // Fills the background of a line and sets the pen for its text.
    void FillLine(QPainter& painter, const QRect& rect, bool selected) const;

    // Called when the window is created (first show), after a user selection (after OnClick),
    // after a double click (after OnDblClick) and on Enter. All run inside RunHandler.
    virtual void CreateWnd() = 0;
    virtual void AfterUserSelection() {}
    virtual void AfterDoubleClick() {}
    virtual void AfterEnter() {}
    virtual void FontChanged() {}

    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void UserSelection();

    TListLines* m_Model;
    int m_ItemHeight = 13;
    bool m_ItemHeightFixed = false;
    bool m_WindowExists = false;
    int m_IndexAfterPress = -2; // -2: no press of the left button under way
};
