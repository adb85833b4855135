#pragma once
// Basic idea: the calling convention between the program and the HTML help control, a module of
// ours (helpctrl/) that the help loader finds and loads at run time. The control exports the two
// entries "HtmlHelpA" (8-bit path texts) and "HtmlHelpW" (UTF-16 path texts): a caller window, the
// path of a compiled help file (optionally with "mk:@MSITStore:" or "ms-its:" in front, "::/topic"
// and ">window" behind), a command and its data. HH_HELP_CONTEXT opens the file at a context number
// and returns the help window, HH_CLOSE_ALL closes every help window. Windows are opaque handles.
//
// The program names files with path texts whose drive letters only it knows, so the control asks
// the program to turn a path text into a POSIX path: the loader hands it a resolver through the
// third entry "HtmlHelpSetPathResolver" right after loading. The control writes what the program's
// help debug log should know (a file cut down to its limits, or not opened, and why) through the
// writer it is handed by the fourth entry "HtmlHelpSetDebugLog". Everything runs on the UI thread.

#include <cstddef>
#include <cstdint>

using HWND = void*;

constexpr unsigned HH_DISPLAY_TOPIC = 0x0000;
constexpr unsigned HH_HELP_CONTEXT = 0x000F;
constexpr unsigned HH_CLOSE_ALL = 0x0012;

extern "C" {
typedef HWND (*HtmlHelpAProc)(HWND caller, const char* file, unsigned command, uintptr_t data);
typedef HWND (*HtmlHelpWProc)(HWND caller, const char16_t* file, unsigned command, uintptr_t data);
// Writes the POSIX path of a path text into `posixPath` (NUL-terminated, at most `size` bytes) and
// returns its length, or -1 when the text names no file the program can reach.
typedef int (*HtmlHelpPathResolver)(const char* pathText, char* posixPath, size_t size);
typedef void (*HtmlHelpSetPathResolverProc)(HtmlHelpPathResolver resolver);
// Writes one line (UTF-8, no line end) to the program's help debug log.
typedef void (*HtmlHelpDebugLog)(const char* line);
typedef void (*HtmlHelpSetDebugLogProc)(HtmlHelpDebugLog writer);
}
