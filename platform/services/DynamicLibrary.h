#pragma once
// Basic idea: loading a module of ours at run time, the way the program's components expect it of
// their system (LoadLibraryA, GetProcAddress, FreeLibrary), over dlopen. A module is named by a path
// text; the handle is an opaque value, 0 when loading failed, and the last error says why (2 missing
// file, 193 not a module this process can load). UI thread only, like every caller.

#include <string>

using HMODULE = void*;

// The module of a path text, loaded with its symbols kept to itself; nullptr on failure, the last
// error then PathNotFound or BadNetPath (no drive), FileNotFound or PathNotFound (missing) or
// BadExeFormat (not a module this process can load). Throws nothing.
HMODULE LoadLibraryA(const std::string& path);
// An entry point of a loaded module by name; nullptr when it has none (last error ProcNotFound) or
// when the module or the name is null. Throws nothing.
void* GetProcAddress(HMODULE module, const char* name);
// Frees a module returned by LoadLibraryA; false when the handle was null or not a loaded module.
// Throws nothing.
bool FreeLibrary(HMODULE module);
