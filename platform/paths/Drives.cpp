#include "platform/paths/Drives.h"

#include "platform/paths/DriveLetters.h"
#include "platform/services/Module.h"
#include "texts/French.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <pwd.h>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::set<std::string>& PseudoFileSystems()
{
    static const std::set<std::string> names = {
        "proc",       "sysfs",     "cgroup",         "cgroup2",    "devpts",      "devtmpfs",
        "mqueue",     "debugfs",   "tracefs",        "securityfs", "pstore",      "bpf",
        "autofs",     "hugetlbfs", "configfs",       "fusectl",    "binfmt_misc", "efivarfs",
        "rpc_pipefs", "nsfs",      "ramfs-internal", "selinuxfs",  "fuse.portal", "fuse.gvfsd-fuse",
        "fuse.lxcfs", "squashfs",  "overlay",        "shm",
    };
    return names;
}

bool IsNetworkFileSystem(const std::string& type)
{
    static const std::set<std::string> names = {"nfs",         "nfs4",  "cifs",        "smb3", "smbfs",
                                                "fuse.sshfs",  "afs",   "ceph",        "9p",   "glusterfs",
                                                "fuse.rclone", "davfs", "fuse.davfs2", "ncpfs"};
    return names.count(type) != 0;
}

bool IsSystemTmpfs(const std::string& mountPoint)
{
    static const char* prefixes[] = {"/run", "/dev", "/tmp", "/sys", "/proc", "/var/run", "/var/lock"};
    for (const char* prefix : prefixes) {
        std::string p = prefix;
        if (mountPoint == p || mountPoint.rfind(p + "/", 0) == 0)
            return true;
    }
    return false;
}

