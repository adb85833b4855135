#pragma once
// Basic idea: the three tabs of the help window's navigation pane. "Sommaire" is the tree of the
// file's contents, with book and page pictures, and follows the topic shown; "Index" lists the
// index keywords and selects the first one that starts with what is typed, without regard to case
// or accents; "Rechercher" lists the topics that hold every word typed, best first. Each tells the
// window what to show through the function it is given and never shows anything itself. Their
// widgets carry object names ("contents", "indexField", "searchResults"...) by which the window's
// users and tests find them. UI thread only.

#include "helpctrl/SearchIndex.h"
#include "helpctrl/Sitemap.h"

#include <QTreeWidget>
#include <QWidget>
#include <functional>
#include <span>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QListWidgetItem;

// Shows a topic (object path with its anchor), its words among the folded words given marked.
using ShowTopicFunction = std::function<void(const std::string& topic, std::vector<std::string> words)>;

class ContentsPane : public QTreeWidget
{
public:
    ContentsPane(const std::vector<SitemapEntry>& entries, ShowTopicFunction show, QWidget* parent);

    // Selects the line of the topic shown (the line of its very anchor first, else the first line
    // of its page), without showing it again; nothing when no line leads there.
    void Follow(const std::string& topic);

private:
    void AddSlice();
    QList<QTreeWidgetItem*> ItemsOf(std::span<const SitemapEntry> entries) const;

    ShowTopicFunction m_Show;
    QIcon m_Page, m_Book; // drawn once: a large contents has thousands of lines
    std::string m_Shown;  // the topic the window shows
    bool m_Following = false;
    // The file's contents (the window keeps the file), and how many top-level lines are added.
    const std::vector<SitemapEntry>& m_Entries;
    size_t m_Added = 0;
};

class IndexPane : public QWidget
{
public:
    IndexPane(const std::vector<SitemapEntry>& keywords, ShowTopicFunction show, QWidget* parent);

private:
    class Lines;
    void SelectFirstStartingWith(const QString& typed);
    void ShowKeyword(const QModelIndex& index);

    ShowTopicFunction m_Show;
    QLineEdit* m_Field;
    QListView* m_List;
    Lines* m_Lines; // the list's model, owned by the pane
};

class SearchPane : public QWidget
{
public:
    SearchPane(const SearchIndex& search, ShowTopicFunction show, QWidget* parent);

private:
    void Search();
    void ShowResult(QListWidgetItem* item);

    const SearchIndex& m_Search;
    ShowTopicFunction m_Show;
    std::vector<std::string> m_Words; // of the last search, folded
    QLineEdit* m_Field;
    QLabel* m_Status;
    QListWidget* m_Results;
};
