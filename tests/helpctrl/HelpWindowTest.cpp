// The help window of the real help control, driven as a user drives it, on the player's real help
// file: the contents tree against the contents file, the index typed without accents, the
// full-text search against the pages' own text, Back, Forward and Home, the hidden pane, and the
// window's remembered place.

#include "HelpTestSupport.h"
#include "helphost/HelpLoader.h"
#include "helphost/HookHelpSystem.h"
#include "platform/components/WindowHandle.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QSplitter>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <gtest/gtest.h>

namespace {

const QString HelpSource = QStringLiteral(QUELMO_HELP_SOURCE);

QString ReadText(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return QString::fromUtf8(file.readAll());
}

// Words as a reader compares them: accents and case dropped, split at anything but letters and digits.
QStringList FoldedWords(const QString& text)
{
    QString plain;
    for (const QChar c : text.normalized(QString::NormalizationForm_KD))
        if (!c.isMark())
            plain += c.toLower();
    return plain.split(QRegularExpression(QStringLiteral("[^\\p{L}\\p{N}]+")), Qt::SkipEmptyParts);
}

// A French word in its singular or its plural.
bool SameWord(const QString& word, const QString& wanted)
{
    const QString singular = wanted.endsWith('s') || wanted.endsWith('x') ? wanted.chopped(1) : wanted;
    return word == wanted || word == singular || word == singular + 's' || word == singular + 'x';
}

// The contents file's lines, each set in by two blanks per level, read straight from the help
// project.
QStringList ContentsFileLines()
{
    QStringList lines;
    int depth = -1;
    const QRegularExpression token(QStringLiteral("<(/?)UL>|<param name=\"Name\" value=\"([^\"]*)\">"));
    for (auto it = token.globalMatch(ReadText(HelpSource + "/quelmo.hhc")); it.hasNext();) {
        const auto match = it.next();
        if (match.captured(2).isEmpty())
            depth += match.captured(1).isEmpty() ? 1 : -1;
        else
            lines << QString(depth * 2, ' ') + match.captured(2);
    }
    return lines;
}

// The help project's pages that hold every word, read through Qt's own HTML reader; `all` gets
// every page.
QSet<QString> PagesHoldingAll(const QStringList& query, QSet<QString>& all)
{
    QSet<QString> holding;
    for (const QString& name : QDir(HelpSource + "/pages").entryList({"*.htm"})) {
        QTextDocument page;
        page.setHtml(ReadText(HelpSource + "/pages/" + name));
        const QStringList words =
            FoldedWords(page.toPlainText() + " " + page.metaInformation(QTextDocument::DocumentTitle));
        const auto holds = [&words](const QString& wanted) {
            return std::any_of(words.begin(), words.end(),
                               [&wanted](const QString& w) { return SameWord(w, wanted); });
        };
        all << "/pages/" + name;
        if (std::all_of(query.begin(), query.end(), holds))
            holding << "/pages/" + name;
    }
    return holding;
}

class HelpWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        World.InstallControl();
        World.InstallHelpFile("Aide/quelmo.chm");
        LoadHelpControl();
        ASSERT_NE(HelpLoader::Loaded().HtmlHelpA, nullptr);
    }
    void TearDown() override { CloseHelpWindows(); }

    static QWidget* Open(const char* file, uint32_t context)
    {
        return WidgetOfHandle(HelpLoader::Loaded().HtmlHelpA(nullptr, file, HH_HELP_CONTEXT, context));
    }
    static QWidget* Open(uint32_t context) { return Open("c:\\Aide\\quelmo.chm", context); }
    static QTextBrowser* Topic(QWidget* window) { return window->findChild<QTextBrowser*>("topic"); }
    static QString Shown(QWidget* window)
    {
        const QUrl source = Topic(window)->source();
        return source.path() + (source.hasFragment() ? "#" + source.fragment() : QString());
    }
    // Brings a tab of the navigation pane to the front; false when the window has no such tab.
    static bool SelectTab(QWidget* window, const QString& text)
    {
        auto* tabs = window->findChild<QTabWidget*>("navigation");
        for (int tab = 0; tab < tabs->count(); ++tab)
            if (tabs->tabText(tab) == text)
                return tabs->setCurrentIndex(tab), true;
        return false;
    }

    HelpWorld World;
    MessageBoxRecorder Boxes;
};

