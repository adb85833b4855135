#include "fsbrowse/ListLines.h"

#include "fsbrowse/FileCtrl.h"
#include "platform/components/Application.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

int DrawLineGlyph(QPainter& painter, const QRect& line, int offset, const QPixmap& glyph)
{
    painter.drawPixmap(line.left() + offset, (line.top() + line.top() + line.height() - glyph.height()) / 2,
                       glyph);
    return glyph.width();
}

void DrawLineText(QPainter& painter, const QRect& line, int offset, const QString& text,
                  Qt::Alignment vertical)
{
    const QRect textRect(line.left() + offset, line.top(), line.width() - offset, line.height());
    painter.drawText(textRect, Qt::AlignLeft | vertical | Qt::TextSingleLine, text);
}

int TListLines::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_Lines.size());
}

QVariant TListLines::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_Lines.size()))
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return FileCtrl::DisplayText(m_Lines[size_t(index.row())].Text);
    return {};
}

void TListLines::Assign(std::vector<ListLine> lines)
{
    beginResetModel();
    m_Lines = std::move(lines);
    endResetModel();
}

TLineDelegate::TLineDelegate(TCustomListBox* owner) : QStyledItemDelegate(owner), m_Owner(owner)
{
}

void TLineDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const
{
    painter->save();
    m_Owner->DrawLine(*painter, index.row(), option.rect, (option.state & QStyle::State_Selected) != 0);
    painter->restore();
}

QSize TLineDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const
{
    return {m_Owner->viewport()->width(), m_Owner->ItemHeight()};
}

TCustomListBox::TCustomListBox(QWidget* parent) : QListView(parent), m_Model(new TListLines(this))
{
    setModel(m_Model);
    setItemDelegate(new TLineDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    resize(145, height());
}

std::string TCustomListBox::Item(int i) const
{
    if (i < 0 || i >= Count())
        return {};
    return Lines()[size_t(i)].Text;
}

int TCustomListBox::ItemIndex() const
{
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !selectionModel()->isSelected(current))
        return -1;
    return current.row();
}

void TCustomListBox::SetItemIndex(int index)
{
    if (index < 0 || index >= Count()) {
        selectionModel()->clear();
        return;
    }
    const QModelIndex target = m_Model->index(index);
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
    scrollTo(target);
}

void TCustomListBox::SetItemHeight(int height)
{
    m_ItemHeightFixed = true;
    m_ItemHeight = height;
    doItemsLayout();
}

void TCustomListBox::ApplyItemHeight(int height)
{
    if (m_ItemHeightFixed)
        return;
    m_ItemHeight = height;
    doItemsLayout();
}

void TCustomListBox::CreateWindow()
{
    if (m_WindowExists)
        return;
    m_WindowExists = true;
    CreateWnd();
}

void TCustomListBox::SetLines(std::vector<ListLine> lines)
{
    m_Model->Assign(std::move(lines));
}

void TCustomListBox::FillLine(QPainter& painter, const QRect& rect, bool selected) const
{
    const QPalette& colours = palette();
    painter.fillRect(rect, selected ? colours.highlight() : colours.base());
    painter.setPen(selected ? colours.highlightedText().color() : colours.text().color());
    painter.setFont(font());
}

void TCustomListBox::showEvent(QShowEvent* event)
{
    QListView::showEvent(event);
    if (!m_WindowExists)
        RunHandler([this] { CreateWindow(); });
}

void TCustomListBox::UserSelection()
{
    RunHandler([this] {
        emit OnClick();
        AfterUserSelection();
    });
}

void TCustomListBox::mousePressEvent(QMouseEvent* event)
{
    // Only the left button on a line selects; a press below the last line keeps the selection.
    if (event->button() != Qt::LeftButton || !indexAt(event->position().toPoint()).isValid()) {
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    QListView::mousePressEvent(event);
    UserSelection();
    m_IndexAfterPress = ItemIndex();
}

void TCustomListBox::mouseReleaseEvent(QMouseEvent* event)
{
    QListView::mouseReleaseEvent(event);
    // Dragging with the button down moves the selection; the line it ends on is the user's choice.
    if (event->button() == Qt::LeftButton && m_IndexAfterPress != -2 && ItemIndex() != m_IndexAfterPress)
        UserSelection();
    m_IndexAfterPress = -2;
}

void TCustomListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    QListView::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    RunHandler([this] {
        emit OnDblClick();
        AfterDoubleClick();
    });
}

void TCustomListBox::keyPressEvent(QKeyEvent* event)
{
    const int before = ItemIndex();
    QListView::keyPressEvent(event);
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        RunHandler([this] { AfterEnter(); });
        return;
    }
    if (ItemIndex() != before)
        UserSelection();
}

void TCustomListBox::changeEvent(QEvent* event)
{
    QListView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        RunHandler([this] { FontChanged(); });
}
