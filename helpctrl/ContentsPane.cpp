#include "helpctrl/HelpIcons.h"
#include "helpctrl/NavigationPanes.h"

#include <QTimer>
#include <QTreeWidgetItemIterator>
#include <algorithm>

namespace {
// Each line keeps the topic it leads to (object path and anchor); books without one keep none.
constexpr int TopicRole = Qt::UserRole;
// A large contents is added in slices of this many top-level lines (with their books' lines), one
// slice per turn of the event loop, so that the window thread is never away from its events for
// long; a small one is added at once.
constexpr size_t SliceLines = 500;

std::string TopicOf(const QTreeWidgetItem* item)
{
    return item->data(0, TopicRole).toString().toStdString();
}

std::string PageOf(const std::string& topic)
{
    return topic.substr(0, topic.find('#'));
}
} // namespace

ContentsPane::ContentsPane(const std::vector<SitemapEntry>& entries, ShowTopicFunction show, QWidget* parent)
    : QTreeWidget(parent), m_Show(std::move(show)), m_Page(HelpIcons::Page()), m_Book(HelpIcons::Book()),
      m_Entries(entries)
{
    setObjectName(QStringLiteral("contents"));
    setHeaderHidden(true);
    setColumnCount(1);
    setUniformRowHeights(true);
    AddSlice();
    connect(this, &QTreeWidget::itemExpanded, this,
            [](QTreeWidgetItem* item) { item->setIcon(0, HelpIcons::OpenBook()); });
    connect(this, &QTreeWidget::itemCollapsed, this,
            [](QTreeWidgetItem* item) { item->setIcon(0, HelpIcons::Book()); });
    // A line made current by the user (click or keys) shows its topic; a book also opens.
    const auto showItem = [this](QTreeWidgetItem* item) {
        if (item == nullptr)
            return;
        if (item->childCount() > 0)
            item->setExpanded(true);
        if (const std::string topic = TopicOf(item); !topic.empty())
            m_Show(topic, {});
    };
    connect(this, &QTreeWidget::currentItemChanged, this, [this, showItem](QTreeWidgetItem* item) {
        if (!m_Following)
            showItem(item);
    });
    // A click on the line already current shows its topic again when another is shown now.
    connect(this, &QTreeWidget::itemClicked, this, [this, showItem](QTreeWidgetItem* item) {
        if (TopicOf(item) != m_Shown)
            showItem(item);
    });
}

// Adds the next slice of lines, made apart and added at once (one insertion, not one per line), and
// asks for the next one. Once all are there, the topic shown meanwhile finds its line.
void ContentsPane::AddSlice()
{
    const size_t end = std::min(m_Added + SliceLines, m_Entries.size());
    addTopLevelItems(ItemsOf(std::span(m_Entries).subspan(m_Added, end - m_Added)));
    m_Added = end;
    if (m_Added < m_Entries.size()) {
        QTimer::singleShot(0, this, [this] { AddSlice(); });
        return;
    }
    if (!m_Shown.empty())
        Follow(m_Shown);
}

QList<QTreeWidgetItem*> ContentsPane::ItemsOf(std::span<const SitemapEntry> entries) const
{
    QList<QTreeWidgetItem*> items;
    items.reserve(qsizetype(entries.size()));
    for (const SitemapEntry& entry : entries) {
        auto* item = new QTreeWidgetItem(QStringList(QString::fromStdString(entry.Name)));
        if (!entry.Topics.empty())
            item->setData(0, TopicRole, QString::fromStdString(entry.Topics.front().Local));
        item->setIcon(0, entry.Children.empty() ? m_Page : m_Book);
        item->addChildren(ItemsOf(entry.Children));
        items.append(item);
    }
    return items;
}

void ContentsPane::Follow(const std::string& topic)
{
    m_Shown = topic;
    QTreeWidgetItem* samePage = nullptr;
    QTreeWidgetItem* found = nullptr;
    for (QTreeWidgetItemIterator it(this); *it != nullptr && found == nullptr; ++it) {
        const std::string lineTopic = TopicOf(*it);
        if (lineTopic == topic)
            found = *it;
        else if (samePage == nullptr && !lineTopic.empty() && PageOf(lineTopic) == PageOf(topic))
            samePage = *it;
    }
    if (found == nullptr)
        found = samePage;
    m_Following = true;
    for (QTreeWidgetItem* up = found != nullptr ? found->parent() : nullptr; up != nullptr; up = up->parent())
        up->setExpanded(true);
    setCurrentItem(found);
    m_Following = false;
    if (found != nullptr)
        scrollToItem(found);
}
