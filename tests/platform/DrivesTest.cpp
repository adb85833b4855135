// The drive table: one read from a QUELMO_DRIVES text, and the one built from this system's mounts.

#include "platform/paths/Drives.h"

#include "TestSupport.h"
#include "platform/paths/DriveWait.h"

#include <future>
#include <gtest/gtest.h>

namespace {

TEST(DriveTableTest, SpecificationAndMountTable)
{
    const auto table =
        DriveTable::FromSpecification("c=/srv/music;d=/media/usb:removable;z=/mnt/s:remote:\\\\srv\\s;bad");
    ASSERT_EQ(table.Drives().size(), 3u);
    EXPECT_EQ(table.Find('D')->Kind, DriveKind::Removable);
    EXPECT_EQ(table.Find('z')->RemoteName, "\\\\srv\\s");
    EXPECT_EQ(table.LogicalDrives(), (1u << 2) | (1u << 3) | (1u << 25));

    const auto system = DriveTable::FromSystem();
    ASSERT_NE(system.Find('c'), nullptr);
    EXPECT_EQ(system.Find('c')->Root, "/");
    for (const auto& drive : system.Drives()) {
        EXPECT_NE(drive.Root, "/proc");
        EXPECT_NE(drive.Root, "/sys");
        EXPECT_NE(drive.Root, "/dev/shm");
    }
}

// A share is taken from the mount table as it stands: its mount point is never asked (a share
// whose server is gone would hold the program), while a local mount point that is no directory
// is no drive.
TEST(DriveTableTest, ShareIsTakenFromTheMountTableAlone)
{
    const TempTree tree;
    const std::string gone = tree / "no-such-mount-point";
    const std::string mountinfo = "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
                                  "2 1 0:40 / " +
                                  gone +
                                  "-share rw - fuse.sshfs ana@serveur:/musique rw\n"
                                  "3 1 8:2 / " +
                                  gone + "-local rw - ext4 /dev/sda2 rw\n";
    const auto table = DriveTable::FromMountTable(mountinfo, tree / "letters.txt", tree / "by-uuid");
    ASSERT_EQ(table.Drives().size(), 2u);
    const DriveInfo& share = table.Drives()[1];
    EXPECT_EQ(share.Root, gone + "-share");
    EXPECT_EQ(share.Kind, DriveKind::Remote);
    EXPECT_EQ(share.RemoteName, "\\\\ana@serveur\\musique");
}

// A drive that does not answer costs one wait: the late call is given up after the limit, later
// calls on that drive fail at once and the message names it, other drives still answer, and the
// drive is used again once the late call has ended.
TEST(DriveWaitTest, ADriveThatDoesNotAnswer)
{
    const DriveTable saved = DriveTable::Current();
    DriveTable::SetCurrent(DriveTable::FromSpecification("c=/;z=/mnt/share:remote:\\\\serveur\\musique"));
    std::promise<void> release;
    const std::shared_future<void> released = release.get_future().share();
    EXPECT_FALSE(DriveWait::Run("/mnt/share/a", [released] { released.wait(); }));
    bool ran = false;
    EXPECT_FALSE(DriveWait::Run("/mnt/share/b", [&ran] { ran = true; }));
    EXPECT_FALSE(ran);
    EXPECT_TRUE(DriveWait::Run("/tmp", [] {}));
    EXPECT_EQ(DriveWait::SilentDriveMessage("z:\\Musique"),
              "Le lecteur z: (\\\\serveur\\musique) ne répond pas");
    EXPECT_EQ(DriveWait::SilentDriveMessage("c:\\tmp"), "");
    release.set_value();
    EXPECT_TRUE(WaitFor([] { return !DriveWait::AnyLate(); }, 2000));
    EXPECT_TRUE(DriveWait::Run("/mnt/share/b", [&ran] { ran = true; }));
    EXPECT_TRUE(ran);
    DriveTable::SetCurrent(saved);
}

} // namespace
