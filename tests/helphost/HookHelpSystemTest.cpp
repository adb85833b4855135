// The help hook and the help loader with a recording help control: what the application's help
// requests turn into, the viewer programs' command lines, the messages of every failure, the log
// lines of every step, and F1 in a form.

#include "helphost/HookHelpSystem.h"

#include "HelpTestSupport.h"
#include "common/InstalledLayout.h"
#include "helphost/DebugLog.h"
#include "helphost/HelpLoader.h"
#include "helphost/HelpProbe.h"
#include "platform/components/HelpKey.h"
#include "platform/paths/Paths.h"
#include "platform/services/Exceptions.h"
#include "platform/services/WinError.h"

#include <QTest>
#include <QWidget>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

struct ControlCall
{
    std::string File;
    unsigned Command;
    uintptr_t Data;
};

std::vector<ControlCall>& Calls()
{
    static std::vector<ControlCall> calls;
    return calls;
}

HWND RecordingControl(HWND, const char* file, unsigned command, uintptr_t data)
{
    Calls().push_back({file != nullptr ? file : "", command, data});
    return nullptr;
}

// A hook world with the recording control in place of the loaded one.
class HookTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Calls().clear();
        HelpUnit::HhInstalled = true;
        HelpLoader::Loaded().HtmlHelp = &RecordingControl;
    }
    void TearDown() override
    {
        HelpSystemHook.reset();
        HelpLoader::Loaded().HtmlHelp = nullptr;
    }

    // A program in the Windows folder that writes its arguments, one a line, to a file beside it.
    void InstallViewer(const std::string& name) const
    {
        const std::string out = World.Tree / (name + ".args");
        World.Tree.WriteFile("Windows/" + name, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + out +
                                                    ".part'\nmv '" + out + ".part' '" + out + "'\n");
        ::chmod((World.Tree / ("Windows/" + name)).c_str(), 0755);
    }
    std::string ViewerArguments(const std::string& name) const
    {
        EXPECT_TRUE(WaitFor([&] { return World.Tree.Exists(name + ".args"); }));
        return World.Tree.ReadFile(name + ".args");
    }

    HelpWorld World;
    MessageBoxRecorder Boxes;
};

TEST_F(HookTest, ContextRequestCallsTheControl)
{
    HelpSystemHook = std::make_unique<THookHelpSystem>("C:\\Aide\\Quelmo.chm", "", hostHtmlHelp);
    EXPECT_TRUE(TApplication::Instance()->HelpContext(1234));
    ASSERT_EQ(Calls().size(), 1u);
    EXPECT_EQ(Calls()[0].File, "C:\\Aide\\Quelmo.chm");
    EXPECT_EQ(Calls()[0].Command, 15u);
    EXPECT_EQ(Calls()[0].Data, 1234u);
    EXPECT_TRUE(Boxes.Boxes.empty());

    // A popup request without a popup handler shows the same topic.
    TApplication::Instance()->HelpCommand(HELP_CONTEXTPOPUP, 1234);
    ASSERT_EQ(Calls().size(), 2u);
    EXPECT_EQ(Calls()[1].File, Calls()[0].File);
    EXPECT_EQ(Calls()[1].Data, 1234u);
}

TEST_F(HookTest, CommandsTheHookLeavesOrKeeps)
{
    THookHelpSystem hook("C:\\Aide\\Quelmo.chm", "", hostHtmlHelp);
    bool callHelp = false;
    EXPECT_TRUE(hook.HelpHook(HELP_CONTENTS, 0, callHelp));
    EXPECT_TRUE(callHelp); // the index request passes on
    EXPECT_TRUE(Calls().empty());

    hook.HelpHook(HELP_SETPOPUP_POS, int32_t(uint32_t(0xFFF6) << 16 | 300), callHelp); // y = -10
    EXPECT_FALSE(callHelp);
    EXPECT_EQ(hook.PopupPos.x, 300);
    EXPECT_EQ(hook.PopupPos.y, -10);

    std::vector<std::tuple<int32_t, int32_t, int32_t>> popups;
    std::vector<int32_t> contexts;
    hook.OnHelpPopup = [&](int32_t context, int32_t x, int32_t y) { popups.emplace_back(context, x, y); };
    hook.OnHelpContext = [&](int32_t context) { contexts.push_back(context); };
    hook.HelpHook(HELP_CONTEXTPOPUP, 42, callHelp);
    hook.HelpHook(HELP_CONTEXT, 43, callHelp);
    EXPECT_EQ(popups, (std::vector<std::tuple<int32_t, int32_t, int32_t>>{{42, 300, -10}}));
    EXPECT_EQ(contexts, std::vector<int32_t>{43});
    EXPECT_TRUE(Calls().empty());

    // Negative contexts are a range error, raised before anything is shown.
    hook.OnHelpContext = nullptr;
    EXPECT_THROW(hook.HelpHook(HELP_CONTEXT, -1, callHelp), ERangeError);
    EXPECT_TRUE(Calls().empty());
    EXPECT_TRUE(Boxes.Boxes.empty());
}

