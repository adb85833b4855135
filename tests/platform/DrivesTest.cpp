// The drive table: one read from a QUELMO_DRIVES text, and the one built from this system's mounts.

#include "platform/Drives.h"

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

} // namespace
