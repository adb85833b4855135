// The real help control (the built hhctrl.ocx, loaded through the help loader) on the player's real
// help file: topics by context number, links, window reuse and closing, damaged files, and the
// help steps of start-up and exit from end to end.

#include "HelpTestSupport.h"
#include "helphost/DebugLog.h"
#include "helphost/HelpLoader.h"
#include "helphost/HelpProbe.h"
#include "helphost/HelpSteps.h"
#include "helphost/HookHelpSystem.h"
#include "platform/components/WindowHandle.h"

#include <QApplication>
#include <QTest>
#include <QTextBrowser>
#include <gtest/gtest.h>
#include <random>

namespace {

class HelpControlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        World.InstallControl();
        World.InstallHelpFile("Aide/quelmo.chm");
        LoadHelpControl();
        ASSERT_NE(HelpLoader::Loaded().Module, nullptr);
        ASSERT_NE(HelpLoader::Loaded().HtmlHelpA, nullptr);
        ASSERT_NE(HelpLoader::Loaded().HtmlHelpW, nullptr);
    }

    static HWND Context(const std::string& file, uint32_t context)
    {
        return HelpLoader::Loaded().HtmlHelpA(GetDesktopWindow(), file.c_str(), HH_HELP_CONTEXT, context);
    }
    static QTextBrowser* Browser(HWND window)
    {
        QWidget* widget = WidgetOfHandle(window);
        return widget != nullptr ? widget->findChild<QTextBrowser*>("topic") : nullptr;
    }
    static int HelpWindowCount()
    {
        int count = 0;
        for (QWidget* widget : QApplication::topLevelWidgets())
            count += widget->objectName() == "HelpWindow" ? 1 : 0;
        return count;
    }

    HelpWorld World;
    MessageBoxRecorder Boxes;
};

TEST_F(HelpControlTest, ContextNumbersOpenTheirTopics)
{
    const std::tuple<uint32_t, const char*, const char*> cases[] = {
        {0, "/pages/index.htm", "Lecteur MP3 Quelmo"},       {1, "/pages/index.htm", "Pour commencer"},
        {10, "/pages/fenetre.htm", "La fenêtre principale"}, {20, "/pages/boutons.htm", "Réduire en icône"},
        {30, "/pages/listes.htm", "La liste des lecteurs"},  {40, "/pages/notification.htm", "Restaurer"},
        {50, "/pages/reglages.htm", "Quelmo.ini"},
    };
    HWND first = nullptr;
    for (const auto& [context, page, text] : cases) {
        const HWND window = Context("c:\\Aide\\quelmo.chm", context);
        QTextBrowser* browser = Browser(window);
        ASSERT_NE(browser, nullptr) << context;
        EXPECT_EQ(browser->source().path().toStdString(), page);
        EXPECT_TRUE(browser->toPlainText().contains(QString::fromUtf8(text))) << context;
        EXPECT_EQ(browser->window()->windowTitle(), "Aide du lecteur MP3 Quelmo");
        EXPECT_TRUE(browser->isVisible());
        if (first == nullptr)
            first = window;
        EXPECT_EQ(window, first); // one window per file, reused
    }
    EXPECT_EQ(HelpWindowCount(), 1);

    // A context the file does not map gives no window and leaves the open one as it was.
    EXPECT_EQ(Context("c:\\Aide\\quelmo.chm", 999), nullptr);
    EXPECT_EQ(Browser(first)->source().path(), "/pages/reglages.htm");
    EXPECT_EQ(HelpWindowCount(), 1);
    HelpLoader::Loaded().HtmlHelpA(nullptr, nullptr, HH_CLOSE_ALL, 0);
}

TEST_F(HelpControlTest, LinksInsideTheFileWork)
{
    QTextBrowser* browser = Browser(Context("c:\\Aide\\quelmo.chm", 10));
    ASSERT_NE(browser, nullptr);
    browser->window()->activateWindow();
    browser->setFocus();
    // The page's first link leads to the lists' topic: reach it with Tab, follow it with Return.
    QTest::keyClick(browser, Qt::Key_Tab);
    QTest::keyClick(browser, Qt::Key_Return);
    EXPECT_EQ(browser->source().path(), "/pages/listes.htm");
    EXPECT_TRUE(browser->toPlainText().contains("La liste des fichiers"));
    EXPECT_TRUE(browser->isBackwardAvailable());
    HelpLoader::Loaded().HtmlHelpA(nullptr, nullptr, HH_CLOSE_ALL, 0);
}

TEST_F(HelpControlTest, LocationsTopicsAndTheWideEntry)
{
    const std::string prefixed = "mk:@MSITStore:c:\\Aide\\quelmo.chm::/pages/boutons.htm>main";
    QTextBrowser* browser =
        Browser(HelpLoader::Loaded().HtmlHelpA(nullptr, prefixed.c_str(), HH_DISPLAY_TOPIC, 0));
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->source().path(), "/pages/boutons.htm");
    const std::u16string wide = u"c:\\Aide\\quelmo.chm";
    EXPECT_EQ(Browser(HelpLoader::Loaded().HtmlHelpW(nullptr, wide.c_str(), HH_HELP_CONTEXT, 40)), browser);
    EXPECT_EQ(browser->source().path(), "/pages/notification.htm");
    EXPECT_EQ(HelpLoader::Loaded().HtmlHelpA(nullptr, "ms-its:c:\\Aide\\quelmo.chm::/pages/absent.htm",
                                             HH_DISPLAY_TOPIC, 0),
              nullptr);
    HelpLoader::Loaded().HtmlHelpA(nullptr, nullptr, HH_CLOSE_ALL, 0);
}

