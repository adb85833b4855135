#pragma once
// Basic idea: the small text and path helpers every layer uses, in one place: ASCII case mapping,
// the system's case mapping of byte texts, and the parts of a path text ("c:\dir\name.ext").
// They keep no state and may be called from any thread.

#include <string>
#include <string_view>

namespace TextPath {

// True when every byte is below 0x80 (the empty text included). Throws nothing.
bool IsAscii(std::string_view text);

// The lower-case (AsciiLower) or upper-case (AsciiUpper) form of an ASCII letter; any other byte
// unchanged. Throw nothing.
char AsciiLower(char c);
char AsciiUpper(char c);

// The system's case mapping of a byte text: every letter of a UTF-8 text, or only the ASCII
// letters of bytes that are not UTF-8 (the others pass unchanged). Throw nothing.
std::string LowerText(const std::string& text);
std::string UpperText(const std::string& text);

// The path up to and including its last "\" or ":"; "" when it has neither. Throws nothing.
std::string FolderPart(const std::string& path);
// The folder of a path without its final "\" ("c:" and "c:\dir" for "c:name" and "c:\dir\name");
// "" when the path has no "\" nor ":". Throws nothing.
std::string FolderOf(const std::string& path);
// The text without the "\" it ends with, however many ("" for "\"). Throws nothing.
std::string WithoutFinalBackslashes(std::string path);
// The last name of a path: what follows its last "\" or ":"; the whole text when it has neither,
// "" when it ends with one. Throws nothing.
std::string NameOf(const std::string& path);

} // namespace TextPath
