#pragma once
// Basic idea: the player on the session bus as an MPRIS2 media player
// ("org.mpris.MediaPlayer2.quelmo"), so that the desktop's media keys, its media controls and
// tools such as playerctl drive it. The interfaces are described in org.mpris.MediaPlayer2.xml;
// the build generates their adaptors, which call this object's methods and read its properties.
// The root interface raises the window and quits; the player interface plays, pauses, stops and
// moves to the next or previous line, each through PlayerRemote (the window's own handlers), run
// once the call is answered; it moves within the open file (Seek, SetPosition), sets the volume
// of the player's sound on the sound server, and opens a file handed to it (OpenWith.h). The
// properties are read from the window when asked, the metadata also from the open file's tags
// (TrackInfo.h); Refresh, run after each of the player's changes and each second, compares those
// that listeners follow with what they were last told and sends PropertiesChanged.
// Without a session bus nothing is registered and the player works as before. UI thread only.

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <string>

class PlayerRemote;
class TrackInfo;

class MprisService : public QObject
{
    Q_OBJECT
    // org.mpris.MediaPlayer2
    Q_PROPERTY(bool CanQuit READ True)
    Q_PROPERTY(bool CanRaise READ True)
    Q_PROPERTY(bool HasTrackList READ False)
    Q_PROPERTY(QString Identity READ Identity)
    Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)
    // org.mpris.MediaPlayer2.Player
    Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
    Q_PROPERTY(QString LoopStatus READ LoopStatus WRITE SetLoopStatus)
    Q_PROPERTY(double Rate READ Rate WRITE SetRate)
    Q_PROPERTY(bool Shuffle READ False WRITE SetShuffle)
    Q_PROPERTY(QVariantMap Metadata READ Metadata)
    Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
    Q_PROPERTY(qlonglong Position READ Position)
    Q_PROPERTY(double MinimumRate READ Rate)
    Q_PROPERTY(double MaximumRate READ Rate)
    Q_PROPERTY(bool CanGoNext READ CanGoNext)
    Q_PROPERTY(bool CanGoPrevious READ CanGoNext)
    Q_PROPERTY(bool CanPlay READ CanGoNext)
    Q_PROPERTY(bool CanPause READ CanPause)
    Q_PROPERTY(bool CanSeek READ CanSeek)
    Q_PROPERTY(bool CanControl READ True)
public:
    static constexpr const char* ObjectPath = "/org/mpris/MediaPlayer2";
    static constexpr const char* BaseName = "org.mpris.MediaPlayer2.quelmo";

    explicit MprisService(PlayerRemote& remote);
    ~MprisService() override;

    // Takes the bus name on the session bus, when one is there: the plain name, or, when another
    // copy of the player holds it, the name followed by ".instance" and the process number. The
    // name taken, or empty when there is no session bus.
    QString Register();
    // A session bus is there to connect to, without starting one.
    static bool SessionBusThere();

    PlayerRemote& Remote() const { return m_Remote; }

    // The properties, as they are now.
    static bool True() { return true; }
    static bool False() { return false; }
    static QString Identity() { return QStringLiteral("Quelmo"); }
    static QString DesktopEntry() { return QStringLiteral("quelmo"); }
    static QStringList SupportedUriSchemes() { return {QStringLiteral("file")}; }
    static QStringList SupportedMimeTypes() { return {QStringLiteral("audio/mpeg")}; }
    QString PlaybackStatus() const;
    // The sequence goes round the file list: "Playlist"; it cannot be changed.
    static QString LoopStatus() { return QStringLiteral("Playlist"); }
    static void SetLoopStatus(const QString& /*status*/) {}
    // The files play in the list's order.
    static void SetShuffle(bool /*shuffle*/) {}
    // The player plays at its normal speed only.
    static double Rate() { return 1.0; }
    static void SetRate(double /*rate*/) {}
    QVariantMap Metadata() const;
    static double Volume();
    void SetVolume(double volume);
    qlonglong Position() const;
    bool CanGoNext() const;
    bool CanPause() const;
    bool CanSeek() const;
    // Those that listeners follow (every one above that can change, but the position, which they
    // compute).
    QVariantMap FollowedProperties() const;

    // The methods, called by the generated adaptors.
    void Raise();
    void Quit();
    void Play();
    void Pause();
    void PlayPause();
    void Stop();
    void Next();
    void Previous();
    // Moves by an offset in microseconds (before the start: to it; past the end: the file ends).
    void Seek(qlonglong offset);
    // Moves to a time in microseconds, for the open track only and within its length.
    void SetPosition(const QDBusObjectPath& track, qlonglong position);
    // Plays the MP3 file of a file URL, as the user would choose it, and raises the window.
    void OpenUri(const QString& uri);

signals:
    // The position moved other than by playing (in microseconds).
    void Seeked(qlonglong position);

public slots:
    // Signals the followed properties that changed since listeners were last told.
    void Refresh();

private:
    PlayerRemote& m_Remote;
    QDBusConnection m_Bus;
    QString m_Name;
    QVariantMap m_Announced;
    // A refresh waits for the handlers that run to return.
    bool m_RefreshQueued = false;
    // The tags of the open file, read in the background.
    TrackInfo* m_Tags;
    // The open file that the track number was given for, and that number: each file opened after
    // another one is a new track.
    mutable std::string m_TrackFile;
    mutable unsigned m_TrackNumber = 0;

    // Runs a request of the desktop once the method call that brought it has been answered.
    void Later(void (PlayerRemote::*request)());
    QDBusObjectPath TrackId() const;
    void MoveTo(qlonglong position);
};
