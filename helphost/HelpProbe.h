#pragma once
// Basic idea: the help unit's start-up probe. Before the main window exists it records where the
// program lives, whether debug mode is on (the file "debug.debug" beside the program, or the
// argument "/debug" or "-debug"), the versions of the help control and of the browser component,
// where the debug log goes, and then creates the debug log (DebugLog.h), whose header shows these
// values. The values never change afterwards. UI thread only.

#include <string>

class TDLogFile;

namespace HelpUnit {
extern std::string ModulePath; // the program's path text
extern std::string ModuleDir;  // its folder, without final "\"
extern std::string ModuleName; // its file name
extern std::string RunDir;     // argument 0's folder, without final "\"
extern std::string LogFolder;  // ModuleDir when writable, else the temporary folder
extern bool DebugMode;
extern std::string HhVerStr; // the help control's file version, empty when missing
extern bool HhInstalled;
extern std::string HhFriendlyVerStr;
extern std::string IeVerStr; // the browser component's version, empty when missing
extern bool IeInstalled;
extern std::string IeFriendlyVerStr;

// Runs the probe in its order and creates DebugLogFile.
void RunProbe();

// Frees DebugLogFile.
void FreeDebugLog();

// The environment header of a new log, written line by line.
void WriteLogHeader(TDLogFile& log);
} // namespace HelpUnit
