#include "platform/paths/Volumes.h"

#include <condition_variable>
#include <cstdlib>
#include <dirent.h>
#include <limits.h>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

namespace Volumes {

namespace {

std::mutex g_ReaderMutex;
LabelReader g_Reader;

// "\x20" and the like back to the bytes they stand for.
std::string UnescapeUdev(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 3]))) {
            out += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
            i += 3;
            continue;
        }
        out += text[i];
    }
    return out;
}

std::string RealPath(const std::string& path)
{
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
    return resolved ? std::string(resolved.get()) : std::string();
}

std::optional<std::string> DefaultReader(const DriveInfo& drive)
{
    if (drive.LabelKnown)
        return drive.Label;
    if (drive.Device.rfind("/dev/", 0) != 0)
        return std::nullopt;
    return LabelFromLinks(drive.Device, "/dev/disk/by-label");
}

const DriveInfo* DriveOfText(const std::string& text)
{
    if (text.size() < 2 || text[1] != ':')
        return nullptr;
    return DriveTable::Current().Find(text[0]);
}

// What a worker thread leaves for the UI thread; shared so that an abandoned worker may finish
// after the caller has gone.
struct Pending
{
    std::mutex Mutex;
    std::condition_variable Done;
    bool Finished = false;
    std::optional<std::string> Result;
};

} // namespace

std::optional<CaseFlags> GetCaseFlags(const std::string& rootText)
{
    const DriveInfo* drive = DriveOfText(rootText);
    if (drive == nullptr && rootText.rfind("\\\\", 0) == 0) {
        std::string share = rootText;
        while (share.size() > 2 && share.back() == '\\')
            share.pop_back();
        drive = DriveTable::Current().FindByRemoteName(share);
    }
    if (drive == nullptr)
        return std::nullopt;
    // Windows file systems and the shares that serve them keep case but ignore it; old FAT keeps
    // neither. Every other Linux file system compares names byte for byte.
    static const std::set<std::string> caseBlind = {"vfat", "exfat", "ntfs", "ntfs3",
                                                    "cifs", "smb3",  "smbfs"};
    if (drive->FsType == "msdos")
        return CaseFlags{false, false};
    if (caseBlind.count(drive->FsType) != 0)
        return CaseFlags{true, false};
    return CaseFlags{true, true};
}

std::optional<std::string> GetVolumeLabel(const std::string& rootText)
{
    const DriveInfo* drive = DriveOfText(rootText);
    if (drive == nullptr)
        return std::nullopt;
    LabelReader reader;
    {
        std::lock_guard lock(g_ReaderMutex);
        reader = g_Reader ? g_Reader : LabelReader(DefaultReader);
    }
    auto pending = std::make_shared<Pending>();
    std::thread([pending, reader, info = *drive] {
        auto result = reader(info);
        std::lock_guard lock(pending->Mutex);
        pending->Result = std::move(result);
        pending->Finished = true;
        pending->Done.notify_all();
    }).detach();
    std::unique_lock lock(pending->Mutex);
    if (!pending->Done.wait_for(lock, std::chrono::milliseconds(LabelWaitMs),
                                [&] { return pending->Finished; }))
        return std::nullopt;
    return pending->Result;
}

std::optional<std::string> GetRemoteName(const std::string& driveText)
{
    const DriveInfo* drive = DriveOfText(driveText);
    if (drive == nullptr || drive->Kind != DriveKind::Remote || drive->RemoteName.empty())
        return std::nullopt;
    return drive->RemoteName;
}

void SetLabelReader(LabelReader reader)
{
    std::lock_guard lock(g_ReaderMutex);
    g_Reader = std::move(reader);
}

std::optional<std::string> LabelFromLinks(const std::string& device, const std::string& byLabelDir)
{
    const std::string target = RealPath(device);
    if (target.empty())
        return std::nullopt;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(byLabelDir.c_str()), &::closedir);
    if (!dir)
        return std::nullopt;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        std::string link = byLabelDir;
        if (RealPath(link.append("/").append(name)) == target)
            return UnescapeUdev(name);
    }
    return std::nullopt;
}

} // namespace Volumes
