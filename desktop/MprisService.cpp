#include "desktop/MprisService.h"

#include "desktop/OpenWith.h"
#include "desktop/PlayerRemote.h"
#include "desktop/TrackInfo.h"
#include "media/AudioOutput.h"
#include "mpris_adaptors.h"
#include "platform/components/Application.h"
#include "platform/paths/Paths.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>
#include <algorithm>

namespace {

const char* const PlayerInterface = "org.mpris.MediaPlayer2.Player";

// A session bus is there when its address is set, or when the user's runtime folder holds its
// socket (where libdbus looks next). Without either, connecting would try to start a bus through
// the X server, which takes time and leaves a bus behind: the player then does without.
bool SessionBusAnnounced()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + "/bus");
}

// The file URL of a path text; the bytes of the name are kept as they are, percent-encoded.
QString FileUrl(const std::string& pathText)
{
    std::string posix;
    if (Paths::ToPosix(pathText, posix) != 0)
        return {};
    const QByteArray encoded = QByteArray::fromStdString(posix).toPercentEncoding("/");
    return QUrl::fromEncoded("file://" + encoded).toString(QUrl::FullyEncoded);
}

// The last name of a path text, as the file list shows it.
QString FileName(const std::string& pathText)
{
    return QString::fromUtf8(pathText.substr(pathText.find_last_of('\\') + 1));
}

} // namespace

bool MprisService::SessionBusThere()
{
    return SessionBusAnnounced();
}

MprisService::MprisService(PlayerRemote& remote)
    : QObject(&remote), m_Remote(remote), m_Bus(QStringLiteral("quelmo-no-bus")), m_Tags(new TrackInfo(this))
{
    new MediaPlayer2Adaptor(this);
    new PlayerAdaptor(this);
    connect(&remote, &PlayerRemote::Acted, this, &MprisService::Refresh);
    connect(m_Tags, &TrackInfo::Ready, this, &MprisService::Refresh);
}

MprisService::~MprisService()
{
    if (m_Name.isEmpty())
        return;
    m_Bus.unregisterObject(ObjectPath);
    m_Bus.unregisterService(m_Name);
}

QString MprisService::Register()
{
    if (!m_Name.isEmpty() || !SessionBusAnnounced())
        return m_Name;
    m_Bus = QDBusConnection::sessionBus();
    if (!m_Bus.isConnected() || !m_Bus.registerObject(ObjectPath, this))
        return {};
    const QString instance =
        QString(BaseName) + ".instance" + QString::number(QCoreApplication::applicationPid());
    for (const QString& name : {QString(BaseName), instance}) {
        if (m_Bus.registerService(name)) {
            m_Name = name;
            break;
        }
    }
    m_Announced = FollowedProperties();
    return m_Name;
}

// The call is answered when the adaptor's slot returns: the request runs just after, from the event
// loop, so that no reply waits on what the request shows (an error box is modal).
void MprisService::Later(void (PlayerRemote::*request)())
{
    QMetaObject::invokeMethod(&m_Remote, request, Qt::QueuedConnection);
}

QString MprisService::PlaybackStatus() const
{
    switch (m_Remote.CurrentStatus()) {
    case PlayerRemote::Status::Playing:
        return QStringLiteral("Playing");
    case PlayerRemote::Status::Paused:
        return QStringLiteral("Paused");
    case PlayerRemote::Status::Stopped:
        break;
    }
    return QStringLiteral("Stopped");
}

QVariantMap MprisService::Metadata() const
{
    const std::string file = m_Remote.OpenFile();
    if (file.empty())
        return {{"mpris:trackid",
                 QVariant::fromValue(QDBusObjectPath("/org/mpris/MediaPlayer2/TrackList/NoTrack"))}};
    QVariantMap metadata{{"mpris:trackid", QVariant::fromValue(TrackId())},
                         {"xesam:title", FileName(file)},
                         {"xesam:url", FileUrl(file)},
                         {"mpris:length", qlonglong(m_Remote.LengthMs()) * 1000}};
    // The file's tags, once read, add to these and give the title, when they have one.
    std::string posix;
    if (Paths::ToPosix(file, posix) == 0)
        metadata.insert(m_Tags->Fields(posix));
    return metadata;
}

