#pragma once
// Basic idea: the help code's diagnostic log, "HHDebug.txt". One log object, DebugLogFile, lives
// from the help unit's start-up probe (HelpProbe.h) to its finaliser. It always removes an old log
// at creation, but writes only in debug mode: a header describing the environment, then one line
// per DebugLog call, time-stamped. The file is opened and closed for every line, so it can be read
// or removed between lines. Nothing about the log is ever reported. UI thread only.

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

class TDLogFile
{
public:
    // An empty name is the log folder's "HHDebug.txt"; a folder that cannot be written is
    // replaced by the temporary folder. An existing file is made writable and, unless appending,
    // deleted; the header is written when enabled and asked for.
    TDLogFile(std::string fileName, bool enabled, bool timeStamps, bool writeHeader, bool append);
    ~TDLogFile();
    TDLogFile(const TDLogFile&) = delete;
    TDLogFile& operator=(const TDLogFile&) = delete;

    const std::string& FileName() const { return m_FileName; }
    bool Enabled() const { return m_Enabled; }
    bool TimeStamps() const { return m_TimeStamps; }
    bool WriteHeader() const { return m_WriteHeader; }
    bool Append() const { return m_Append; }

    // Writes one line, whether or not the log is enabled: the format with the arguments filled in
    // (unchanged without arguments). "-" and "=" become separators of 79 characters; a line that
    // starts with "!", "-" or "=" loses that character and gets no time prefix.
    void WriteLine(const std::string& format, const std::vector<std::string>& arguments);
    void WriteLine(const std::string& line);

private:
    std::string m_FileName;
    bool m_Enabled;
    bool m_TimeStamps;
    bool m_WriteHeader;
    bool m_Append;
};

// The one log object; nullptr before the probe and after the finaliser.
extern std::unique_ptr<TDLogFile> DebugLogFile;

// The format with "%s", "%d" (and the other conversions) replaced by the arguments in turn, "%%"
// by "%"; a conversion without an argument stays as it is.
std::string FormatText(const std::string& format, const std::vector<std::string>& arguments);

template <typename T> std::string FormatArgument(const T& value)
{
    if constexpr (std::is_arithmetic_v<T>)
        return std::to_string(value);
    else
        return std::string(value);
}

void DebugLogLine(const std::string& format, const std::vector<std::string>& arguments);
void DebugLogBoxLine(const std::string& format, const std::vector<std::string>& arguments);

// Writes one line to the log when it is enabled.
template <typename... Args> void DebugLog(const std::string& format, const Args&... arguments)
{
    DebugLogLine(format, {FormatArgument(arguments)...});
}

// Shows the filled-in text in a message box (the application's title, OK, exclamation icon), then
// writes it as one line when the log is enabled.
template <typename... Args> void DebugLogBox(const std::string& format, const Args&... arguments)
{
    DebugLogBoxLine(format, {FormatArgument(arguments)...});
}

// Whether a file can be created in the folder (path text; final "\" ignored): the probe file
// "$_Temp_$.$$$" is created (only when no file of that name is there) and deleted. An existing one
// is left as it is, and the folder's permissions give the answer.
bool FolderWritable(const std::string& folder);

// The temporary folder ($TMPDIR, else /tmp) as a path text without final "\"; "c:" when it does
// not exist.
std::string TempFolder();
