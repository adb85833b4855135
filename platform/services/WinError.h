#pragma once
// Basic idea: failures of the platform layer carry Windows error codes, mapped once from errno
// here, so that the components show the messages the user knows (EInOutError's table) and the
// help code's LastErrorText works as it would on Windows. SetLastError/GetLastError keep the last
// code per thread, as the system does.

#include <cstdint>

namespace WinError {
constexpr int Success = 0;
constexpr int FileNotFound = 2;
constexpr int PathNotFound = 3;
constexpr int TooManyOpenFiles = 4;
constexpr int AccessDenied = 5;
constexpr int NotEnoughMemory = 8;
constexpr int InvalidDrive = 15;
constexpr int WriteProtect = 19;
constexpr int NotReady = 21;
constexpr int SharingViolation = 32;
constexpr int BadNetPath = 53;
constexpr int FileExists = 80;
constexpr int InvalidParameter = 87;
constexpr int DiskFull = 112;
constexpr int InvalidName = 123;
constexpr int ProcNotFound = 127;
constexpr int DirNotEmpty = 145;
constexpr int AlreadyExists = 183;
constexpr int BadExeFormat = 193;
constexpr int FilenameTooLong = 206;
constexpr int NotADirectory = 267;
constexpr int IoDevice = 1117;
constexpr int CantResolveFilename = 1921;
} // namespace WinError

// The Windows code for an errno value. ENOENT maps to "file not found"; callers that know a
// whole path was missing say "path not found" themselves. 0 for 0, IoDevice for any errno
// without a closer match. Throws nothing.
int WinErrorFromErrno(int errnoValue);

// The calling thread's last error; 0 until one is set. Throw nothing.
void SetLastError(int code);
int GetLastError();
