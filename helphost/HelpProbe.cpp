#include "helphost/HelpProbe.h"

#include "helphost/DebugLog.h"
#include "helphost/HelpLoader.h"
#include "helphost/HelpVersions.h"
#include "platform/paths/FileSystem.h"
#include "platform/paths/TextPath.h"
#include "platform/services/CommandLine.h"
#include "platform/services/Module.h"
#include "platform/services/Version.h"

#include <QDateTime>
#include <QLocale>

namespace HelpUnit {
std::string ModulePath;
std::string ModuleDir;
std::string ModuleName;
std::string RunDir;
std::string LogFolder;
bool DebugMode = false;
std::string HhVerStr;
bool HhInstalled = false;
std::string HhFriendlyVerStr;
std::string IeVerStr;
bool IeInstalled = false;
std::string IeFriendlyVerStr;

namespace {

// The folder of a path, without any final "\".
std::string FolderWithoutBackslashes(const std::string& path)
{
    return TextPath::WithoutFinalBackslashes(TextPath::FolderOf(path));
}

bool DebugSwitchGiven()
{
    if (FileSystem::FileExists(ModuleDir + "\\debug.debug"))
        return true;
    const std::vector<std::string> arguments = CommandLine::Arguments();
    for (const char* word : {"/debug", "-debug"})
        for (size_t index = 1; index < arguments.size(); ++index)
            if (arguments[index] == word)
                return true;
    return false;
}

std::string YesNo(bool value)
{
    return value ? "YES" : "NO";
}

// The system line's values, from the same version record that decides the version code
// (SharedFolders.h), so the log names the system the program acts on.
std::vector<std::string> SystemValues()
{
    const Version::OSVersionInfo info = Version::GetVersionEx();
    std::string name = "Windows";
    if (info.PlatformId == Version::PlatformWin32NT) {
        if (info.MajorVersion == 4)
            name = "Windows NT4";
        else if (info.MajorVersion == 5 && info.MinorVersion == 0)
            name = "Windows 2000";
        else if (info.MajorVersion == 5 && info.MinorVersion == 1)
            name = "Windows XP";
        else
            name = "Windows NT";
    }
    const std::string pack = info.CSDVersion.empty() ? "No Service Pack" : info.CSDVersion;
    return {name, std::to_string(info.MajorVersion), std::to_string(info.MinorVersion),
            std::to_string(info.BuildNumber), pack};
}

std::string JoinedParameters()
{
    const std::vector<std::string> arguments = CommandLine::Arguments();
    std::string joined;
    for (size_t index = 1; index < arguments.size(); ++index)
        joined += (index > 1 ? " | " : "") + arguments[index];
    return joined;
}

void WriteEnvironment(TDLogFile& log)
{
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    const std::string date = locale.toString(now.date(), QLocale::ShortFormat).toStdString() + " " +
                             locale.toString(now.time(), QLocale::LongFormat).toStdString();
    log.WriteLine("=");
    log.WriteLine("!Log File:             \t%s", {log.FileName()});
    log.WriteLine("!Date:                 \t%s", {date});
    log.WriteLine("!Operating System:      \t%s %d.%d (Build %d) %s", SystemValues());
    // Linux has no locale identifiers: they are written as 0.
    log.WriteLine("!SysLocale.DefaultLCID: \t%s (%s)", {"0x0000", "0"});
    log.WriteLine("!SysLocale.PriLangID:   \t%s (%s)", {"0x0000", "0"});
    log.WriteLine("!SysLocale.SubLangID:   \t%s (%s)", {"0x0000", "0"});
    log.WriteLine("!DecimalSeparator:      \t%s", {locale.decimalPoint().toStdString()});
    log.WriteLine("-");
}

void WriteProgram(TDLogFile& log)
{
    const std::string program = CommandLine::Arguments().front();
    log.WriteLine("!EXE Path =          \t%s", {program});
    log.WriteLine("!EXE Version =       \t%s", {FileVersionText(program).Text});
    log.WriteLine("!Cmdline Param(s) =  \t%s", {JoinedParameters()});
    log.WriteLine("!Actual CmdLine =  \t%s", {CommandLine::RawCommandLine().substr(0, 255)});
    log.WriteLine("!_RunDir =           \t%s", {RunDir});
    log.WriteLine("!_ModuleName =       \t%s", {ModuleName});
    log.WriteLine("!_ModuleDir =        \t%s", {ModuleDir});
    log.WriteLine("!_ModulePath =        \t%s", {ModulePath});
    log.WriteLine("!Module Version =       \t%s", {FileVersionText(ModulePath).Text});
    log.WriteLine("-");
}

void WriteVersions(TDLogFile& log)
{
    log.WriteLine("!_hhInstalled =      \t%s", {YesNo(HhInstalled)});
    log.WriteLine("!_hhVerStr =         \t%s", {HhVerStr});
    log.WriteLine("!_hhFriendlyVerStr = \t%s", {HhFriendlyVerStr});
    log.WriteLine("-");
    log.WriteLine("!_ieInstalled =      \t%s", {YesNo(IeInstalled)});
    log.WriteLine("!_ieVerStr =         \t%s", {IeVerStr});
    log.WriteLine("!_ieFriendlyVerStr = \t%s", {IeFriendlyVerStr});
    log.WriteLine("=");
}

} // namespace

void RunProbe()
{
    ModulePath = Module::ProgramFilePath();
    ModuleDir = FolderWithoutBackslashes(ModulePath);
    ModuleName = ModulePath.substr(ModulePath.find_last_of('\\') + 1);
    RunDir = FolderWithoutBackslashes(CommandLine::Arguments().front());
    LogFolder = FolderWritable(ModuleDir) ? ModuleDir : TempFolder();
    DebugMode = DebugSwitchGiven();
    HhVerStr = FileVersionText(HelpControlPath()).Text;
    HhInstalled = !HhVerStr.empty();
    HhFriendlyVerStr = FriendlyHHVersion();
    IeVerStr = BrowserVersion().Text;
    IeInstalled = !IeVerStr.empty();
    IeFriendlyVerStr = FriendlyIEVersion();
    DebugLogFile = std::make_unique<TDLogFile>(LogFolder + "\\HHDebug.txt", DebugMode, true, true, false);
}

void FreeDebugLog()
{
    DebugLogFile.reset();
}

void WriteLogHeader(TDLogFile& log)
{
    WriteEnvironment(log);
    WriteProgram(log);
    WriteVersions(log);
}

} // namespace HelpUnit
