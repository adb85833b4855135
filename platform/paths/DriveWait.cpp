#include "platform/paths/DriveWait.h"

#include "platform/paths/Drives.h"
#include "platform/paths/Paths.h"
#include "texts/French.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

namespace DriveWait {

namespace {

// The drives that have calls waiting past the limit, by mount root, with the number of such calls.
// Never destroyed: a late call may end while the program exits.
struct Late
{
    std::mutex Mutex;
    std::map<std::string, int> Calls;
};

Late& TheLate()
{
    static auto* late = new Late;
    return *late;
}

// What the caller and the thread of one call share.
struct Call
{
    std::mutex Mutex;
    std::condition_variable Done;
    bool Finished = false;
    bool Abandoned = false;
};

// The mount root of the drive that holds a POSIX path; "/" for a path on no drive of the table.
std::string DriveRootOf(const std::string& posixPath)
{
    const DriveInfo* drive = DriveTable::Current().FindByPosix(posixPath);
    return drive != nullptr ? drive->Root : std::string("/");
}

bool IsLate(const std::string& root)
{
    Late& late = TheLate();
    std::lock_guard lock(late.Mutex);
    return late.Calls.count(root) != 0;
}

void Finish(Call& call, const std::string& root)
{
    std::lock_guard lock(call.Mutex);
    call.Finished = true;
    call.Done.notify_all();
    if (!call.Abandoned)
        return;
    Late& late = TheLate();
    std::lock_guard lateLock(late.Mutex);
    if (--late.Calls[root] <= 0)
        late.Calls.erase(root);
}

} // namespace

bool Run(const std::string& posixPath, std::function<void()> call)
{
    const std::string root = DriveRootOf(posixPath);
    if (IsLate(root))
        return false;
    auto shared = std::make_shared<Call>();
    try {
        std::thread([shared, root, call = std::move(call)] {
            call();
            Finish(*shared, root);
        }).detach();
    } catch (const std::system_error&) {
        return false; // no thread to be had: the call is not made, as for a drive that is not ready
    }
    std::unique_lock lock(shared->Mutex);
    if (shared->Done.wait_for(lock, std::chrono::milliseconds(LimitMs), [&] { return shared->Finished; }))
        return true;
    shared->Abandoned = true;
    Late& late = TheLate();
    std::lock_guard lateLock(late.Mutex);
    ++late.Calls[root];
    return false;
}

bool Silent(const std::string& posixPath)
{
    return IsLate(DriveRootOf(posixPath));
}

bool AnyLate()
{
    Late& late = TheLate();
    std::lock_guard lock(late.Mutex);
    return !late.Calls.empty();
}

std::string SilentDriveMessage(const std::string& pathText)
{
    std::string posix;
    if (Paths::ToPosix(Paths::ExpandPath(pathText), posix) != 0 || !Silent(posix))
        return {};
    const DriveInfo* drive = DriveTable::Current().FindByPosix(posix);
    if (drive == nullptr)
        return Texts::UnknownDriveNotAnswering;
    std::string name = std::string(1, drive->Letter) + ":";
    if (!drive->RemoteName.empty())
        name += " (" + drive->RemoteName + ")";
    return Texts::Fill(Texts::DriveNotAnswering, name);
}

} // namespace DriveWait
