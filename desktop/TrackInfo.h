#pragma once
// Basic idea: the tags of the file the player has open, as the MPRIS metadata fields that describe
// a track (xesam:title, xesam:artist, xesam:album, xesam:trackNumber, xesam:contentCreated,
// xesam:genre, mpris:artUrl). Reading a file's tags (media/TrackTags.h) waits on its drive, so it
// runs on a thread of Qt's pool, one file at a time, never on the UI thread; Ready says when the
// fields of the file last asked for are there. The front cover is written once to the user's cache
// folder ($XDG_CACHE_HOME, normally ~/.cache, under quelmo/covers), named by its content, so that
// every file with the same cover shares one image. UI thread only.

#include <QFutureWatcher>
#include <QObject>
#include <QVariantMap>
#include <string>

class TrackInfo : public QObject
{
    Q_OBJECT
public:
    explicit TrackInfo(QObject* parent = nullptr);
    // Waits for a read under way, so that no thread outlives the object's owner.
    ~TrackInfo() override;

    // The fields of this file (a POSIX path): those its tags give, none while they are being read
    // (a read starts when the file differs from the one asked for last) or when it has none.
    QVariantMap Fields(const std::string& posixPath);

signals:
    // The fields of the file asked for last have been read.
    void Ready();

private:
    std::string m_File;  // the file asked for last
    std::string m_Read;  // the file whose fields m_Fields holds
    std::string m_Asked; // the file being read now, empty when none
    QVariantMap m_Fields;
    QFutureWatcher<QVariantMap> m_Watcher;

    void Start();
    void Finished();
};
