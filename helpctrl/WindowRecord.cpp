#include "helpctrl/WindowRecord.h"

#include "platform/profiles/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstdlib>
#include <map>

namespace {

const char* const Section = "[Fenetre]";
// Sizes outside these are no window anyone keeps: the record is taken for damaged.
constexpr int MinSize = 100;
constexpr int MaxSize = 20000;
constexpr int MaxOffset = 100000;
constexpr size_t MaxFileSize = 4096;

QString RecordPath()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/Quelmo/hhctrl.ini");
}

// "Key=number" lines after the section line; false when any line is something else.
bool ReadValues(const QByteArray& text, std::map<QByteArray, int>& values)
{
    const QList<QByteArray> lines = text.split('\n');
    if (lines.isEmpty() || lines.front().trimmed() != Section)
        return false;
    for (qsizetype at = 1; at < lines.size(); ++at) {
        const QByteArray line = lines[at].trimmed();
        if (line.isEmpty())
            continue;
        const qsizetype equals = line.indexOf('=');
        bool number = false;
        const int value = equals > 0 ? line.mid(equals + 1).trimmed().toInt(&number) : 0;
        if (!number)
            return false;
        values[line.left(equals).trimmed()] = value;
    }
    return true;
}

} // namespace

std::optional<WindowRecord> LoadWindowRecord()
{
    const QString path = RecordPath();
    std::string text;
    if (path.isEmpty() || RegularFile::Read(QFile::encodeName(path).toStdString(), MaxFileSize, text) !=
                              RegularFile::ReadResult::Read)
        return std::nullopt;
    std::map<QByteArray, int> values;
    if (!ReadValues(QByteArray::fromStdString(text), values))
        return std::nullopt;
    for (const char* key : {"X", "Y", "Width", "Height", "Pane", "PaneShown"})
        if (values.count(key) == 0)
            return std::nullopt;
    const int width = values["Width"], height = values["Height"], pane = values["Pane"];
    const bool sizeFits = width >= MinSize && width <= MaxSize && height >= MinSize && height <= MaxSize;
    const bool placeFits = std::abs(values["X"]) <= MaxOffset && std::abs(values["Y"]) <= MaxOffset;
    if (!sizeFits || !placeFits || pane < 0 || pane > width || (values["PaneShown"] & ~1) != 0)
        return std::nullopt;
    return WindowRecord{QRect(values["X"], values["Y"], width, height), pane, values["PaneShown"] == 1};
}

void SaveWindowRecord(const WindowRecord& record)
{
    const QString path = RecordPath();
    if (path.isEmpty() || !QDir().mkpath(QFileInfo(path).path()))
        return;
    const QRect& place = record.Geometry;
    const QString text = QStringLiteral("%1\nX=%2\nY=%3\nWidth=%4\nHeight=%5\nPane=%6\nPaneShown=%7\n")
                             .arg(QString::fromLatin1(Section))
                             .arg(place.x())
                             .arg(place.y())
                             .arg(place.width())
                             .arg(place.height())
                             .arg(record.PaneWidth)
                             .arg(record.PaneShown ? 1 : 0);
    const std::string posix = QFile::encodeName(path).toStdString();
    RegularFile::Replace(RegularFile::WriteTarget(posix), text.toStdString(), 0644);
}
