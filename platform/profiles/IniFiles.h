#pragma once
// Basic idea: profile (INI) files, read and written the way the program's settings files expect:
// "[Section]" header lines and "key=value" lines; section and key names compared without regard
// to case; the first matching section and key win; values read whole (up to a NUL byte); a
// write replaces the key's value or adds the key at the end of its section (the section at the end
// of the file), keeping every other line, comment and blank line byte for byte. Writes never
// create folders; they replace the file atomically (a temporary file renamed over it), so a crash
// or a full disk leaves the old file whole; a symbolic link stays a link and its target is
// replaced. A value with a blank at either end, or within a pair of quotes, is written quoted so
// that it reads back exactly. A file that exists but cannot be read (no permission, not a regular
// file, over a megabyte) reads as empty and is never rewritten. A failure raises EIniFileException with
// "Impossible d'écrire dans <file>". Each call reads the file anew, as the system's profile
// functions do. File names are path texts (Paths.h). UI thread only.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class TIniFile
{
public:
    explicit TIniFile(std::string fileName);

    // Plain accessor; throws nothing.
    const std::string& FileName() const { return m_FileName; }

    // The key's value; defaultValue when the file, the section or the key is missing or the file
    // cannot be read. Throws nothing.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    // A value of at least 3 characters starting "0x"/"0X" is hexadecimal, else decimal; one that
    // does not convert to a 32-bit integer (the empty text included) gives the default. Throws
    // nothing.
    int32_t ReadInteger(const std::string& section, const std::string& key, int32_t defaultValue) const;
    // Throw EIniFileException, the file left as it was, when it cannot be written, or when the value
    // holds a line break, the key a line break or "=", or the section a line break or "]".
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    // Several keys of one section in one replacement of the file: a reader, or a program killed in
    // the middle, sees all of them written or none. Throws as WriteString, nothing written then.
    void WriteStrings(const std::string& section,
                      const std::vector<std::pair<std::string, std::string>>& entries);
    void WriteInteger(const std::string& section, const std::string& key, int32_t value);

    // A section counts as present when it holds at least one key. A missing or unreadable file has
    // no sections and no keys. Throw nothing.
    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& key) const;
    // The keys of a section, in file order; empty when the section is missing. Throws nothing.
    std::vector<std::string> ReadSection(const std::string& section) const;

    // Text to integer by the profile rules; false (value left as it was) when it does not convert.
    // Throws nothing.
    static bool ConvertInteger(const std::string& text, int32_t& value);

    // Removes the temporary files that a write killed in its middle left beside the file (a
    // minute old at least, so that another copy of the program writing now keeps its own).
    // Throws nothing.
    void RemoveLeftovers() const;

private:
    std::string m_FileName;
};
