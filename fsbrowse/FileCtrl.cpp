#include "fsbrowse/FileCtrl.h"

#include "platform/components/Glyphs.h"
#include "platform/paths/CurrentDir.h"
#include "platform/paths/DriveWait.h"
#include "platform/paths/FileSystem.h"
#include "platform/paths/Paths.h"
#include "platform/services/Exceptions.h"
#include "platform/services/WinError.h"

#include <QCollator>
#include <QFontMetrics>
#include <QImage>
#include <algorithm>
#include <numeric>

// The glyphs live in a static library's resources, which must be registered before first use.
static void InitGlyphResources()
{
    Q_INIT_RESOURCE(fsbrowse);
}

namespace FileCtrl {

namespace {

// The collator of the lists. The C and POSIX locales collate by code point, which puts every
// accented name after "z"; a French user's folders then read wrongly, so those locales get the
// French collation instead. Secondary strength: "é" sorts with "e", after it when all else ties.
QCollator ListCollator()
{
    QLocale locale = QLocale().collation();
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::French, QLocale::France);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);
    collator.setIgnorePunctuation(false);
    return collator;
}

// What follows the last "\" or ":" of a text.
std::string NamePart(const std::string& text)
{
    const auto last = text.find_last_of("\\:");
    return last == std::string::npos ? text : text.substr(last + 1);
}

// "\\Music\\\\Album" -> "\\Music\\Album": after a drive letter, a doubled separator (as a
// directory joined to a root that already ends with one) means one.
void CollapseSeparators(std::string& dir)
{
    std::string out;
    for (char c : dir)
        if (c != '\\' || out.empty() || out.back() != '\\')
            out += c;
    dir = out;
}

bool HasWildcard(const std::string& text)
{
    return text.find_first_of("*?") != std::string::npos;
}

// A test that failed because the path's drive did not answer is no answer: the handler that asked
// ends with the box that names the drive, rather than going on as if the path were missing.
void RaiseIfSilent(const std::string& path)
{
    if (GetLastError() != WinError::NotReady)
        return;
    if (std::string message = DriveWait::SilentDriveMessage(path); !message.empty())
        throw EInOutError(WinError::NotReady, std::move(message));
}

// Makes the saved directory current again when it still exists, also when SplitPath fails.
struct RestoreCurrent
{
    std::string Saved;
    bool Armed = true;
    ~RestoreCurrent()
    {
        if (Armed && FileSystem::DirectoryExists(Saved))
            CurrentDir::Set(Saved); // on the way out of a failure: the first error is the one shown
    }
};

// Steps 4 to 7 of SplitPath: the directory and file parts of Dir, relative to the current one.
void SplitDirAndFile(std::string& dir, std::string& file)
{
    file = NamePart(dir);
    if (dir.size() == file.size() + 1)
        dir = "\\";
    else if (file.size() < dir.size())
        dir.resize(dir.size() - file.size() - 1);
    else {
        const std::string current = CurrentDir::Get();
        dir = current.substr(DrivePart(current).size());
        if (dir.empty())
            dir = "\\";
    }
    if (!dir.empty())
        MakeCurrent(dir);
    if (file.empty() || HasWildcard(file) || FileExists(file))
        return;
    MakeCurrent(file);
    dir = dir.size() == 1 ? "\\" + file : dir + "\\" + file;
    file.clear();
}

} // namespace

std::string DrivePart(const std::string& text)
{
    return Paths::DrivePart(text);
}

std::string JoinPath(const std::string& dir, const std::string& name)
{
    if (!dir.empty() && dir.back() == '\\')
        return dir + name;
    return dir + "\\" + name;
}

bool DirExists(const std::string& path)
{
    if (path.empty())
        return false;
    if (FileSystem::DirectoryExists(path))
        return true;
    RaiseIfSilent(path);
    return false;
}

bool FileExists(const std::string& path)
{
    if (FileSystem::FileExists(path))
        return true;
    RaiseIfSilent(path);
    return false;
}

int BackslashCount(const std::string& text)
{
    return int(std::count(text.begin(), text.end(), '\\'));
}

void MakeCurrent(const std::string& path)
{
    if (const int error = CurrentDir::Set(path); error != 0) {
        RaiseIfSilent(path);
        throw EInOutError(error);
    }
}

SplitResult SplitPath(const std::string& text)
{
    SplitResult result;
    RestoreCurrent restore{CurrentDir::Get()};
    result.Drive = restore.Saved.empty() ? 0 : restore.Saved[0];
    std::string dir = text;
    std::string root;
    if (dir.size() >= 2 && dir.front() == '[' && dir.back() == ']') {
        dir = dir.substr(1, dir.size() - 2);
    } else {
        root = DrivePart(dir);
        if (root.empty())
            root = DrivePart(restore.Saved);
        else
            dir.erase(0, root.size());
        result.Drive = (root.size() >= 2 && root[1] == ':') ? root[0] : 0;
    }
    if (result.Drive != 0)
        CollapseSeparators(dir);
    // A root that names no ready volume is reported as such, rather than letting the rest of the
    // path resolve against another drive.
    if (!root.empty())
        MakeCurrent(root);
    SplitDirAndFile(dir, result.File);
    result.Dir = result.Drive == 0 ? root + dir : dir;
    restore.Armed = false;
    if (DirExists(restore.Saved))
        MakeCurrent(restore.Saved);
    return result;
}

std::vector<size_t> SortedOrder(const std::vector<std::string_view>& names)
{
    const QCollator collator = ListCollator();
    std::vector<QCollatorSortKey> keys;
    keys.reserve(names.size());
    for (const std::string_view name : names)
        keys.push_back(collator.sortKey(QString::fromUtf8(name.data(), qsizetype(name.size()))));
    std::vector<size_t> order(names.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        if (const int byKey = keys[a].compare(keys[b]); byKey != 0)
            return byKey < 0;
        return names[a] < names[b];
    });
    return order;
}

QString DisplayText(const std::string& text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

std::string MinimizeName(const std::string& path, const QFont& font, int maxWidth)
{
    const QFontMetrics metrics(font);
    const auto fits = [&](const std::string& text) {
        return metrics.horizontalAdvance(DisplayText(text)) <= maxWidth;
    };
    if (fits(path))
        return path;
    const std::string drive = DrivePart(path);
    const auto lastSlash = path.find_last_of('\\');
    if (lastSlash == std::string::npos || lastSlash < drive.size())
        return path;
    const std::string name = path.substr(lastSlash + 1);
    // The directories between the drive's "\" and the last one.
    std::string dirs =
        lastSlash > drive.size() ? path.substr(drive.size() + 1, lastSlash - drive.size()) : std::string();
    while (!dirs.empty()) {
        const auto slash = dirs.find('\\');
        dirs = slash == std::string::npos ? std::string() : dirs.substr(slash + 1);
        std::string candidate = drive;
        candidate.append("\\...\\").append(dirs).append(name);
        if (fits(candidate))
            return candidate;
    }
    const std::string shortest = "...\\" + name;
    return fits(shortest) ? shortest : name;
}

QPixmap LoadGlyph(const char* name)
{
    static const bool registered = (InitGlyphResources(), true);
    (void)registered;
    QImage image = ResourceImage(QString(":/fsbrowse/glyphs/%1.bmp").arg(QString::fromLatin1(name)));
    if (image.isNull())
        return {};
    image = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (line[x] == transparent)
                line[x] = qRgba(0, 0, 0, 0);
    }
    return QPixmap::fromImage(image);
}

int FontLineHeight(const QFont& font)
{
    return QFontMetrics(font).height();
}

} // namespace FileCtrl
