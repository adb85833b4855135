// Drive letters that stay put: the table built from recorded mount tables over several runs, with
// real folders as mount points and udev-style UUID links; the letters running out; a damaged or
// foreign assignments file; copies of the program started together; and a QUELMO_DRIVES table that
// would hide the user's home or names a letter twice.

#include "platform/paths/DriveLetters.h"

#include "TestSupport.h"
#include "platform/paths/Drives.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <thread>

namespace {

struct Mount
{
    std::string Source; // a device of the tree ("sdb1"), or a network source
    std::string Point;  // relative to the tree
    std::string Type;
};

class RecordedMounts
{
public:
    RecordedMounts()
    {
        // Three disks with UUIDs, as udev links them.
        for (const auto& [device, uuid] :
             {std::pair{"sdb1", "1111-AAAA"}, {"sdc1", "2222-BBBB"}, {"sdd1", "3333-CCCC"}}) {
            tree.WriteFile(std::string("dev/") + device);
            tree.MakeDir("by-uuid");
            std::filesystem::create_symlink(std::string("../dev/") + device,
                                            tree / ("by-uuid/" + std::string(uuid)));
        }
    }

    // One run of the program: the table of these mounts, with the letters kept in the tree.
    DriveTable Run(const std::vector<Mount>& mounts) const
    {
        std::string text = "21 26 0:20 / /proc rw - proc proc rw\n26 1 254:0 / / rw - ext4 /dev/vda rw\n";
        int id = 30;
        for (const Mount& mount : mounts) {
            tree.MakeDir(mount.Point);
            const std::string source =
                mount.Source.find(':') == std::string::npos ? tree / ("dev/" + mount.Source) : mount.Source;
            text += std::to_string(id++) + " 26 8:1 / " + (tree / mount.Point) + " rw shared:1 - " +
                    mount.Type + " " + source + " rw\n";
        }
        return DriveTable::FromMountTable(text, LettersFile(), tree / "by-uuid");
    }

    // Mount point (relative to the tree) of each letter other than c.
    std::map<char, std::string> Letters(const DriveTable& table) const
    {
        std::map<char, std::string> letters;
        for (const DriveInfo& drive : table.Drives())
            if (drive.Letter != 'c')
                letters[drive.Letter] = drive.Root.substr(tree.Path().size() + 1);
        return letters;
    }

    std::string LettersFile() const { return tree / "Quelmo-lecteurs.txt"; }

