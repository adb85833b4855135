#pragma once
// Basic idea: small text and path helpers shared by the player and the start-up environment.
// They keep no state; every folder they return ends with "\".

#include <cstdint>
#include <string>

// The last character of a text; a blank for the empty text.
char LastChar(const std::string& text);

// The decimal text of n, with "0" in front when n is below 10 (negative numbers included).
std::string TwoDigits(int32_t n);

// Appends "\" unless the text already ends with one; the empty text becomes "\".
void AddBackslash(std::string& path);

// A shell special folder (26 the user's application data, 35 the machine-wide one) as a path
// text with a final "\".
std::string SpecialFolderPath(int csidl);

// The "Windows directory" of the program: the folder of its system components (see README), with
// a final "\".
std::string WindowsFolder();
// The same folder without its final "\", the way the system's own calls report it.
std::string WindowsDirectory();

// Creates the folder when no directory of that path exists; only the last level, failures ignored.
void EnsureFolder(const std::string& folder);
