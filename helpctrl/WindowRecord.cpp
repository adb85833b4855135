#include "helpctrl/WindowRecord.h"

#include "platform/profiles/RegularFile.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <memory>

namespace {

constexpr size_t MaxFileSize = 4096;

// The record's settings, or none when the file is there but is no small regular file: QSettings
// would block on a FIFO or read a device without end. To write, a damaged file (which QSettings
// would leave as it is) is removed first.
std::unique_ptr<QSettings> RecordSettings(bool toWrite)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (folder.isEmpty())
        return nullptr;
    const QString path = folder + QStringLiteral("/Quelmo/hhctrl.ini");
    std::string text;
    if (RegularFile::Read(QFile::encodeName(path).toStdString(), MaxFileSize, text) ==
        RegularFile::ReadResult::Refused)
        return nullptr;
    auto settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    if (toWrite && settings->status() == QSettings::FormatError) {
        settings.reset();
        QFile::remove(path);
        settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    }
    settings->beginGroup(QStringLiteral("Fenetre"));
    return settings;
}

} // namespace

std::optional<WindowRecord> LoadWindowRecord()
{
    const std::unique_ptr<QSettings> settings = RecordSettings(false);
    if (settings == nullptr || settings->status() != QSettings::NoError)
        return std::nullopt;
    WindowRecord record{settings->value(QStringLiteral("Geometry")).toByteArray(),
                        settings->value(QStringLiteral("Splitter")).toByteArray(),
                        settings->value(QStringLiteral("PaneShown"), true).toBool()};
    if (record.Geometry.isEmpty())
        return std::nullopt;
    return record;
}

void SaveWindowRecord(const WindowRecord& record)
{
    const std::unique_ptr<QSettings> settings = RecordSettings(true);
    if (settings == nullptr)
        return;
    settings->remove(QString()); // the group's keys of any earlier form
    settings->setValue(QStringLiteral("Geometry"), record.Geometry);
    settings->setValue(QStringLiteral("Splitter"), record.Splitter);
    settings->setValue(QStringLiteral("PaneShown"), record.PaneShown);
}