TEST_F(HelpWindowTest, ContentsTreeIsTheContentsFileAndFollowsTheTopicShown)
{
    const QStringList expected = ContentsFileLines();
    ASSERT_GT(expected.size(), 10);

    QWidget* window = Open(10);
    ASSERT_NE(window, nullptr);
    auto* tree = window->findChild<QTreeWidget*>("contents");
    ASSERT_NE(tree, nullptr);
    QStringList lines;
    QTreeWidgetItem* book = nullptr;
    QTreeWidgetItem* page = nullptr;
    for (QTreeWidgetItemIterator it(tree); *it != nullptr; ++it) {
        int level = 0;
        for (QTreeWidgetItem* up = (*it)->parent(); up != nullptr; up = up->parent())
            ++level;
        lines << QString(level * 2, ' ') + (*it)->text(0);
        ((*it)->childCount() > 0 ? book : page) = *it;
    }
    EXPECT_EQ(lines, expected);
    ASSERT_TRUE(book != nullptr && page != nullptr);
    EXPECT_NE(book->icon(0).pixmap(16).toImage(), page->icon(0).pixmap(16).toImage());

    // The tree follows the topic, however it was opened: a context number, a topic with an anchor.
    EXPECT_EQ(tree->currentItem()->text(0), "La fenêtre");
    Open(30);
    EXPECT_EQ(tree->currentItem()->text(0), "Les listes");
    HelpLoader::Loaded().HtmlHelpA(nullptr, "c:\\Aide\\quelmo.chm::/pages/listes.htm#dossiers",
                                   HH_DISPLAY_TOPIC, 0);
    ASSERT_NE(tree->currentItem(), nullptr);
    EXPECT_EQ(tree->currentItem()->text(0), "L’arborescence des dossiers");
    EXPECT_TRUE(tree->currentItem()->parent()->isExpanded());

    // A click on a line shows its topic.
    QTreeWidgetItem* settings = tree->findItems("Les réglages", Qt::MatchExactly).value(0);
    ASSERT_NE(settings, nullptr);
    tree->scrollToItem(settings);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(settings).center());
    EXPECT_EQ(Shown(window), "/pages/reglages.htm");
    EXPECT_TRUE(settings->isExpanded());
}

TEST_F(HelpWindowTest, IndexFindsKeywordsTypedWithoutAccents)
{
    struct Case
    {
        const char* Typed;
        const char* Selected;
        const char* Topic;
    };
    const Case cases[] = {
        {"reglages", "réglages", "/pages/reglages.htm"},
        {"ZONE DE", "zone de notification", "/pages/notification.htm"},
        {"debog", "débogage", "/pages/reglages.htm#aide"},
        {"a propos", "À propos", "/pages/boutons.htm"},
    };
    QWidget* window = Open(0);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(SelectTab(window, "Index"));
    auto* field = window->findChild<QLineEdit*>("indexField");
    auto* list = window->findChild<QListView*>("indexList");
    for (const Case& c : cases) {
        field->clear();
        QTest::keyClicks(field, QString::fromUtf8(c.Typed));
        EXPECT_EQ(list->currentIndex().data().toString().toStdString(), c.Selected) << c.Typed;
        QTest::keyClick(field, Qt::Key_Return);
        EXPECT_EQ(Shown(window).toStdString(), c.Topic);
    }

    // A keyword with two topics offers both; the one chosen is shown.
    field->clear();
    QTest::keyClicks(field, "lecture");
    QTest::keyClick(field, Qt::Key_Return);
    auto* chooser = window->findChild<QDialog*>("topicChooser");
    ASSERT_NE(chooser, nullptr);
    auto* choices = chooser->findChild<QListWidget*>("topicChoices");
    ASSERT_EQ(choices->count(), 2);
    EXPECT_EQ(choices->item(1)->text(), "Lecteur MP3 Quelmo");
    choices->setCurrentRow(1);
    for (QPushButton* button : chooser->findChildren<QPushButton*>())
        if (button->text() == "Afficher")
            QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(Shown(window), "/pages/index.htm");
}

TEST_F(HelpWindowTest, SearchListsExactlyThePagesHoldingBothWordsAndMarksThem)
{
    const QStringList query = FoldedWords(QStringLiteral("Icône FENETRES"));
    QSet<QString> all;
    const QSet<QString> expected = PagesHoldingAll(query, all);
    ASSERT_GE(expected.size(), 2);
    ASSERT_LT(expected.size(), all.size());

    QWidget* window = Open(0);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(SelectTab(window, "Rechercher"));
    auto* field = window->findChild<QLineEdit*>("searchField");
    auto* results = window->findChild<QListWidget*>("searchResults");
    field->insert(QStringLiteral("Icône FENETRES"));
    QTest::keyClick(field, Qt::Key_Return);
    QSet<QString> found;
    for (int row = 0; row < results->count(); ++row)
        found << results->item(row)->data(Qt::UserRole).toString();
    EXPECT_EQ(found, expected);
    EXPECT_EQ(results->count(), expected.size()); // each page once

    // The topic chosen shows with the words marked, and only those.
    QListWidgetItem* chosen = results->item(1);
    results->setCurrentItem(chosen);
    QTest::keyClick(results, Qt::Key_Return);
    QTextBrowser* topic = Topic(window);
    EXPECT_EQ(topic->source().path(), chosen->data(Qt::UserRole).toString());
    const QList<QTextEdit::ExtraSelection> marks = topic->extraSelections();
    ASSERT_FALSE(marks.isEmpty());
    for (const QTextEdit::ExtraSelection& mark : marks) {
        const QStringList words = FoldedWords(mark.cursor.selectedText());
        ASSERT_EQ(words.size(), 1) << mark.cursor.selectedText().toStdString();
        EXPECT_TRUE(SameWord(words[0], query[0]) || SameWord(words[0], query[1])) << words[0].toStdString();
    }
    // Leaving the page by another way leaves the marks behind.
    Open(30);
    EXPECT_TRUE(topic->extraSelections().isEmpty());

    field->clear();
    QTest::keyClicks(field, "mot-introuvable");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(results->count(), 0);
    EXPECT_EQ(window->findChild<QLabel*>("searchStatus")->text(), "Aucune rubrique trouvée.");
}

