#include "helphost/DebugLog.h"

#include "helphost/HelpProbe.h"
#include "platform/components/Application.h"
#include "platform/components/MessageBox.h"
#include "platform/paths/FileSystem.h"
#include "platform/paths/Paths.h"
#include "platform/paths/TextPath.h"

#include <QLocale>
#include <QTime>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::unique_ptr<TDLogFile> DebugLogFile;

namespace {

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// The time of day as the user's locale writes it in full, without the time zone.
std::string TimePrefix()
{
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return QLocale::system().toString(QTime::currentTime(), format.trimmed()).toStdString() + "   ";
}

} // namespace

TDLogFile::TDLogFile(std::string fileName, bool enabled, bool timeStamps, bool writeHeader, bool append)
    : m_Enabled(enabled), m_TimeStamps(timeStamps), m_WriteHeader(writeHeader), m_Append(append)
{
    if (fileName.empty())
        fileName = HelpUnit::LogFolder + "\\HHDebug.txt";
    const std::string folder = TextPath::WithoutFinalBackslashes(TextPath::FolderOf(fileName));
    if (!FileSystem::DirectoryExists(folder) || !FolderWritable(folder))
        fileName = TempFolder() + "\\" + TextPath::NameOf(fileName);
    m_FileName = fileName;
    std::string posix;
    if (Paths::ToPosix(m_FileName, posix) == 0 && FileSystem::FileExists(m_FileName)) {
        // A read-only log is made writable first, so that it can be replaced.
        struct stat st
        {
        };
        if (::stat(posix.c_str(), &st) == 0)
            ::chmod(posix.c_str(), (st.st_mode & 07777) | S_IWUSR);
        if (!m_Append)
            ::unlink(posix.c_str());
    }
    if (m_Enabled && m_WriteHeader)
        HelpUnit::WriteLogHeader(*this);
}

TDLogFile::~TDLogFile() = default;

void TDLogFile::WriteLine(const std::string& format, const std::vector<std::string>& arguments)
{
    std::string posix;
    if (Paths::ToPosix(m_FileName, posix) != 0)
        return;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(posix.c_str(), "ab"));
    if (!file)
        return;
    std::string line = arguments.empty() ? format : FormatText(format, arguments);
    if (line == "-" || line == "=")
        line = std::string(80, line[0]);
    if (!line.empty() && (line[0] == '!' || line[0] == '-' || line[0] == '='))
        line.erase(0, 1);
    else if (m_TimeStamps)
        line = TimePrefix() + line;
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), file.get());
}

void TDLogFile::WriteLine(const std::string& line)
{
    WriteLine(line, {});
}

std::string FormatText(const std::string& format, const std::vector<std::string>& arguments)
{
    std::string text;
    size_t next = 0;
    for (size_t at = 0; at < format.size(); ++at) {
        if (format[at] != '%' || at + 1 >= format.size()) {
            text += format[at];
            continue;
        }
        if (format[at + 1] == '%') {
            text += '%';
            ++at;
            continue;
        }
        size_t end = at + 1; // flags, width and precision up to the conversion letter
        while (end < format.size() && !std::isalpha(static_cast<unsigned char>(format[end])))
            ++end;
        if (end >= format.size() || next >= arguments.size()) {
            text += format.substr(at, end + 1 - at);
        } else {
            text += arguments[next++];
        }
        at = end;
    }
    return text;
}

void DebugLogLine(const std::string& format, const std::vector<std::string>& arguments)
{
    if (DebugLogFile && DebugLogFile->Enabled())
        DebugLogFile->WriteLine(format, arguments);
}

void DebugLogBoxLine(const std::string& format, const std::vector<std::string>& arguments)
{
    const std::string text = arguments.empty() ? format : FormatText(format, arguments);
    const TApplication* app = TApplication::Instance();
    MessageBoxA(text, app != nullptr ? app->Title() : "Quelmo", 48);
    if (DebugLogFile && DebugLogFile->Enabled())
        DebugLogFile->WriteLine(text);
}

bool FolderWritable(const std::string& folder)
{
    std::string posix;
    if (Paths::ToPosix(TextPath::WithoutFinalBackslashes(folder) + "\\$_Temp_$.$$$", posix) != 0)
        return false;
    // Only a probe file of its own is made and removed: a file of that name that is already there
    // is somebody's and is left alone, and the folder's permissions answer instead.
    const int fd = ::open(posix.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        const std::string folderPosix = posix.substr(0, posix.rfind('/') + 1);
        return errno == EEXIST && ::faccessat(AT_FDCWD, folderPosix.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
    }
    ::close(fd);
    ::unlink(posix.c_str());
    return true;
}

std::string TempFolder()
{
    const char* env = std::getenv("TMPDIR");
    const std::string posix = env != nullptr && env[0] == '/' ? env : "/tmp";
    const auto text = Paths::FromPosix(posix);
    if (!text || !FileSystem::DirectoryExists(*text))
        return "c:";
    return TextPath::WithoutFinalBackslashes(*text);
}