TEST_F(HookTest, ChainingAndUninstalling)
{
    TApplication* app = TApplication::Instance();
    std::vector<uint16_t> old;
    app->OnHelp = [&old](uint16_t command, int32_t, bool&) {
        old.push_back(command);
        return false;
    };
    auto hook = std::make_unique<THookHelpSystem>("a.chm", "", hostHtmlHelp);
    EXPECT_TRUE(app->HelpContext(5));
    EXPECT_TRUE(old.empty()); // not chained by default
    hook->ChainOldHandler = true;
    EXPECT_FALSE(app->HelpContext(5)); // the old handler's result
    EXPECT_EQ(old, std::vector<uint16_t>{HELP_CONTEXT});
    EXPECT_EQ(Calls().size(), 2u);

    hook.reset(); // closes the help windows and gives the old handler back
    EXPECT_EQ(Calls().back().Command, 18u);
    app->HelpContext(6);
    EXPECT_EQ(old.size(), 2u);
    EXPECT_EQ(Calls().size(), 3u);
    app->OnHelp = nullptr;
}

TEST_F(HookTest, HelpViewerProgramsAndTheirCommandLines)
{
    InstallViewer("HH.EXE");
    InstallViewer("KeyHH.EXE");
    EXPECT_EQ(HHHelpContext("C:\\Aide\\Quelmo.chm", 1234, "", hostHHExe), HH_OK);
    EXPECT_EQ(ViewerArguments("HH.EXE"), "-mapid\n1234\nmk:@MSITStore:C:\\Aide\\Quelmo.chm\n");
    EXPECT_EQ(HHHelpContext("C:\\Aide\\Quelmo.chm", 7, "main", hostKeyHH), HH_OK);
    EXPECT_EQ(ViewerArguments("KeyHH.EXE"), "-win\n-#mapid\n7\nC:\\Aide\\Quelmo.chm>main\n");
    EXPECT_TRUE(Calls().empty());
    EXPECT_TRUE(Boxes.Boxes.empty());
    EXPECT_EQ(ShowContext("x.chm", 1, 9), HH_OK); // an unknown host type does nothing
}

TEST_F(HookTest, FailuresShowTheirMessages)
{
    TApplication::Instance()->SetTitle("Quelmo titre");
    struct Case
    {
        bool Installed;
        uint8_t Host;
        int Code;
        const char* Text;
    };
    const Case cases[] = {
        {false, hostHtmlHelp, 1, "MS Html Help is not installed on this PC."},
        {true, hostKeyHH, 2, "System file KeyHH.EXE was not found in the Windows folder."},
        {true, hostHHExe, 3, "System file HH.EXE was not found in the Windows folder."},
    };
    for (const Case& c : cases) {
        HelpUnit::HhInstalled = c.Installed;
        Boxes.Boxes.clear();
        HelpSystemHook.reset(); // the old hook gives its saved event back before a new one saves it
        HelpSystemHook = std::make_unique<THookHelpSystem>("C:\\Aide\\Quelmo.chm", "", c.Host);
        EXPECT_EQ(HHHelpContext("C:\\Aide\\Quelmo.chm", 1234, "", c.Host), c.Code);
        EXPECT_TRUE(TApplication::Instance()->HelpContext(1234));
        ASSERT_EQ(Boxes.Boxes.size(), 1u) << c.Code;
        EXPECT_EQ(Boxes.Boxes[0].Text, c.Text);
        EXPECT_EQ(Boxes.Boxes[0].Caption, "Quelmo titre");
        EXPECT_EQ(Boxes.Boxes[0].Icon, MessageIcon::Exclamation);
    }
    for (const ControlCall& call : Calls()) // only the hooks' closing of the help windows
        EXPECT_EQ(call.Command, 18u);
    Boxes.Boxes.clear();
    HHShowError(7);
    HHShowError(0);
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text, "Unknown error returned by HHHelpContext");

    // The control's file is there but could not be loaded: not installed either.
    HelpUnit::HhInstalled = true;
    HelpLoader::Loaded().HtmlHelp = nullptr;
    EXPECT_EQ(ShowContext("C:\\Aide\\Quelmo.chm", 1, hostHtmlHelp), HH_NOT_INSTALLED);
    TApplication::Instance()->SetTitle("Quelmo");
}

