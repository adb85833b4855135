#include "platform/Drives.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <sys/stat.h>

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
    if (const char* table = std::getenv("QUELMO_DRIVES"); table != nullptr && *table != 0)
        return FromSpecification(table);

    std::map<std::string, DriveInfo> byMountPoint;
    DriveInfo rootDrive;
    rootDrive.Letter = 'c';
    rootDrive.Root = "/";
    rootDrive.Kind = DriveKind::Fixed;
    std::ifstream in("/proc/self/mountinfo");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string id, parent, numbers, root, mountPoint, options, field;
        fields >> id >> parent >> numbers >> root >> mountPoint >> options;
        while (fields >> field && field != "-") {
        }
        std::string type, source;
        fields >> type >> source;
        mountPoint = Unescape(mountPoint);
        if (mountPoint == "/") {
            // The root is always drive c; its device and type give its label and case rules.
            rootDrive.Device = Unescape(source);
            rootDrive.FsType = type;
            continue;
        }
        const DriveKind kind = KindOf(type, Unescape(source), mountPoint);
        if (kind == DriveKind::Unknown || !IsDirectory(mountPoint)) {
            byMountPoint.erase(mountPoint); // an over-mount hides what was below
            continue;
        }
        DriveInfo info;
        info.Root = mountPoint;
        info.Kind = kind;
        info.Device = Unescape(source);
        info.FsType = type;
        if (kind == DriveKind::Remote)
            info.RemoteName = RemoteNameOf(info.Device);
        byMountPoint[mountPoint] = info;
    }

    std::vector<DriveInfo> drives;
    drives.push_back(rootDrive);
    char next = 'd';
    for (auto& [mountPoint, info] : byMountPoint) { // std::map: in the order of the mount points
        if (next > 'z')
            break;
        info.Letter = next++;
        drives.push_back(info);
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
