#pragma once
// Basic idea: the help unit's start-up probe. Before the main window exists it records where the
// program lives, whether debug mode is on (the file "debug.debug" beside the program, or the
// argument "/debug" or "-debug"), the versions of the help control and of the browser component,
// where the debug log goes, and then creates the debug log (DebugLog.h), whose header shows these
// values. The values never change afterwards. UI thread only.

#include <string>

class TDLogFile;

// The names follow the help unit's own, leading underscores included; inside this namespace they
// meet no name of the compiler's or the library's.
namespace HelpUnit {
extern std::string _ModulePath; // NOLINT(bugprone-reserved-identifier): the program's path text
extern std::string _ModuleDir;  // NOLINT(bugprone-reserved-identifier): its folder, without final "\"
extern std::string _ModuleName; // NOLINT(bugprone-reserved-identifier): its file name
extern std::string _RunDir;     // NOLINT(bugprone-reserved-identifier): argument 0's folder, no final "\"
extern std::string LogFolder;   // _ModuleDir when writable, else the temporary folder
extern bool DebugMode;
extern std::string _hhVerStr; // the help control's file version, empty when missing
extern bool _hhInstalled;
extern std::string _hhFriendlyVerStr;
extern std::string _ieVerStr; // the browser component's version, empty when missing
extern bool _ieInstalled;
extern std::string _ieFriendlyVerStr;

// Runs the probe in its order and creates DebugLogFile.
void RunProbe();

// Frees DebugLogFile.
void FreeDebugLog();

// The environment header of a new log, written line by line.
void WriteLogHeader(TDLogFile& log);
} // namespace HelpUnit
