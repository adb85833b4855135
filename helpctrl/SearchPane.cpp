#include "helpctrl/NavigationPanes.h"
#include "texts/French.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// Each result keeps the object path of its topic.
constexpr int TopicRole = Qt::UserRole;

QString StatusOf(size_t words, size_t found)
{
    if (words == 0)
        return QString::fromUtf8(Texts::HelpTypeWords);
    if (found == 0)
        return QString::fromUtf8(Texts::HelpNoTopicFound);
    if (found == 1)
        return QString::fromUtf8(Texts::HelpOneTopicFound);
    return QString::fromUtf8(Texts::HelpTopicsFoundCount).arg(found);
}
} // namespace

SearchPane::SearchPane(const SearchIndex& search, ShowTopicFunction show, QWidget* parent)
    : QWidget(parent), m_Search(search), m_Show(std::move(show)), m_Field(new QLineEdit(this)),
      m_Status(new QLabel(this)), m_Results(new QListWidget(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromUtf8(Texts::HelpSearchPrompt), this));
    m_Field->setObjectName(QStringLiteral("searchField"));
    layout->addWidget(m_Field);
    auto* searchButton = new QPushButton(QString::fromUtf8(Texts::HelpSearchButton), this);
    searchButton->setObjectName(QStringLiteral("searchButton"));
    layout->addWidget(searchButton, 0, Qt::AlignRight);
    m_Status->setObjectName(QStringLiteral("searchStatus"));
    layout->addWidget(m_Status);
    m_Results->setObjectName(QStringLiteral("searchResults"));
    layout->addWidget(m_Results);
    auto* showButton = new QPushButton(QString::fromUtf8(Texts::HelpShow), this);
    showButton->setObjectName(QStringLiteral("searchShow"));
    layout->addWidget(showButton, 0, Qt::AlignRight);
    connect(m_Field, &QLineEdit::returnPressed, this, &SearchPane::Search);
    connect(searchButton, &QPushButton::clicked, this, &SearchPane::Search);
    connect(m_Results, &QListWidget::itemActivated, this, &SearchPane::ShowResult);
    connect(showButton, &QPushButton::clicked, this, [this] { ShowResult(m_Results->currentItem()); });
}

void SearchPane::Search()
{
    const QString query = m_Field->text();
    m_Words =
        SearchIndex::QueryWords({reinterpret_cast<const char16_t*>(query.constData()), size_t(query.size())});
    const std::vector<SearchIndex::Hit> hits = m_Search.Search(m_Words);
    m_Results->clear();
    for (const SearchIndex::Hit& hit : hits) {
        const SearchIndex::Topic& topic = m_Search.Topics()[hit.Topic];
        auto* item = new QListWidgetItem(QString::fromStdString(topic.Title), m_Results);
        item->setData(TopicRole, QString::fromStdString(topic.Path));
    }
    m_Results->setCurrentRow(hits.empty() ? -1 : 0);
    m_Status->setText(StatusOf(m_Words.size(), hits.size()));
}

void SearchPane::ShowResult(QListWidgetItem* item)
{
    if (item != nullptr)
        m_Show(item->data(TopicRole).toString().toStdString(), m_Words);
}
