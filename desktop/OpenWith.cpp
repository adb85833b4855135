#include "desktop/OpenWith.h"

#include "app/principale.h"
#include "desktop/MprisService.h"
#include "desktop/PlayerRemote.h"
#include "platform/components/Application.h"
#include "platform/paths/FileSystem.h"
#include "platform/paths/Paths.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <sys/stat.h>

namespace OpenWith {

namespace {

// A regular file that the file list would show (its name matches the list's "*.mp3").
bool IsMp3File(const std::string& posixPath)
{
    struct stat info
    {
    };
    if (stat(posixPath.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    const std::string name = posixPath.substr(posixPath.find_last_of('/') + 1);
    return FileSystem::MatchesPattern(Paths::NameFromPosix(name), "*.mp3");
}

// The path of a file URL, its bytes as they were percent-encoded (a name need not be UTF-8).
std::string PathOfUrl(const QByteArray& encoded)
{
    const QUrl url = QUrl::fromEncoded(encoded);
    if (!url.isValid() || url.scheme() != "file" || !(url.host().isEmpty() || url.host() == "localhost"))
        return {};
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
}

std::string Mp3Path(const std::string& argument)
{
    std::string path =
        argument.starts_with("file:") ? PathOfUrl(QByteArray::fromStdString(argument)) : argument;
    if (path.empty())
        return {};
    std::error_code error;
    path = std::filesystem::absolute(path, error).lexically_normal().string();
    return !error && IsMp3File(path) ? path : std::string();
}

// The file list's line of the file's name once the lists show its folder, chosen as the user does:
// the drive in the drive list (whose change handler re-roots the directory list), the parent
// folder opened in the directory list, and a click on the folder's line there. -1 when the lists
// cannot reach the file: a folder that is a drive's root is never taken as a source, and a
// hidden folder or file has no line.
int ShowFolderOf(TForm1& form, const std::string& text)
{
    const size_t nameAt = text.find_last_of('\\');
    const size_t folderAt = nameAt == std::string::npos ? nameAt : text.find_last_of('\\', nameAt - 1);
    if (text.size() < 3 || text[1] != ':' || folderAt == std::string::npos || folderAt < 2)
        return -1;
    const std::string parent = folderAt == 2 ? text.substr(0, 3) : text.substr(0, folderAt);
    const std::string folderPath = text.substr(0, nameAt);
    form.LSource->SetDrive(text[0]);
    form.RSource->SetDirectory(parent);
    // The folder's line is among the subdirectories; a line selected in the list (a remembered
    // one) says nothing of where they start, so the line is found by its path.
    int line = -1;
    for (int i = 0; i < form.RSource->Count() && line < 0; ++i)
        if (form.RSource->FileCompareText(form.RSource->GetItemPath(i), folderPath) == 0)
            line = i;
    if (line < 0)
        return -1;
    form.RSource->SetItemIndex(line);
    form.RSourceClick();
    const std::string name = text.substr(nameAt + 1);
    for (int i = 0; i < form.FLB->Count(); ++i)
        if (form.FLB->Item(i) == name)
            return i;
    return -1;
}

} // namespace

std::string FileArgument(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::string path = Mp3Path(argv[i]); !path.empty())
            return path;
    return {};
}

std::string FileOfUri(const QString& uri)
{
    const std::string path = PathOfUrl(uri.toUtf8());
    return path.empty() || !IsMp3File(path) ? std::string() : path;
}

bool HandToRunningPlayer(const std::string& posixPath)
{
    if (!MprisService::SessionBusThere())
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(MprisService::BaseName, MprisService::ObjectPath,
                                                       "org.mpris.MediaPlayer2.Player", "OpenUri");
    const QByteArray encoded = QByteArray::fromStdString(posixPath).toPercentEncoding("/");
    call << QString::fromLatin1("file://" + encoded);
    // No player runs: nothing is to be started in its place, this copy plays the file itself.
    call.setAutoStartService(false);
    return bus.call(call, QDBus::Block, 2000).type() == QDBusMessage::ReplyMessage;
}

void Play(PlayerRemote& remote, const std::string& posixPath)
{
    const std::optional<std::string> text = Paths::FromPosix(posixPath);
    if (!text)
        return;
    int line = -1;
    RunHandler([&] { line = ShowFolderOf(remote.Form(), *text); });
    if (line >= 0)
        remote.PlayLine(line);
}

void OpenUri(PlayerRemote& remote, const QString& uri)
{
    const std::string path = FileOfUri(uri);
    if (path.empty())
        return;
    // Bringing the window back from the notification area runs its show handler, which returns the
    // lists to the remembered folder and ends the sequence: the file is chosen after it.
    QTimer::singleShot(0, &remote, [&remote, path] {
        remote.Raise();
        Play(remote, path);
    });
}

} // namespace OpenWith
