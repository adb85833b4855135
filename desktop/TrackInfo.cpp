#include "desktop/TrackInfo.h"

#include "media/TrackTags.h"
#include "platform/paths/DriveWait.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QPromise>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThreadPool>
#include <QUrl>
#include <memory>
#include <new>
#include <optional>

namespace {

QStringList Texts(const std::vector<std::string>& strings)
{
    QStringList texts;
    for (const std::string& text : strings)
        texts << QString::fromStdString(text);
    return texts;
}

// The file URL of the cover in the cache folder, written there unless an earlier file with the same
// cover wrote it; empty when it cannot be written.
QString CachedCover(const TrackTags& tags)
{
    if (tags.Cover.empty())
        return {};
    const QByteArrayView bytes(tags.Cover.data(), qsizetype(tags.Cover.size()));
    const QString name = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex() + "." +
                         QString::fromStdString(tags.CoverExtension);
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + "/quelmo/covers";
    const QString path = folder + "/" + name;
    if (QFileInfo(path).size() == bytes.size())
        return QUrl::fromLocalFile(path).toString();
    // Written under a temporary name and renamed, so that a reader never sees half an image.
    QSaveFile file(path);
    if (!QDir().mkpath(folder) || !file.open(QIODevice::WriteOnly) ||
        file.write(bytes.data(), bytes.size()) != bytes.size() || !file.commit())
        return {};
    return QUrl::fromLocalFile(path).toString();
}

QVariantMap ReadFields(const std::string& posixPath)
{
    // A file on a share that stopped answering has no tags to show; the read left waiting holds up
    // neither this pool's end nor the program's.
    const std::optional<TrackTags> read = DriveWait::Answer<TrackTags>(posixPath, [posixPath] {
        try {
            return ReadTrackTags(posixPath);
        } catch (const std::bad_alloc&) {
            return TrackTags{}; // a thread left behind must not throw
        }
    });
    if (!read)
        return {};
    const TrackTags& tags = *read;
    QVariantMap fields;
    if (!tags.Title.empty())
        fields.insert("xesam:title", QString::fromStdString(tags.Title));
    if (!tags.Artists.empty())
        fields.insert("xesam:artist", Texts(tags.Artists));
    if (!tags.Album.empty())
        fields.insert("xesam:album", QString::fromStdString(tags.Album));
    if (tags.TrackNumber > 0)
        fields.insert("xesam:trackNumber", tags.TrackNumber);
    if (!tags.Year.empty())
        fields.insert("xesam:contentCreated", QString::fromStdString(tags.Year));
    if (!tags.Genres.empty())
        fields.insert("xesam:genre", Texts(tags.Genres));
    if (const QString cover = CachedCover(tags); !cover.isEmpty())
        fields.insert("mpris:artUrl", cover);
    return fields;
}

} // namespace

TrackInfo::TrackInfo(QObject* parent) : QObject(parent)
{
    connect(&m_Watcher, &QFutureWatcher<QVariantMap>::finished, this, &TrackInfo::Finished);
}

TrackInfo::~TrackInfo()
{
    m_Watcher.waitForFinished();
}

QVariantMap TrackInfo::Fields(const std::string& posixPath)
{
    if (posixPath != m_File) {
        m_File = posixPath;
        Start();
    }
    return m_Read == posixPath ? m_Fields : QVariantMap();
}

void TrackInfo::Start()
{
    if (!m_Asked.empty() || m_File.empty() || m_File == m_Read)
        return;
    m_Asked = m_File;
    auto promise = std::make_shared<QPromise<QVariantMap>>();
    m_Watcher.setFuture(promise->future());
    QThreadPool::globalInstance()->start([promise, path = m_Asked] {
        promise->start();
        promise->addResult(ReadFields(path));
        promise->finish();
    });
}

void TrackInfo::Finished()
{
    m_Read = m_Asked;
    m_Fields = m_Watcher.future().resultCount() > 0 ? m_Watcher.result() : QVariantMap();
    m_Asked.clear();
    // The player moved on to another file meanwhile: that one is read next.
    Start();
    if (m_Read == m_File)
        emit Ready();
}
