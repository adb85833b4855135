#include "common/HelpProbe.h"

#include "common/DebugLog.h"
#include "common/HelpLoader.h"
#include "common/HelpVersions.h"
#include "platform/CommandLine.h"
#include "platform/FileSystem.h"
#include "platform/Module.h"
#include "platform/TextPath.h"
#include "platform/Version.h"

#include <QDateTime>
#include <QLocale>

namespace HelpUnit {
std::string _ModulePath;
std::string _ModuleDir;
std::string _ModuleName;
std::string _RunDir;
std::string LogFolder;
bool DebugMode = false;
std::string _hhVerStr;
bool _hhInstalled = false;
std::string _hhFriendlyVerStr;
std::string _ieVerStr;
bool _ieInstalled = false;
std::string _ieFriendlyVerStr;

namespace {

// The folder of a path, without any final "\".
std::string FolderWithoutBackslashes(const std::string& path)
{
    return TextPath::WithoutFinalBackslashes(TextPath::FolderOf(path));
}

bool DebugSwitchGiven()
{
    if (FileSystem::FileExists(_ModuleDir + "\\debug.debug"))
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
    log.WriteLine("!_RunDir =           \t%s", {_RunDir});
    log.WriteLine("!_ModuleName =       \t%s", {_ModuleName});
    log.WriteLine("!_ModuleDir =        \t%s", {_ModuleDir});
    log.WriteLine("!_ModulePath =        \t%s", {_ModulePath});
    log.WriteLine("!Module Version =       \t%s", {FileVersionText(_ModulePath).Text});
    log.WriteLine("-");
}

void WriteVersions(TDLogFile& log)
{
    log.WriteLine("!_hhInstalled =      \t%s", {YesNo(_hhInstalled)});
    log.WriteLine("!_hhVerStr =         \t%s", {_hhVerStr});
    log.WriteLine("!_hhFriendlyVerStr = \t%s", {_hhFriendlyVerStr});
    log.WriteLine("-");
    log.WriteLine("!_ieInstalled =      \t%s", {YesNo(_ieInstalled)});
    log.WriteLine("!_ieVerStr =         \t%s", {_ieVerStr});
    log.WriteLine("!_ieFriendlyVerStr = \t%s", {_ieFriendlyVerStr});
    log.WriteLine("=");
}

} // namespace

void RunProbe()
{
    _ModulePath = Module::ProgramFilePath();
    _ModuleDir = FolderWithoutBackslashes(_ModulePath);
    _ModuleName = _ModulePath.substr(_ModulePath.find_last_of('\\') + 1);
    _RunDir = FolderWithoutBackslashes(CommandLine::Arguments().front());
    LogFolder = FolderWritable(_ModuleDir) ? _ModuleDir : TempFolder();
    DebugMode = DebugSwitchGiven();
    _hhVerStr = FileVersionText(HelpControlPath()).Text;
    _hhInstalled = !_hhVerStr.empty();
    _hhFriendlyVerStr = FriendlyHHVersion();
    _ieVerStr = BrowserVersion().Text;
    _ieInstalled = !_ieVerStr.empty();
    _ieFriendlyVerStr = FriendlyIEVersion();
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