// Mount points in mountinfo escape blanks, tabs, newlines and backslashes as octal.
std::string Unescape(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size()) {
            const std::string digits = text.substr(i + 1, 3);
            if (digits.size() == 3 &&
                std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '7'; })) {
                out += static_cast<char>(std::stoi(digits, nullptr, 8));
                i += 3;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string ReadFirstLine(const std::string& path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

bool IsRemovableDevice(const std::string& device)
{
    if (device.rfind("/dev/", 0) != 0)
        return false;
    const std::string name = device.substr(5);
    if (ReadFirstLine("/sys/class/block/" + name + "/removable") == "1")
        return true;
    // A partition: the flag lives on its parent disk.
    return ReadFirstLine("/sys/class/block/" + name + "/../removable") == "1";
}

// "//server/share" -> "\\server\share"; "server:/export" -> "\\server\export".
std::string RemoteNameOf(const std::string& source)
{
    std::string text = source;
    if (text.rfind("//", 0) != 0) {
        const auto colon = text.find(':');
        if (colon != std::string::npos) {
            std::string path = text.substr(colon + 1);
            if (path.empty() || path[0] != '/')
                path = "/" + path;
            text = "//" + text.substr(0, colon) + path;
        }
    }
    while (text.size() > 2 && text.back() == '/')
        text.pop_back();
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

DriveKind KindOf(const std::string& type, const std::string& source, const std::string& mountPoint)
{
    if (IsNetworkFileSystem(type))
        return DriveKind::Remote;
    if (type == "iso9660" || type == "udf")
        return DriveKind::CDRom;
    if (type == "tmpfs" || type == "ramfs")
        return IsSystemTmpfs(mountPoint) ? DriveKind::Unknown : DriveKind::RamDisk;
    if (PseudoFileSystems().count(type) != 0 || (type.rfind("fuse.", 0) == 0 && !IsRemovableDevice(source)))
        return DriveKind::Unknown;
    if (IsRemovableDevice(source))
        return DriveKind::Removable;
    return DriveKind::Fixed;
}

bool IsDirectory(const std::string& path)
{
    struct stat st
    {
    };
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string RealPath(const std::string& path)
{
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
    return resolved ? std::string(resolved.get()) : std::string();
}

// One line of the mount table. Mount point and source are unescaped; the escaped forms, which
// hold no blanks, serve in the volume keys.
struct MountLine
{
    std::string Root; // the part of the file system mounted, escaped ("/" for all of it)
    std::string MountPoint;
    std::string RawMountPoint;
    std::string Type;
    std::string Source;
};

std::optional<MountLine> ParseMountLine(const std::string& line)
{
    std::istringstream fields(line);
    std::string id, parent, numbers, options, field;
    MountLine mount;
    fields >> id >> parent >> numbers >> mount.Root >> mount.RawMountPoint >> options;
    while (fields >> field && field != "-") {
    }
    fields >> mount.Type >> mount.Source;
    if (field != "-" || mount.RawMountPoint.empty() || mount.Type.empty())
        return std::nullopt;
    mount.MountPoint = Unescape(mount.RawMountPoint);
    mount.Source = Unescape(mount.Source);
    return mount;
}

// The file-system UUIDs of block devices, from the links that udev keeps (by-uuid/UUID ->
// device), keyed by the device's real path. Read once per build, only when a device needs it.
class UuidLinks
{
public:
    explicit UuidLinks(std::string folder) : m_Folder(std::move(folder)) {}

    std::string Of(const std::string& device)
    {
        if (device.empty() || device[0] != '/')
            return {};
        if (!m_Read)
            Read();
        const auto found = m_ByDevice.find(RealPath(device));
        return found == m_ByDevice.end() ? std::string() : found->second;
    }

private:
    void Read()
    {
        m_Read = true;
        std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(m_Folder.c_str()), &::closedir);
        if (!dir)
            return;
        while (const dirent* entry = ::readdir(dir.get())) {
            const std::string name = entry->d_name;
            if (name == "." || name == "..")
                continue;
            if (const std::string device = RealPath(m_Folder + "/" + name); !device.empty())
                m_ByDevice.emplace(device, name);
        }
    }

    std::string m_Folder;
    bool m_Read = false;
    std::map<std::string, std::string> m_ByDevice;
};

// A volume's name in the letter assignments: its file-system UUID (with the part of the file
// system mounted, when that is not all of it), else its mount point.
std::string VolumeKey(const MountLine& mount, UuidLinks& uuids)
{
    if (const std::string uuid = uuids.Of(mount.Source); !uuid.empty())
        return "uuid:" + uuid + (mount.Root == "/" ? "" : mount.Root);
    return "mount:" + mount.RawMountPoint;
}

struct Volume
{
    MountLine Mount;
    DriveKind Kind;
    std::string Key;
};

// The volumes of a mount table that may get a letter, in the order of their mount points, one
// per key (a volume mounted twice counts at its first mount point only). The root's line gives
// `root` its device and type, for its label and case rules.
std::vector<Volume> VolumesOf(const std::string& mountinfo, DriveInfo& root, const std::string& byUuidFolder)
{
    std::map<std::string, Volume> byMountPoint;
    std::istringstream lines(mountinfo);
    std::string line;
    while (std::getline(lines, line)) {
        std::optional<MountLine> mount = ParseMountLine(line);
        if (!mount)
            continue;
        if (mount->MountPoint == "/") {
            root.Device = mount->Source;
            root.FsType = mount->Type;
            continue;
        }
        const DriveKind kind = KindOf(mount->Type, mount->Source, mount->MountPoint);
        // A file mounted over a file is no drive. A network share is not asked: its server may be
        // gone, and the kernel would wait for it before the window could show.
        if (kind == DriveKind::Unknown || (kind != DriveKind::Remote && !IsDirectory(mount->MountPoint))) {
            byMountPoint.erase(mount->MountPoint); // an over-mount hides what was below
            continue;
        }
        const std::string mountPoint = mount->MountPoint;
        byMountPoint.insert_or_assign(mountPoint, Volume{std::move(*mount), kind, ""});
    }
    UuidLinks uuids(byUuidFolder);
    std::vector<Volume> volumes;
    for (auto& entry : byMountPoint) {
        Volume& volume = entry.second;
        volume.Key = VolumeKey(volume.Mount, uuids);
        if (std::none_of(volumes.begin(), volumes.end(),
                         [&](const Volume& other) { return other.Key == volume.Key; }))
            volumes.push_back(std::move(volume));
    }
    return volumes;
}

std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
        return home;
    const passwd* entry = ::getpwuid(::getuid());
    return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "";
}

std::string ProgramFolder()
{
    const std::string program = Module::ProgramPosixPath();
    const auto slash = program.find_last_of('/');
    return slash == std::string::npos ? std::string() : program.substr(0, std::max<size_t>(slash, 1));
}

// Why a table from QUELMO_DRIVES cannot stand in for the system's, or empty when it can. Without
// a drive that holds the user's home and the program's folder, the settings file would be
// written into whatever c: stands for and the help would not be found.
std::string RefusalOf(const DriveTable& table)
{
    // A letter named twice would stand for two roots at once: no path could be trusted.
    const std::vector<DriveInfo>& drives = table.Drives();
    for (size_t i = 1; i < drives.size(); ++i)
        if (drives[i].Letter == drives[i - 1].Letter)
            return Texts::Fill(Texts::DriveTableLetterTwice, std::string(1, drives[i].Letter));
    const DriveInfo* c = table.Find('c');
    if (c != nullptr && c->Root == "/")
        return {};
    std::string hidden;
    const std::pair<std::string, const char*> folders[] = {{HomeFolder(), Texts::HomeFolderWords},
                                                           {ProgramFolder(), Texts::ProgramFolderWords}};
    for (const auto& [folder, words] : folders) {
        if (folder.empty() || table.FindByPosix(folder) != nullptr)
            continue;
        hidden += std::string(hidden.empty() ? "" : Texts::NeitherWord) + words + " (" + folder + ")";
    }
    if (hidden.empty())
        return {};
    return Texts::Fill(Texts::DriveTableHidesFolders, hidden);
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::mutex g_CurrentMutex;
std::optional<DriveTable> g_Current;

} // namespace

DriveTable::DriveTable(std::vector<DriveInfo> drives) : m_Drives(std::move(drives))
{
    std::sort(m_Drives.begin(), m_Drives.end(),
              [](const DriveInfo& a, const DriveInfo& b) { return a.Letter < b.Letter; });
}

DriveTable DriveTable::FromSystem()
{
    if (const char* text = std::getenv("QUELMO_DRIVES"); text != nullptr && *text != 0) {
        DriveTable table = FromSpecification(text);
        const std::string refusal = RefusalOf(table);
        if (refusal.empty())
            return table;
        std::fputs(refusal.c_str(), stderr);
    }
    return FromMountTable(ReadWholeFile("/proc/self/mountinfo"), DriveLetters::StorePath());
}

DriveTable DriveTable::FromMountTable(const std::string& mountinfo, const std::string& lettersFile,
                                      const std::string& byUuidFolder)
{
    DriveInfo rootDrive{'c', "/", DriveKind::Fixed, "", "", "", "", false};
    const std::vector<Volume> volumes = VolumesOf(mountinfo, rootDrive, byUuidFolder);
    std::vector<std::string> keys;
    keys.reserve(volumes.size());
    for (const Volume& volume : volumes)
        keys.push_back(volume.Key);
    // A folder that cannot be written only costs the letters' memory.
    const std::vector<char> assigned = DriveLetters::AssignInFile(lettersFile, keys);

    std::vector<DriveInfo> drives{rootDrive};
    for (size_t i = 0; i < volumes.size(); ++i) {
        if (assigned[i] == 0)
            continue;
        const MountLine& mount = volumes[i].Mount;
        DriveInfo info{assigned[i], mount.MountPoint, volumes[i].Kind, mount.Source, mount.Type, "", "",
                       false};
        if (info.Kind == DriveKind::Remote)
            info.RemoteName = RemoteNameOf(info.Device);
        drives.push_back(std::move(info));
    }
    return DriveTable(std::move(drives));
}

DriveTable DriveTable::FromSpecification(const std::string& text)
{
    std::vector<DriveInfo> drives;
    std::stringstream entries(text);
    std::string entry;
    while (std::getline(entries, entry, ';')) {
        if (entry.size() < 3 || entry[1] != '=' || !std::isalpha(static_cast<unsigned char>(entry[0])))
            continue;
        DriveInfo info;
        info.Letter = static_cast<char>(std::tolower(static_cast<unsigned char>(entry[0])));
        std::string rest = entry.substr(2);
        // The remote name may itself hold ':' only after the kind, so split at most twice.
        size_t first = rest.find(':');
        info.Root = rest.substr(0, first);
        if (first != std::string::npos) {
            std::string tail = rest.substr(first + 1);
            size_t second = tail.find(':');
            std::string kind = tail.substr(0, second);
            std::string extra = second == std::string::npos ? "" : tail.substr(second + 1);
            if (kind == "removable")
                info.Kind = DriveKind::Removable;
            else if (kind == "remote")
                info.Kind = DriveKind::Remote, info.RemoteName = extra;
            else if (kind == "cdrom")
                info.Kind = DriveKind::CDRom;
            else if (kind == "ramdisk")
                info.Kind = DriveKind::RamDisk;
            else if (kind == "fixed")
                info.Kind = DriveKind::Fixed;
            if (info.Kind != DriveKind::Remote && !extra.empty())
                info.Label = extra, info.LabelKnown = true;
        }
        while (info.Root.size() > 1 && info.Root.back() == '/')
            info.Root.pop_back();
        if (info.Root.empty() || info.Root[0] != '/')
            continue;
        drives.push_back(info);
    }
    return DriveTable(std::move(drives));
}

const DriveTable& DriveTable::Current()
{
    std::lock_guard lock(g_CurrentMutex);
    if (!g_Current)
        g_Current = FromSystem();
    return *g_Current;
}

void DriveTable::SetCurrent(DriveTable table)
{
    std::lock_guard lock(g_CurrentMutex);
    g_Current = std::move(table);
}

const DriveInfo* DriveTable::Find(char letter) const
{
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
    for (const auto& drive : m_Drives)
        if (drive.Letter == lower)
            return &drive;
    return nullptr;
}

uint32_t DriveTable::LogicalDrives() const
{
    uint32_t mask = 0;
    for (const auto& drive : m_Drives)
        mask |= 1u << (drive.Letter - 'a');
    return mask;
}

const DriveInfo* DriveTable::FindByPosix(const std::string& posixPath) const
{
    const DriveInfo* best = nullptr;
    for (const auto& drive : m_Drives) {
        const std::string& root = drive.Root;
        const bool holds = root == "/" ? posixPath.rfind('/', 0) == 0
                                       : posixPath == root || posixPath.rfind(root + "/", 0) == 0;
        if (holds && (best == nullptr || root.size() > best->Root.size()))
            best = &drive;
    }
    return best;
}

const DriveInfo* DriveTable::FindByRemoteName(const std::string& remoteName) const
{
    auto lower = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
        return s;
    };
    for (const auto& drive : m_Drives)
        if (!drive.RemoteName.empty() && lower(drive.RemoteName) == lower(remoteName))
            return &drive;
    return nullptr;
}

DriveKind GetDriveKind(const std::string& rootText)
{
    if (rootText.size() < 2 || rootText[1] != ':')
        return DriveKind::NoRootDir;
    const DriveInfo* drive = DriveTable::Current().Find(rootText[0]);
    return drive != nullptr ? drive->Kind : DriveKind::NoRootDir;
}
