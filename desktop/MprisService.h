#pragma once
// Basic idea: the player on the session bus as an MPRIS2 media player
// ("org.mpris.MediaPlayer2.quelmo"), so that the desktop's media keys, its sound menu and tools
// such as playerctl drive it. The root interface raises the window and quits; the player interface
// plays, pauses, stops and moves to the next or previous line, each through PlayerRemote (the
// window's own handlers), run once the call is answered, and opens a file handed to it (OpenWith.h).
// The properties are read from the window when asked, the metadata also from the open file's tags
// (TrackInfo.h); Refresh compares those that listeners follow with what they were last told and
// sends PropertiesChanged.
// Without a session bus nothing is registered and the player works as before. UI thread only.

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QStringList>
#include <QVariantMap>
#include <string>

class PlayerRemote;
class TrackInfo;

class MprisService : public QObject
{
    Q_OBJECT
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
    // Runs a request of the desktop once the method call that brought it has been answered.
    void Later(void (PlayerRemote::*request)());

    // The player interface's properties, as they are now.
    QString PlaybackStatus() const;
    QVariantMap Metadata() const;
    qlonglong Position() const;
    bool CanGoNext() const;
    bool CanPause() const;
    // Those that listeners follow (every one above but the position, which they compute).
    QVariantMap FollowedProperties() const;

public slots:
    // Signals the followed properties that changed since listeners were last told.
    void Refresh();

private:
    PlayerRemote& m_Remote;
    QDBusConnection m_Bus;
    QString m_Name;
    QVariantMap m_Announced;
    // The tags of the open file, read in the background.
    TrackInfo* m_Tags;
    // The open file that the track number was given for, and that number: each file opened after
    // another one is a new track.
    mutable std::string m_TrackFile;
    mutable unsigned m_TrackNumber = 0;
};

// org.mpris.MediaPlayer2: the player as an application.
class MprisRootAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(QString Identity READ Identity)
    Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
    Q_PROPERTY(bool CanQuit READ CanQuit)
    Q_PROPERTY(bool CanRaise READ CanRaise)
    Q_PROPERTY(bool HasTrackList READ HasTrackList)
    Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)
public:
    explicit MprisRootAdaptor(MprisService& service);

    QString Identity() const { return QStringLiteral("Quelmo"); }
    QString DesktopEntry() const { return QStringLiteral("quelmo"); }
    bool CanQuit() const { return true; }
    bool CanRaise() const { return true; }
    bool HasTrackList() const { return false; }
    QStringList SupportedUriSchemes() const { return {QStringLiteral("file")}; }
    QStringList SupportedMimeTypes() const { return {QStringLiteral("audio/mpeg")}; }

public slots:
    void Raise();
    void Quit();

private:
    MprisService& m_Service;
};

// org.mpris.MediaPlayer2.Player: playback. Seeking is not offered (CanSeek is false).
class MprisPlayerAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
    Q_PROPERTY(QVariantMap Metadata READ Metadata)
    Q_PROPERTY(qlonglong Position READ Position)
    Q_PROPERTY(double Rate READ Rate)
    Q_PROPERTY(double MinimumRate READ Rate)
    Q_PROPERTY(double MaximumRate READ Rate)
    Q_PROPERTY(bool CanGoNext READ CanGoNext)
    Q_PROPERTY(bool CanGoPrevious READ CanGoPrevious)
    Q_PROPERTY(bool CanPlay READ CanPlay)
    Q_PROPERTY(bool CanPause READ CanPause)
    Q_PROPERTY(bool CanSeek READ CanSeek)
    Q_PROPERTY(bool CanControl READ CanControl)
public:
    explicit MprisPlayerAdaptor(MprisService& service);

    QString PlaybackStatus() const { return m_Service.PlaybackStatus(); }
    QVariantMap Metadata() const { return m_Service.Metadata(); }
    qlonglong Position() const { return m_Service.Position(); }
    double Rate() const { return 1.0; }
    bool CanGoNext() const { return m_Service.CanGoNext(); }
    bool CanGoPrevious() const { return m_Service.CanGoNext(); }
    bool CanPlay() const { return m_Service.CanGoNext(); }
    bool CanPause() const { return m_Service.CanPause(); }
    bool CanSeek() const { return false; }
    bool CanControl() const { return true; }

public slots:
    void Play();
    void Pause();
    void PlayPause();
    void Stop();
    void Next();
    void Previous();
    // Plays the MP3 file of a file URL, as the user would choose it, and raises the window.
    void OpenUri(const QString& uri);

private:
    MprisService& m_Service;
};
