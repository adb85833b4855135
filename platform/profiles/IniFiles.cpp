#include "platform/profiles/IniFiles.h"

#include "platform/paths/Paths.h"
#include "platform/profiles/RegularFile.h"
#include "platform/services/Exceptions.h"
#include "platform/services/WinError.h"
#include "texts/French.h"

#include <QString>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// One line of the file: its text without the line end, and what it is.
struct Line
{
    std::string Text;
    std::string Ending; // the line's own end as read ("\r\n", "\n"), empty for a last line without one
    enum Kind
    {
        Other,
        Section,
        Entry
    } Type = Other;
    std::string Name;  // section name or key, trimmed
    std::string Value; // entries: the value, trimmed and unquoted
};

std::string Trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool SameName(const std::string& a, const std::string& b)
{
    if (a.size() == b.size()) {
        bool ascii = true, equal = true;
        for (size_t i = 0; i < a.size() && equal; ++i) {
            const auto ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[i]);
            ascii = ascii && ca < 0x80 && cb < 0x80;
            equal = std::tolower(ca) == std::tolower(cb);
        }
        if (ascii)
            return equal;
    }
    return QString::fromUtf8(a).compare(QString::fromUtf8(b), Qt::CaseInsensitive) == 0;
}

Line Parse(const std::string& text)
{
    Line line;
    line.Text = text;
    const std::string trimmed = Trim(text);
    if (trimmed.empty() || trimmed[0] == ';')
        return line;
    if (trimmed[0] == '[') {
        const auto close = trimmed.find(']');
        line.Type = Line::Section;
        line.Name = Trim(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
        return line;
    }
    const auto equals = trimmed.find('=');
    if (equals == std::string::npos)
        return line;
    line.Type = Line::Entry;
    line.Name = Trim(trimmed.substr(0, equals));
    // A value ends at its first NUL byte, as C strings would end it: the text the program uses is
    // the one the system opens.
    std::string value = trimmed.substr(equals + 1);
    value = Trim(value.substr(0, value.find('\0')));
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        value = value.substr(1, value.size() - 2);
    line.Value = value;
    return line;
}

struct Contents
{
    std::vector<Line> Lines;
    bool Exists = false;
    // The file is there but cannot be read (no permission, not a regular file): it reads as empty
    // and is never rewritten, since the rewrite would lose everything in it.
    bool Unreadable = false;
    std::string NewLine = "\n"; // for lines the writer adds: CR LF when the file uses it
};

std::optional<std::string> PosixOf(const std::string& fileName)
{
    std::string posix;
    if (Paths::ToPosix(fileName, posix) != 0)
        return std::nullopt;
    return posix;
}

// A settings file is a few lines; one far larger is no settings file of the program's.
constexpr size_t MaxFileSize = size_t{1} << 20;

// The whole file, or nullopt with contents.Unreadable set when it is there but cannot be read.
std::optional<std::string> ReadAll(const std::string& posix, Contents& contents)
{
    std::string data;
    const RegularFile::ReadResult result = RegularFile::Read(posix, MaxFileSize, data);
    contents.Exists = result != RegularFile::ReadResult::Missing;
    contents.Unreadable = result == RegularFile::ReadResult::Refused;
    if (result != RegularFile::ReadResult::Read)
        return std::nullopt;
    return data;
}

Contents Load(const std::string& fileName)
{
    Contents contents;
    const auto posix = PosixOf(fileName);
    if (!posix)
        return contents;
    const std::optional<std::string> read = ReadAll(*posix, contents);
    if (!read)
        return contents;
    const std::string& data = *read;

    if (data.find("\r\n") != std::string::npos)
        contents.NewLine = "\r\n";
    size_t start = 0;
    while (start < data.size()) {
        size_t end = data.find('\n', start);
        std::string ending;
        if (end == std::string::npos) {
            end = data.size();
        } else {
            ending = "\n";
        }
        std::string text = data.substr(start, end - start);
        // Only a CR that ends a CR LF pair belongs to the line's end; any other CR is the line's.
        if (!ending.empty() && !text.empty() && text.back() == '\r') {
            text.pop_back();
            ending = "\r\n";
        }
        Line line = Parse(text);
        line.Ending = ending;
        contents.Lines.push_back(std::move(line));
        start = end + 1;
    }
    return contents;
}

// The index of the first section's header, and one past its last line.
bool FindSection(const Contents& contents, const std::string& section, size_t& header, size_t& end)
{
    for (size_t i = 0; i < contents.Lines.size(); ++i) {
        if (contents.Lines[i].Type != Line::Section || !SameName(contents.Lines[i].Name, section))
            continue;
        header = i;
        end = i + 1;
        while (end < contents.Lines.size() && contents.Lines[end].Type != Line::Section)
            ++end;
        return true;
    }
    return false;
}

const Line* FindEntry(const Contents& contents, const std::string& section, const std::string& key)
{
    size_t header = 0, end = 0;
    if (!FindSection(contents, section, header, end))
        return nullptr;
    for (size_t i = header + 1; i < end; ++i)
        if (contents.Lines[i].Type == Line::Entry && SameName(contents.Lines[i].Name, key))
            return &contents.Lines[i];
    return nullptr;
}

// The text written for a value. One that the reader would change (blanks at either end are
// trimmed, a pair of quotes around it is stripped) is written between double quotes, so that it
// reads back exactly; any other value is written as it is.
std::string Stored(const std::string& value)
{
    if (value.empty())
        return value;
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    const bool quoted =
        value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0];
    if (blank(value.front()) || blank(value.back()) || quoted)
        return "\"" + value + "\"";
    return value;
}

