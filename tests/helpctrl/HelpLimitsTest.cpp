// Help files that are valid but larger than the help window can take: a file with more contents
// entries and index keywords than the window keeps, compiled at test time with the same compiler
// as the player's own help file. The window thread goes on handling its events while the file is
// read (a playing sequence needs them), and the file opens with what fits, which the help debug
// log says.

#include "HelpTestSupport.h"
#include "helpctrl/ChmStream.h"
#include "helphost/HelpSteps.h"
#include "platform/components/Application.h"

#include <QApplication>
#include <QListView>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

namespace {

// More entries than the window keeps, in the contents and in the index.
constexpr size_t Entries = ChmStream::MaxItems + 50;

void WriteSitemap(const std::string& path, const char* name)
{
    std::ofstream out(path);
    out << "<HTML><BODY><UL>\n";
    for (size_t i = 0; i < Entries; ++i)
        out << "<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"" << name << ' ' << i
            << "\"><param name=\"Local\" value=\"page.htm\"></OBJECT>\n";
    out << "</UL></BODY></HTML>\n";
}

// The large help file, compiled once for the whole suite; empty when the compiler failed.
const std::string& LargeHelpFile()
{
    static const std::string bytes = [] {
        const TempTree project;
        project.WriteFile("page.htm", "<html><head><title>Page</title></head><body>Une page.</body></html>");
        project.WriteFile("grand.hhp", "[OPTIONS]\nCompiled file=grand.chm\nContents file=grand.hhc\n"
                                       "Index file=grand.hhk\nDefault topic=page.htm\nTitle=Grand\n\n"
                                       "[FILES]\npage.htm\n");
        WriteSitemap(project / "grand.hhc", "Chapitre");
        WriteSitemap(project / "grand.hhk", "Mot");
        const std::string command =
            "cd '" + project.Path() + "' && chmcmd --no-html-scan grand.hhp >/dev/null 2>&1";
        return std::system(command.c_str()) == 0 ? project.ReadFile("grand.chm") : std::string();
    }();
    return bytes;
}

class HelpLimitsTest : public ::testing::Test
{
protected:
    // Compiled before any test's world sets the temporary folder to a tree of its own.
    static void SetUpTestSuite() { LargeHelpFile(); }
    void SetUp() override
    {
        ASSERT_FALSE(LargeHelpFile().empty()) << "chmcmd (fp-utils) could not compile the large help file";
        World.InstallControl();
        World.Tree.WriteFile("Programmes/Quelmo/quelmo.chm", LargeHelpFile());
        World.SetArguments({"-debug"});
        HelpSteps::LoadHelpControl();
        HelpSteps::ProbeAndCreateLog();
        HelpSteps::CreateHelpHook();
    }
    void TearDown() override { HelpSteps::FreeHelpHook(); }

    // What F1 asks for, as the player asks it.
    static QWidget* PressF1()
    {
        TApplication::Instance()->HelpContext(0);
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->objectName() == "HelpWindow")
                return widget;
        return nullptr;
    }

    HelpWorld World;
    MessageBoxRecorder Boxes;
};

TEST_F(HelpLimitsTest, TheWindowThreadHandlesItsEventsWhileALargeFileIsRead)
{
    // Stands for the completion of the file being played, which starts the next one.
    bool completionHandled = false;
    QTimer::singleShot(0, [&completionHandled] { completionHandled = true; });
    QWidget* window = PressF1();
    EXPECT_TRUE(completionHandled);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->findChild<QTextBrowser*>("topic")->source().path(), "/page.htm");
}

TEST_F(HelpLimitsTest, ALargeFileOpensWithTheEntriesThatFitAndTheLogSaysSo)
{
    QWidget* window = PressF1();
    ASSERT_NE(window, nullptr) << World.Tree.ReadFile("Programmes/Quelmo/HHDebug.txt");
    const auto* contents = window->findChild<QTreeWidget*>("contents");
    const auto* index = window->findChild<QListView*>("indexList");
    ASSERT_NE(contents, nullptr);
    ASSERT_NE(index, nullptr);
    // A large contents comes in slices while the window goes on handling its events.
    EXPECT_TRUE(WaitFor([&] { return size_t(contents->topLevelItemCount()) == ChmStream::MaxItems; }));
    EXPECT_EQ(contents->topLevelItem(0)->text(0), "Chapitre 0");
    EXPECT_EQ(size_t(index->model()->rowCount()), ChmStream::MaxItems);
    EXPECT_TRUE(Boxes.Boxes.empty());

    const std::string log = World.Tree.ReadFile("Programmes/Quelmo/HHDebug.txt");
    const std::string file = "HelpFile(\"" + (World.Tree / "Programmes/Quelmo/quelmo.chm") + "\"): ";
    EXPECT_NE(log.find(file + "contents limited to the first 10000 entries\n"), std::string::npos) << log;
    EXPECT_NE(log.find(file + "index limited to the first 10000 entries\n"), std::string::npos) << log;
}

} // namespace