// The open file's track id; each file opened after another one is a new track.
QDBusObjectPath MprisService::TrackId() const
{
    const std::string file = m_Remote.OpenFile();
    if (file.empty())
        return QDBusObjectPath("/org/mpris/MediaPlayer2/TrackList/NoTrack");
    if (file != m_TrackFile) {
        m_TrackFile = file;
        ++m_TrackNumber;
    }
    return QDBusObjectPath(QStringLiteral("/org/quelmo/Track/%1").arg(m_TrackNumber));
}

double MprisService::Volume()
{
    return OutputVolume();
}

void MprisService::SetVolume(double volume)
{
    SetOutputVolume(volume);
    Refresh();
}

bool MprisService::CanSeek() const
{
    return !m_Remote.OpenFile().empty();
}

qlonglong MprisService::Position() const
{
    return qlonglong(m_Remote.PositionMs()) * 1000;
}

bool MprisService::CanGoNext() const
{
    return m_Remote.HasLines();
}

bool MprisService::CanPause() const
{
    return m_Remote.HasLines() || m_Remote.CurrentStatus() != PlayerRemote::Status::Stopped;
}

QVariantMap MprisService::FollowedProperties() const
{
    const bool lines = CanGoNext();
    return {{"PlaybackStatus", PlaybackStatus()},
            {"Metadata", Metadata()},
            {"CanPlay", lines},
            {"CanPause", CanPause()},
            {"CanGoNext", lines},
            {"CanGoPrevious", lines},
            {"CanSeek", CanSeek()},
            {"Volume", Volume()}};
}

void MprisService::Refresh()
{
    if (m_Name.isEmpty())
        return;
    // Inside a handler (the window's timer, the end of a file, a request that arrived while another
    // handler handles pending events) the state may be half-way: the refresh runs once the handlers
    // have returned (tried again every 50 ms while a message box holds one open).
    if (HandlerGuard::Depth() > 0) {
        if (!m_RefreshQueued) {
            m_RefreshQueued = true;
            QTimer::singleShot(50, this, [this] {
                m_RefreshQueued = false;
                Refresh();
            });
        }
        return;
    }
    const QVariantMap now = FollowedProperties();
    QVariantMap changed;
    for (auto property = now.begin(); property != now.end(); ++property)
        if (m_Announced.value(property.key()) != property.value())
            changed.insert(property.key(), property.value());
    if (changed.isEmpty())
        return;
    m_Announced = now;
    QDBusMessage signal =
        QDBusMessage::createSignal(ObjectPath, "org.freedesktop.DBus.Properties", "PropertiesChanged");
    signal << QString(PlayerInterface) << changed << QStringList();
    m_Bus.send(signal);
}

void MprisService::Raise()
{
    Later(&PlayerRemote::Raise);
}

void MprisService::Quit()
{
    Later(&PlayerRemote::Quit);
}

void MprisService::Play()
{
    Later(&PlayerRemote::Play);
}

void MprisService::Pause()
{
    Later(&PlayerRemote::Pause);
}

void MprisService::PlayPause()
{
    Later(&PlayerRemote::PlayPause);
}

void MprisService::Stop()
{
    Later(&PlayerRemote::Stop);
}

void MprisService::Next()
{
    Later(&PlayerRemote::Next);
}

void MprisService::Previous()
{
    Later(&PlayerRemote::Previous);
}

// Moves the open file there and tells the listeners where it now is. A move needs no box and takes
// milliseconds: it runs before the call is answered, so that Seeked follows it.
void MprisService::MoveTo(qlonglong position)
{
    const qlonglong ms = std::clamp<qlonglong>(position / 1000, 0, m_Remote.LengthMs());
    if (m_Remote.MoveTo(static_cast<int32_t>(ms)))
        emit Seeked(Position());
}

void MprisService::Seek(qlonglong offset)
{
    if (!m_Remote.OpenFile().empty())
        MoveTo(Position() + offset);
}

void MprisService::SetPosition(const QDBusObjectPath& track, qlonglong position)
{
    // A request for another track than the open one (the desktop's view was stale), or for a time
    // outside the file, is ignored.
    if (m_Remote.OpenFile().empty() || track != TrackId() || position < 0 ||
        position > qlonglong(m_Remote.LengthMs()) * 1000)
        return;
    MoveTo(position);
}

void MprisService::OpenUri(const QString& uri)
{
    OpenWith::OpenUri(m_Remote, uri);
}