    TempTree tree;
};

TEST(DriveLettersTest, VolumesKeepTheirLettersAcrossRuns)
{
    RecordedMounts system;
    const Mount data{"sdc1", "mnt/data", "ext4"}, dataElsewhere{"sdc1", "mnt/ailleurs", "ext4"};
    const Mount share{"srv:/musique", "mnt/share", "nfs4"}, stick{"sdb1", "media/cle", "vfat"};
    const Mount second{"sdd1", "media/b", "exfat"};
    const struct
    {
        const char* Step;
        std::vector<Mount> Mounts;
        std::map<char, std::string> Letters;
    } runs[] = {
        {"first run: in mount-point order", {data, share}, {{'d', "mnt/data"}, {'e', "mnt/share"}}},
        {"a stick whose mount point sorts first takes the next free letter",
         {data, share, stick},
         {{'d', "mnt/data"}, {'e', "mnt/share"}, {'f', "media/cle"}}},
        {"a removed disk leaves its letter unshown and unused",
         {share, stick},
         {{'e', "mnt/share"}, {'f', "media/cle"}}},
        {"it comes back elsewhere, known by its UUID; a newcomer skips its letter",
         {dataElsewhere, share, stick, second},
         {{'d', "mnt/ailleurs"}, {'e', "mnt/share"}, {'f', "media/cle"}, {'g', "media/b"}}},
    };
    for (const auto& run : runs) {
        EXPECT_EQ(system.Letters(system.Run(run.Mounts)), run.Letters) << run.Step;
        // A run that finds the same volumes leaves the file as it was.
        const std::string saved = system.tree.ReadFile("Quelmo-lecteurs.txt");
        EXPECT_EQ(system.Letters(system.Run(run.Mounts)), run.Letters) << run.Step;
        EXPECT_EQ(system.tree.ReadFile("Quelmo-lecteurs.txt"), saved) << run.Step;
    }
    const DriveTable table = system.Run({share});
    EXPECT_EQ(table.Find('e')->RemoteName, "\\\\srv\\musique");
    EXPECT_EQ(table.Find('c')->Device, "/dev/vda");
}

// With d to z all held, a newcomer takes the letter of the absent volume seen longest ago.
TEST(DriveLettersTest, WhenEveryLetterIsHeldTheLongestUnseenGoesFirst)
{
    std::vector<std::string> keys;
    for (int i = 0; i < 23; ++i)
        keys.push_back("mount:/v" + std::to_string(i));
    DriveLetters letters;
    const auto run = [&](const std::vector<std::string>& present) {
        letters = DriveLetters::FromText(letters.ToText()); // each run reads what the last one saved
        return letters.Assign(present);
    };
    EXPECT_EQ(run(keys).back(), 'z');
    std::vector<std::string> present = keys;
    present.erase(present.begin() + 5); // v5 (i) goes first
    run(present);
    present.erase(present.begin() + 8); // then v9 (m)
    run(present);
    present.push_back("mount:/new1");
    EXPECT_EQ(run(present).back(), 'i');
    present.push_back("mount:/new2");
    EXPECT_EQ(run(present).back(), 'm');
    present.push_back("mount:/new3");
    EXPECT_EQ(run(present).back(), 0) << "no absent volume left to give way";
}

// Copies of the program started together, each seeing a new volume of its own: each takes another
// letter, and the file keeps them all.
TEST(DriveLettersTest, CopiesStartedTogetherKeepEachOthersLetters)
{
    TempTree tree;
    const std::string file = tree / "Quelmo-lecteurs.txt";
    std::vector<std::string> keys;
    for (int i = 0; i < 8; ++i)
        keys.push_back("mount:/new" + std::to_string(i));
    std::vector<char> letters(keys.size());
    {
        std::vector<std::jthread> copies;
        for (size_t i = 0; i < keys.size(); ++i)
            copies.emplace_back([&, i] { letters[i] = DriveLetters::AssignInFile(file, {keys[i]})[0]; });
    }
    EXPECT_EQ(std::set<char>(letters.begin(), letters.end()).size(), keys.size()) << "one letter each";
    EXPECT_EQ(DriveLetters::Load(file).Assign(keys), letters) << "the file kept every copy's letter";
}

// A file that is damaged or not ours is ignored and written anew; good lines of ours survive.
TEST(DriveLettersTest, DamagedOrForeignFileIsRebuilt)
{
    const struct
    {
        const char* Name;
        std::string Contents;
        char Letter;
        std::string Rebuilt;
    } rows[] = {
        {"empty", "", 'd', "generation 1\nd 1 uuid:2222-BBBB\n"},
        {"binary",
         std::string("\x7f"
                     "ELF\0\0\xff\xfe\n\n",
                     10),
         'd', "generation 1\nd 1 uuid:2222-BBBB\n"},
        {"foreign", "[Config]\nDrive_Source=c\n", 'd', "generation 1\nd 1 uuid:2222-BBBB\n"},
        {"too large", "quelmo-drive-letters 1\n" + std::string(100000, 'x'), 'd',
         "generation 1\nd 1 uuid:2222-BBBB\n"},
        {"damaged lines",
         "quelmo-drive-letters 1\ngeneration x\nk 3 uuid:2222-BBBB\nk 4 mount:/other\nb 1 mount:/b\nzz\n",
         'k', "generation 4\nk 4 uuid:2222-BBBB\n"},
    };
    for (const auto& row : rows) {
        RecordedMounts system;
        system.tree.WriteFile("Quelmo-lecteurs.txt", row.Contents);
        const DriveTable table = system.Run({{"sdc1", "mnt/data", "ext4"}});
        EXPECT_EQ(system.Letters(table), (std::map<char, std::string>{{row.Letter, "mnt/data"}})) << row.Name;
        EXPECT_EQ(system.tree.ReadFile("Quelmo-lecteurs.txt"), "quelmo-drive-letters 1\n" + row.Rebuilt)
            << row.Name;
    }
    RecordedMounts system;
    system.tree.MakeDir("Quelmo-lecteurs.txt");
    EXPECT_EQ(system.Letters(system.Run({{"sdc1", "mnt/data", "ext4"}})),
              (std::map<char, std::string>{{'d', "mnt/data"}}))
        << "a file that cannot be replaced costs only the memory of the letters";
}

// A replacement table that leaves the user's home or the program's folder without a drive would
// put the settings file into the music folder, and one that names a letter twice gives no letter a
// sure root: it is refused and the system's table used.
TEST(DriveTableTest, QuelmoDrivesThatHidesHomeOrProgramIsRefused)
{
    TempTree tree;
    const struct
    {
        std::string Drives;
        bool Refused;
        std::string CRoot;
        const char* Why = "le dossier personnel (";
    } rows[] = {
        {"c=" + tree.Path(), true, "/"},
        {"nothing that parses", true, "/"},
        {"c=" + tree.Path() + ";y=/", false, tree.Path()},
        {"c=/;d=" + tree.Path() + ":removable", false, "/"},
        {"c=/;c=" + tree.Path() + ";y=/", true, "/", "la lettre c: y figure deux fois"},
    };
    for (const auto& row : rows) {
        ::setenv("QUELMO_DRIVES", row.Drives.c_str(), 1);
        testing::internal::CaptureStderr();
        const DriveTable table = DriveTable::FromSystem();
        const std::string message = testing::internal::GetCapturedStderr();
        ::unsetenv("QUELMO_DRIVES");
        ASSERT_NE(table.Find('c'), nullptr) << row.Drives;
        EXPECT_EQ(table.Find('c')->Root, row.CRoot) << row.Drives;
        EXPECT_EQ(message.find("QUELMO_DRIVES refusée") != std::string::npos, row.Refused) << message;
        if (row.Refused)
            EXPECT_NE(message.find(row.Why), std::string::npos) << message;
        else
            EXPECT_EQ(table.Drives().size(), 2u) << row.Drives;
    }
}

} // namespace
