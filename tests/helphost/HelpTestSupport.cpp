#include "HelpTestSupport.h"

#include "helphost/DebugLog.h"
#include "helphost/HelpLoader.h"
#include "helphost/HelpProbe.h"
#include "helphost/HookHelpSystem.h"
#include "platform/services/CommandLine.h"
#include "platform/services/Module.h"

#include <cstdlib>
#include <filesystem>

HelpWorld::HelpWorld()
{
    m_Drives = std::make_unique<DriveScope>(Tree.Path());
    for (const char* folder : {"Programmes/Quelmo", "Windows", "tmp", "etc"})
        Tree.MakeDir(folder);
    Tree.WriteFile("Programmes/Quelmo/quelmo", "");
    Module::SetProgramPosixPath(Tree / "Programmes/Quelmo/quelmo");
    ::setenv("QUELMO_WINDIR", (Tree / "Windows").c_str(), 1);
    ::setenv("TMPDIR", (Tree / "tmp").c_str(), 1);
    ::setenv("XDG_CONFIG_DIRS", (Tree / "etc").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (Tree / "home/.config").c_str(), 1); // where help windows are remembered
    ::unsetenv("QUELMO_HHCTRL");
    CommandLine::SetArguments({});
}

HelpWorld::~HelpWorld()
{
    HelpSystemHook.reset();
    UnloadHelpControl();
    DebugLogFile.reset();
    HelpUnit::HhInstalled = false;
    HelpUnit::LogFolder.clear();
    CommandLine::ResetArguments();
    Module::SetProgramPosixPath("");
    for (const char* name :
         {"QUELMO_WINDIR", "TMPDIR", "XDG_CONFIG_DIRS", "XDG_CONFIG_HOME", "QUELMO_HHCTRL"})
        ::unsetenv(name);
}

void HelpWorld::InstallControl() const
{
    std::filesystem::create_symlink(QUELMO_HHCTRL_MODULE, Tree / "Windows/hhctrl.ocx");
}

void HelpWorld::InstallHelpFile(const std::string& relative) const
{
    std::filesystem::create_directories(std::filesystem::path(Tree / relative).parent_path());
    std::filesystem::copy_file(QUELMO_HELP_FILE, Tree / relative);
}

void HelpWorld::SetArguments(std::vector<std::string> arguments) const
{
    CommandLine::SetArguments(std::move(arguments));
}