TEST_F(HookTest, AViewerTheShellCannotStartShowsTheShellsError)
{
    World.Tree.WriteFile("Windows/HH.EXE", "not a program");
    ::chmod((World.Tree / "Windows/HH.EXE").c_str(), 0644);
    EXPECT_EQ(HHHelpContext("C:\\Aide\\Quelmo.chm", 12, "", hostHHExe), HH_OK); // no second message
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text, "Function ShellExecute(c:\\Windows\\HH.EXE, -mapid 12 "
                                   "mk:@MSITStore:C:\\Aide\\Quelmo.chm)\rReturned: [Error:5] Access Denied");
    EXPECT_EQ(Boxes.Boxes[0].Icon, MessageIcon::Exclamation);
    EXPECT_FALSE(ShellRun("c:\\Windows\\absent", ""));
    EXPECT_NE(Boxes.Boxes.back().Text.find("[Error:2] File Not Found"), std::string::npos);
}

TEST(HelpPathTest, MakeHelpPath)
{
    struct Case
    {
        const char* File;
        const char* Topic;
        const char* WinDef;
        int Prefix;
        const char* Path;
    };
    const Case cases[] = {
        {"a%20b.chm", "html\\intro.htm", "main", 0, "a b.chm::/html/intro.htm>main"},
        {"  C:\\Aide\\Quelmo.chm ", "", "", 1, "mk:@MSITStore:C:\\Aide\\Quelmo.chm"},
        {"q.chm", "/a.htm", "", 2, "ms-its:q.chm::/a.htm"},
        {"", "a.htm", "%20w%20", 0, "/a.htm>w"},
        {"%20%20", "%20", "", 0, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MakeHelpPath(c.File, c.Topic, c.WinDef, c.Prefix), c.Path) << c.Path;
}

TEST(HelpPathTest, LastErrorTextAndCommandTexts)
{
    const std::pair<int, const char*> cases[] = {
        {2, "[Error:2] File Not Found"},         {33, "[Error:33] File In Use"},
        {112, "[Error:112] Disk Full"},          {1393, "[Error:1393] Corrupt File Or Disk"},
        {1358, "[Error:1358] Corrupt Registry"}, {0, "[Error:0] General Failure"},
        {193, "[Error:193] General Failure"},
    };
    for (const auto& [code, text] : cases) {
        SetLastError(code);
        EXPECT_EQ(LastErrorText(), text);
    }
    EXPECT_EQ(HelpCommandText(1), "1 (HELP_CONTEXT)");
    EXPECT_EQ(HelpCommandText(515), "515 (HELP_SETWINPOS)");
    EXPECT_EQ(HelpCommandText(6), "6 (?\?)");
}

TEST(HelpLoaderTest, WhereTheControlIs)
{
    HelpWorld world;
    world.Tree.WriteFile("Windows/hhctrl.ocx");
    world.Tree.WriteFile("Windows/System32/autre.ocx");
    world.Tree.WriteFile("Outils/ctl.ocx");
    struct Case
    {
        const char* Env;
        const char* File;
        std::string Path;
    };
    const Case cases[] = {
        {nullptr, nullptr, "c:\\Windows\\hhctrl.ocx"},
        {"%SystemRoot%\\System32\\autre.ocx", nullptr, "c:\\Windows\\System32\\autre.ocx"},
        {"%systemROOT%\\System32\\autre.ocx", nullptr, "c:\\Windows\\System32\\autre.ocx"},
        {"%SYSTEMROOT%\\absent.ocx", nullptr, "c:\\Windows\\hhctrl.ocx"},
        {"%SYSTEMROOTX\\autre.ocx", nullptr, "c:\\Windows\\hhctrl.ocx"},
        {"c:\\Outils\\ctl.ocx", nullptr, "c:\\Outils\\ctl.ocx"},
        {"POSIX", nullptr, "c:\\Outils\\ctl.ocx"},
        {nullptr, "c:\\Outils\\ctl.ocx\r\n", "c:\\Outils\\ctl.ocx"},
        {"%SystemRoot%\\System32\\autre.ocx", "c:\\Outils\\ctl.ocx", "c:\\Windows\\System32\\autre.ocx"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(world.Tree / "etc/Quelmo/hhctrl.path");
        if (c.File != nullptr)
            world.Tree.WriteFile("etc/Quelmo/hhctrl.path", c.File);
        if (c.Env == nullptr)
            ::unsetenv("QUELMO_HHCTRL");
        else if (std::string(c.Env) == "POSIX")
            ::setenv("QUELMO_HHCTRL", (world.Tree / "Outils/ctl.ocx").c_str(), 1);
        else
            ::setenv("QUELMO_HHCTRL", c.Env, 1);
        EXPECT_EQ(HelpControlPath(), c.Path) << (c.Env ? c.Env : "") << " / " << (c.File ? c.File : "");
    }

    // An installed copy has no control in its program's folder (the Windows folder), but in the
    // library folder; a control in the Windows folder still wins.
    ::unsetenv("QUELMO_HHCTRL");
    std::filesystem::remove(world.Tree / "etc/Quelmo/hhctrl.path");
    const std::string installed =
        std::string("Programmes/Quelmo/") + InstalledLayout::HelpControlFromProgram();
    std::filesystem::create_directories(std::filesystem::path(world.Tree / installed).parent_path());
    world.Tree.WriteFile(installed);
    EXPECT_EQ(HelpControlPath(), "c:\\Windows\\hhctrl.ocx");
    std::filesystem::remove(world.Tree / "Windows/hhctrl.ocx");
    EXPECT_EQ(HelpControlPath(),
              Paths::FromPosix(std::filesystem::path(world.Tree / installed).lexically_normal().string()));
    std::filesystem::remove(world.Tree / installed);
    EXPECT_EQ(HelpControlPath(), "c:\\Windows\\hhctrl.ocx") << "nothing anywhere: the system folder's name";
    world.Tree.WriteFile("Windows/hhctrl.ocx");

    // A file that is no module loads nothing and reports nothing.
    ::unsetenv("QUELMO_HHCTRL");
    LoadHelpControl();
    EXPECT_EQ(HelpLoader::Loaded().Module, nullptr);
    EXPECT_EQ(HelpLoader::Loaded().HtmlHelp, nullptr);
    UnloadHelpControl(); // nothing loaded: nothing happens
}

TEST(HelpLogTest, EveryStepWritesItsLine)
{
    HelpWorld world;
    MessageBoxRecorder boxes;
    world.SetArguments({"/debug"});
    HelpUnit::RunProbe();
    ASSERT_FALSE(HelpUnit::HhInstalled);
    HelpSystemHook = std::make_unique<THookHelpSystem>("c:\\Aide\\quelmo.chm", "", hostHtmlHelp);
    TApplication::Instance()->HelpContext(5);
    HelpSystemHook.reset();
    const std::string log = world.Tree.ReadFile("Programmes/Quelmo/HHDebug.txt");
    const char* const lines[] = {
        "   THookHelpSystem.Create(\"c:\\Aide\\quelmo.chm\",\"\", 0)\n",
        "   THookHelpSystem.HelpHook(1 (HELP_CONTEXT), 5)\n",
        "   HHHelpContext(\"c:\\Aide\\quelmo.chm\", 5, \"\", 0)\n",
        "   ShowContext(\"c:\\Aide\\quelmo.chm\", 0)\n",
        "     returned - 1\n",
        "   HHShowError(1), \"MS Html Help is not installed on this PC.\"\n",
        "   THookHelpSystem.Destroy\n",
    };
    size_t at = 0;
    for (const char* line : lines) {
        at = log.find(line, at);
        EXPECT_NE(at, std::string::npos) << line;
    }
    EXPECT_EQ(boxes.Boxes.size(), 1u);
}

TEST_F(HookTest, F1InAFormAsksForHelpWithContext0)
{
    static bool installed = false;
    if (!installed)
        InstallHelpKey(*TApplication::Instance());
    installed = true;
    HelpSystemHook = std::make_unique<THookHelpSystem>("C:\\Aide\\Quelmo.chm", "", hostHtmlHelp);
    QWidget form;
    QWidget stranger;
    TApplication::Instance()->AddForm(&form);
    form.show();
    stranger.show();
    QTest::keyClick(&stranger, Qt::Key_F1);
    EXPECT_TRUE(Calls().empty());
    QTest::keyClick(&form, Qt::Key_F1);
    ASSERT_EQ(Calls().size(), 1u);
    EXPECT_EQ(Calls()[0].Command, 15u);
    EXPECT_EQ(Calls()[0].Data, 0u);
    TApplication::Instance()->RemoveForm(&form);
}

} // namespace