TEST_F(HelpControlTest, CloseAllClosesEveryWindow)
{
    World.InstallHelpFile("Aide/autre.chm");
    const HWND one = Context("c:\\Aide\\quelmo.chm", 10);
    const HWND two = Context("c:\\Aide\\autre.chm", 20);
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    EXPECT_NE(one, two);
    EXPECT_EQ(HelpWindowCount(), 2);
    CloseHelpWindows();
    EXPECT_EQ(WidgetOfHandle(one), nullptr);
    EXPECT_EQ(WidgetOfHandle(two), nullptr);
    EXPECT_EQ(HelpWindowCount(), 0);

    // Unloading the control with a window still open takes the window along.
    ASSERT_NE(Context("c:\\Aide\\quelmo.chm", 30), nullptr);
    UnloadHelpControl();
    EXPECT_EQ(HelpWindowCount(), 0);
    QApplication::processEvents();
}

TEST_F(HelpControlTest, DamagedHelpFilesGiveNoWindowAndNoMessage)
{
    const std::string good = World.Tree.ReadFile("Aide/quelmo.chm");
    std::string noise(good.size(), '\0');
    std::mt19937 random(4);
    for (char& c : noise)
        c = char(random());
    std::string scrambled = good; // a real header over damaged contents
    for (size_t at = 0x200; at < scrambled.size(); at += 7)
        scrambled[at] = char(random());
    // Control data that chmlib divides by (a window size of 0) or trusts (an unknown version):
    // reading them kills whatever process reads them.
    const size_t control = good.find("LZXC");
    ASSERT_NE(control, std::string::npos);
    std::string zeroWindow = good;
    zeroWindow[control + 12] = '\0';
    std::string badVersion = good;
    badVersion[control + 4] = '\x82';
    World.Tree.WriteFile("Aide/fenetre0.chm", zeroWindow);
    World.Tree.WriteFile("Aide/version.chm", badVersion);
    World.Tree.WriteFile("Aide/vide.chm", "");
    World.Tree.WriteFile("Aide/tronque.chm", good.substr(0, good.size() / 2));
    World.Tree.WriteFile("Aide/debut.chm", good.substr(0, 0x60));
    World.Tree.WriteFile("Aide/bruit.chm", noise);
    World.Tree.WriteFile("Aide/brouille.chm", scrambled);
    World.Tree.MakeDir("Aide/dossier.chm");
    HelpUnit::HhInstalled = true;
    const char* const names[] = {"absent",   "vide",    "tronque",  "debut",  "bruit",
                                 "brouille", "dossier", "fenetre0", "version"};
    for (const char* name : names) {
        const std::string file = std::string("c:\\Aide\\") + name + ".chm";
        for (uint32_t context : {0u, 10u, 999u}) {
            const HWND window = Context(file, context);
            if (window != nullptr) { // whatever survived the damage must be a working window
                EXPECT_NE(Browser(window), nullptr) << name;
            }
        }
        EXPECT_EQ(ShowContext(file, 10, hostHtmlHelp), HH_OK) << name;
    }
    for (const char* name : {"absent", "vide", "tronque", "debut", "bruit", "dossier", "fenetre0", "version"})
        EXPECT_EQ(Context(std::string("c:\\Aide\\") + name + ".chm", 10), nullptr) << name;
    EXPECT_TRUE(Boxes.Boxes.empty());
    CloseHelpWindows();
}

TEST(HelpStepsTest, StartUpAndExitFromEndToEnd)
{
    HelpWorld world;
    MessageBoxRecorder boxes;
    world.InstallControl();
    world.InstallHelpFile("Programmes/Quelmo/quelmo.chm"); // beside the program
    world.SetArguments({"-debug"});
    HelpSteps::LoadHelpControl();
    HelpSteps::ProbeAndCreateLog();
    HelpSteps::CreateHelpHook();
    ASSERT_TRUE(HelpUnit::HhInstalled);
    EXPECT_EQ(HelpSystemHook->ChmFile, "c:\\Programmes\\Quelmo\\quelmo.chm");

    TApplication::Instance()->HelpContext(0); // what F1 asks for
    QWidget* window = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == "HelpWindow")
            window = widget;
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->findChild<QTextBrowser*>("topic")->source().path(), "/pages/index.htm");
    EXPECT_TRUE(boxes.Boxes.empty());

    HelpSteps::FreeHelpHook();
    EXPECT_EQ(WidgetOfHandle(window), nullptr);
    EXPECT_EQ(HelpSystemHook, nullptr);
    HelpSteps::FreeDebugLog();
    EXPECT_EQ(DebugLogFile, nullptr);
    HelpSteps::UnloadHelpControl();
    EXPECT_EQ(HelpLoader::Loaded().Module, nullptr);
    EXPECT_EQ(HelpLoader::Loaded().HtmlHelp, nullptr);

    const std::string log = world.Tree.ReadFile("Programmes/Quelmo/HHDebug.txt");
    EXPECT_NE(log.find("_hhInstalled =      \tYES\n"), std::string::npos);
    EXPECT_NE(log.find("ShowContext(\"c:\\Programmes\\Quelmo\\quelmo.chm\", 0)\n"), std::string::npos);
    EXPECT_NE(log.find("   THookHelpSystem.Destroy\n"), std::string::npos);
}

} // namespace