[[noreturn]] void WriteFailed(const std::string& fileName)
{
    throw EIniFileException(Texts::Fill(Texts::CannotWrite, fileName));
}

// Writes the whole file beside itself and renames it over the old one. A write that changes nothing
// (the entries already read so) only checks that the file could be written: a read-only file fails
// as before, and the file is not rewritten and flushed to the disk for nothing.
void Store(const std::string& fileName, const Contents& contents, bool unchanged = false)
{
    const auto link = PosixOf(fileName);
    if (!link || contents.Unreadable)
        WriteFailed(fileName);
    const std::string target = RegularFile::WriteTarget(*link);
    mode_t mode = 0666 & ~0022;
    struct stat st
    {
    };
    if (::stat(target.c_str(), &st) == 0) {
        if (::access(target.c_str(), W_OK) != 0) // a read-only file stays as it is
            WriteFailed(fileName);
        mode = st.st_mode & 07777;
    } else {
        unchanged = false; // the file went away since it was read: it is written anew
    }
    if (unchanged)
        return;
    std::string data;
    for (const Line& line : contents.Lines) {
        data += line.Text;
        data += line.Ending;
    }
    if (!RegularFile::Replace(target, data, mode))
        WriteFailed(fileName);
}

// A new line ends as the file's lines do.
Line NewLine(const Contents& contents, const std::string& text)
{
    Line line = Parse(text);
    line.Ending = contents.NewLine;
    return line;
}

// A last line without an end gets one when a line comes after it.
void EndLastLine(Contents& contents)
{
    if (contents.Lines.empty() || !contents.Lines.back().Ending.empty())
        return;
    // A line that itself ends with CR keeps it only when the end added is CR LF.
    Line& last = contents.Lines.back();
    last.Ending = !last.Text.empty() && last.Text.back() == '\r' ? "\r\n" : contents.NewLine;
}

