#include "helpctrl/NavigationPanes.h"
#include "helpctrl/TopicText.h"
#include "texts/French.h"

#include <QAbstractListModel>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <optional>

namespace {

std::u16string_view Units(const QString& text)
{
    return {reinterpret_cast<const char16_t*>(text.constData()), size_t(text.size())};
}

QString TitleOf(const SitemapTopic& topic)
{
    return QString::fromStdString(topic.Title.empty() ? topic.Local : topic.Title);
}

// The topics of a keyword that leads to several, to choose one from; shown without blocking, so
// the window goes on answering while it is open.
void ChooseTopic(QWidget* window, const std::vector<SitemapTopic>& topics, const ShowTopicFunction& show)
{
    auto* dialog = new QDialog(window);
    dialog->setObjectName(QStringLiteral("topicChooser"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QString::fromUtf8(Texts::HelpTopicsFound));
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(new QLabel(QString::fromUtf8(Texts::HelpChooseTopic), dialog));
    auto* list = new QListWidget(dialog);
    list->setObjectName(QStringLiteral("topicChoices"));
    for (const SitemapTopic& topic : topics)
        list->addItem(TitleOf(topic));
    list->setCurrentRow(0);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(dialog);
    buttons->addButton(QString::fromUtf8(Texts::HelpShow), QDialogButtonBox::AcceptRole);
    buttons->addButton(QString::fromUtf8(Texts::HelpCancel), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemActivated, dialog, &QDialog::accept);
    QObject::connect(dialog, &QDialog::accepted, dialog, [list, topics, show] {
        if (const int row = list->currentRow(); row >= 0 && size_t(row) < topics.size())
            show(topics[size_t(row)].Local, {});
    });
    dialog->resize(380, 260);
    dialog->open();
}

} // namespace

// The keywords as the list shows them, sub-keywords set in after theirs. Lines are made when the
// list draws them: a large index costs nothing to open.
class IndexPane::Lines : public QAbstractListModel
{
public:
    Lines(const std::vector<SitemapEntry>& keywords, QObject* parent) : QAbstractListModel(parent)
    {
        for (const SitemapEntry& keyword : keywords) {
            m_Rows.push_back({&keyword, false});
            for (const SitemapEntry& sub : keyword.Children)
                m_Rows.push_back({&sub, true});
        }
        m_Folded.resize(m_Rows.size());
    }
    int rowCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0 : int(m_Rows.size());
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid() || size_t(index.row()) >= m_Rows.size())
            return {};
        const Row& row = m_Rows[size_t(index.row())];
        const QString name = QString::fromStdString(row.Entry->Name);
        return row.Sub ? QStringLiteral("    ") + name : name;
    }
    const SitemapEntry& Keyword(size_t row) const { return *m_Rows[row].Entry; }
    // The first line whose name starts with `folded` (folded itself), or -1. Names are folded the
    // first time a search reaches them, and kept.
    int FirstStartingWith(const std::string& folded)
    {
        for (size_t row = 0; row < m_Rows.size(); ++row) {
            if (!m_Folded[row])
                m_Folded[row] = TopicText::Fold(Units(QString::fromStdString(m_Rows[row].Entry->Name)));
            if (m_Folded[row]->compare(0, folded.size(), folded) == 0)
                return int(row);
        }
        return -1;
    }

private:
    struct Row
    {
        const SitemapEntry* Entry;
        bool Sub;
    };
    std::vector<Row> m_Rows;
    std::vector<std::optional<std::string>> m_Folded;
};

IndexPane::IndexPane(const std::vector<SitemapEntry>& keywords, ShowTopicFunction show, QWidget* parent)
    : QWidget(parent), m_Show(std::move(show)), m_Field(new QLineEdit(this)), m_List(new QListView(this)),
      m_Lines(new Lines(keywords, this))
{
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromUtf8(Texts::HelpIndexPrompt), this));
    m_Field->setObjectName(QStringLiteral("indexField"));
    layout->addWidget(m_Field);
    m_List->setObjectName(QStringLiteral("indexList"));
    // Every line is one line of text: the list need not measure each of thousands.
    m_List->setUniformItemSizes(true);
    m_List->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_List->setModel(m_Lines);
    layout->addWidget(m_List);
    auto* showButton = new QPushButton(QString::fromUtf8(Texts::HelpShow), this);
    showButton->setObjectName(QStringLiteral("indexShow"));
    layout->addWidget(showButton, 0, Qt::AlignRight);
    connect(m_Field, &QLineEdit::textEdited, this, &IndexPane::SelectFirstStartingWith);
    connect(m_Field, &QLineEdit::returnPressed, this, [this] { ShowKeyword(m_List->currentIndex()); });
    connect(m_List, &QListView::activated, this, &IndexPane::ShowKeyword);
    connect(showButton, &QPushButton::clicked, this, [this] { ShowKeyword(m_List->currentIndex()); });
}

void IndexPane::SelectFirstStartingWith(const QString& typed)
{
    const std::string folded = TopicText::Fold(Units(typed.trimmed()));
    if (folded.empty())
        return;
    if (const int row = m_Lines->FirstStartingWith(folded); row >= 0) {
        const QModelIndex index = m_Lines->index(row);
        m_List->setCurrentIndex(index);
        m_List->scrollTo(index, QAbstractItemView::PositionAtTop);
    }
}

void IndexPane::ShowKeyword(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    const std::vector<SitemapTopic>& topics = m_Lines->Keyword(size_t(index.row())).Topics;
    if (topics.size() == 1)
        m_Show(topics.front().Local, {});
    else if (topics.size() > 1)
        ChooseTopic(window(), topics, m_Show);
}