TEST_F(HelpWindowTest, BackForwardHomeAndTheHiddenPane)
{
    QWidget* window = Open(10);
    ASSERT_NE(window, nullptr);
    Open(20);
    Open(30);
    auto* back = window->findChild<QAction*>("back");
    auto* forward = window->findChild<QAction*>("forward");
    ASSERT_TRUE(back != nullptr && forward != nullptr);
    EXPECT_TRUE(back->isEnabled());
    EXPECT_FALSE(forward->isEnabled());
    // The keys work wherever the focus is in the window, and each goes one page.
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    auto* tree = window->findChild<QTreeWidget*>("contents");
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(Shown(window), "/pages/boutons.htm");
    QTest::keyClick(tree, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(Shown(window), "/pages/fenetre.htm");
    EXPECT_TRUE(forward->isEnabled());
    QTest::keyClick(Topic(window), Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(Shown(window), "/pages/boutons.htm");
    QTest::keyClick(tree, Qt::Key_Home, Qt::AltModifier);
    EXPECT_EQ(Shown(window), "/pages/index.htm");
    EXPECT_EQ(tree->currentItem()->text(0), "Lecteur MP3 Quelmo");
    for (QAction* action : window->findChildren<QAction*>()) {
        if (!action->objectName().isEmpty()) {
            EXPECT_FALSE(action->toolTip().isEmpty()) << action->text().toStdString();
        }
    }

    auto* pane = window->findChild<QAction*>("pane");
    auto* navigation = window->findChild<QTabWidget*>("navigation");
    pane->trigger();
    EXPECT_FALSE(navigation->isVisible());
    EXPECT_EQ(pane->text(), "Afficher");
    pane->trigger();
    EXPECT_TRUE(navigation->isVisible());
    EXPECT_EQ(pane->text(), "Masquer");
}

TEST_F(HelpWindowTest, WindowComesBackAsItWasLeftAndADamagedRecordIsIgnored)
{
    QWidget* window = Open(10);
    ASSERT_NE(window, nullptr);
    const QSize firstSize = window->size();
    window->setGeometry(60, 40, 700, 450);
    window->findChild<QSplitter*>()->setSizes({300, 400});
    CloseHelpWindows(); // the window goes with its place kept

    window = Open(20);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->geometry(), QRect(60, 40, 700, 450));
    EXPECT_EQ(window->findChild<QSplitter*>()->sizes().value(0), 300);

    // Closed by the user with the pane hidden: it comes back hidden, at the place it was left.
    window->findChild<QAction*>("pane")->trigger();
    window->resize(640, 420);
    window->close();
    window = Open(30);
    EXPECT_EQ(window->size(), QSize(640, 420));
    EXPECT_FALSE(window->findChild<QTabWidget*>("navigation")->isVisible());
    CloseHelpWindows();
    window = Open(30);
    EXPECT_EQ(window->size(), QSize(640, 420));
    EXPECT_EQ(window->findChild<QAction*>("pane")->text(), "Afficher");
    CloseHelpWindows();

    // Damaged records, and one of the form of earlier versions.
    for (const char* damaged : {"[Fenetre]\nGeometry=@ByteArray(abc)\nPaneShown=0\n", "\x01\x02garbage\n[[=",
                                "", "[Fenetre]\nX=1\nY=1\nWidth=700\nHeight=400\nPane=10\nPaneShown=0\n"}) {
        World.Tree.WriteFile("home/.config/Quelmo/hhctrl.ini", damaged);
        window = Open(10);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->size(), firstSize);
        EXPECT_TRUE(window->findChild<QTabWidget*>("navigation")->isVisible());
        CloseHelpWindows();
    }
}

TEST_F(HelpWindowTest, FileWithoutContentsOrIndexShowsOnlyItsSearch)
{
    QFile::copy(QStringLiteral(QUELMO_TEST_DATA_DIR "/sans-sommaire.chm"),
                QString::fromStdString(World.Tree / "Aide/sans-sommaire.chm"));
    QWidget* window = Open("c:\\Aide\\sans-sommaire.chm", 0);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Aide sans sommaire");
    EXPECT_TRUE(Topic(window)->toPlainText().contains("Une aide sans sommaire ni index."));
    EXPECT_FALSE(SelectTab(window, "Sommaire"));
    EXPECT_FALSE(SelectTab(window, "Index"));
    EXPECT_TRUE(SelectTab(window, "Rechercher"));
    EXPECT_EQ(window->findChild<QTabWidget*>("navigation")->count(), 1);
}

} // namespace