// Replaces the key's value, or adds the key at the end of its section (the section at the end of
// the file). False when the entry already read so.
bool SetEntry(Contents& contents, const std::string& section, const std::string& key,
              const std::string& value)
{
    const std::string entryText = key + "=" + Stored(value);
    size_t header = 0, end = 0;
    if (!FindSection(contents, section, header, end)) {
        EndLastLine(contents);
        contents.Lines.push_back(NewLine(contents, "[" + section + "]"));
        contents.Lines.push_back(NewLine(contents, entryText));
        return true;
    }
    for (size_t i = header + 1; i < end; ++i) {
        Line& line = contents.Lines[i];
        if (line.Type == Line::Entry && SameName(line.Name, key)) {
            const std::string ending = line.Ending;
            const std::string before = line.Text;
            line = Parse(line.Text.substr(0, line.Text.find('=')) + "=" + Stored(value));
            line.Ending = ending;
            return line.Text != before;
        }
    }
    // After the section's last non-blank line, so blank lines between sections stay between them.
    size_t at = end;
    while (at > header + 1 && Trim(contents.Lines[at - 1].Text).empty())
        --at;
    if (at == contents.Lines.size())
        EndLastLine(contents);
    contents.Lines.insert(contents.Lines.begin() + long(at), NewLine(contents, entryText));
    return true;
}

} // namespace

TIniFile::TIniFile(std::string fileName) : m_FileName(std::move(fileName))
{
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const
{
    const Contents contents = Load(m_FileName);
    const Line* entry = FindEntry(contents, section, key);
    if (entry == nullptr)
        return defaultValue;
    return entry->Value;
}

bool TIniFile::ConvertInteger(const std::string& input, int32_t& value)
{
    std::string text = input;
    if (text.size() >= 3 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text = "$" + text.substr(2);
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    const bool hex = i < text.size() && text[i] == '$';
    if (hex)
        ++i;
    if (i >= text.size())
        return false;
    uint64_t number = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0)
            return false;
        number = number * (hex ? 16 : 10) + uint64_t(digit);
        if (number > (hex ? 0xFFFFFFFFull : 0x80000000ull))
            return false;
    }
    if (!hex && !negative && number > 0x7FFFFFFFull)
        return false;
    // Hexadecimal texts name the 32 bits themselves: $FFFFFFFF is -1.
    const auto bits = static_cast<uint32_t>(number);
    value = static_cast<int32_t>(negative ? 0u - bits : bits);
    return true;
}

int32_t TIniFile::ReadInteger(const std::string& section, const std::string& key, int32_t defaultValue) const
{
    int32_t value = 0;
    return ConvertInteger(ReadString(section, key, ""), value) ? value : defaultValue;
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    WriteStrings(section, {{key, value}});
}

void TIniFile::WriteStrings(const std::string& section,
                            const std::vector<std::pair<std::string, std::string>>& entries)
{
    // A line break would end the entry early and make the rest of the value a line of its own.
    if (section.find_first_of("\r\n]") != std::string::npos)
        WriteFailed(m_FileName);
    for (const auto& [key, value] : entries)
        if (value.find_first_of("\r\n") != std::string::npos ||
            key.find_first_of("\r\n=") != std::string::npos)
            WriteFailed(m_FileName);

    Contents contents = Load(m_FileName);
    bool changed = false;
    for (const auto& [key, value] : entries)
        changed = SetEntry(contents, section, key, value) || changed;
    Store(m_FileName, contents, !changed);
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value)
{
    WriteString(section, key, std::to_string(value));
}

void TIniFile::RemoveLeftovers() const
{
    if (const auto link = PosixOf(m_FileName))
        RegularFile::RemoveLeftovers(RegularFile::WriteTarget(*link), 60);
}

bool TIniFile::SectionExists(const std::string& section) const
{
    return !ReadSection(section).empty();
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const
{
    return FindEntry(Load(m_FileName), section, key) != nullptr;
}

std::vector<std::string> TIniFile::ReadSection(const std::string& section) const
{
    const Contents contents = Load(m_FileName);
    std::vector<std::string> keys;
    size_t header = 0, end = 0;
    if (!FindSection(contents, section, header, end))
        return keys;
    for (size_t i = header + 1; i < end; ++i)
        if (contents.Lines[i].Type == Line::Entry)
            keys.push_back(contents.Lines[i].Name);
    return keys;
}
