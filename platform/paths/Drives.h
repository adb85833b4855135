#pragma once
// Basic idea: the drive table gives Linux mount points the drive letters that the program's path
// texts use ("c:\home\ana\Musique"). By default c is "/" and every other real volume (fixed,
// removable, network, CD-ROM, RAM disk) has a letter from d on that it keeps across runs
// (DriveLetters.h); pseudo file systems and system tmpfs get none. Tests and the QUELMO_DRIVES
// environment variable replace the table, so that "c:" can stand for a temporary folder; a
// replacement that would leave the user's home or the program's folder without a drive is
// refused. Network shares are taken from the mount table alone, never asked, so that a share whose
// server is gone does not hold up the program. The table is read on the UI thread; it is built once and
// changes only when a test or the program replaces it.

#include <optional>
#include <string>
#include <vector>

// The platform's drive-kind codes, as the drive list shows them.
enum class DriveKind : int
{
    Unknown = 0,
    NoRootDir = 1,
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    CDRom = 5,
    RamDisk = 6,
};

struct DriveInfo
{
    char Letter = 0;  // lower-case letter, 'a' to 'z'
    std::string Root; // POSIX mount root, without a final "/" unless it is "/"
    DriveKind Kind = DriveKind::Fixed;
    std::string Device;     // mount source (block device, "server:/export", "//server/share")
    std::string FsType;     // file-system type of the mount table
    std::string RemoteName; // network drives: "\\server\share"; empty otherwise
    std::string Label;      // volume label if known without touching the medium; see VolumeLabel()
    bool LabelKnown = false;
};

class DriveTable
{
public:
    DriveTable() = default;
    explicit DriveTable(std::vector<DriveInfo> drives);

    // The table built from /proc/self/mountinfo with the user's kept letters (saved again when
    // they changed), or from QUELMO_DRIVES when that is set
    // ("c=/;d=/media/usb:removable;z=/mnt/share:remote:\\srv\share"). A QUELMO_DRIVES table
    // that names a letter twice, or whose c is not "/" and that leaves the user's home or the
    // program's folder without a drive, is refused, with a message on standard error. An accepted
    // QUELMO_DRIVES table may lack c. Saves the kept letters when they changed; a file that cannot be written
    // costs only their memory. Throws nothing.
    static DriveTable FromSystem();
    // The table of a mount table in /proc/self/mountinfo form: c is "/", each other volume has
    // the letter kept for it in `lettersFile`, where new volumes get theirs. `byUuidFolder` holds
    // udev's links from file-system UUIDs to devices. Throws nothing.
    static DriveTable FromMountTable(const std::string& mountinfo, const std::string& lettersFile,
                                     const std::string& byUuidFolder = "/dev/disk/by-uuid");
    // Parses the QUELMO_DRIVES form; entries that do not parse are skipped, so the table may be
    // empty. Throws nothing.
    static DriveTable FromSpecification(const std::string& text);

    // The table the program works with. Built from the system at first use. SetCurrent replaces
    // it: references and drive pointers taken from the old table are then no longer valid. Throw
    // nothing.
    static const DriveTable& Current();
    static void SetCurrent(DriveTable table);

    // The drives, sorted by letter. Plain accessor; throws nothing.
    const std::vector<DriveInfo>& Drives() const { return m_Drives; }
    // The drive of a letter, either case; nullptr when there is none. Throws nothing.
    const DriveInfo* Find(char letter) const;
    // Bit n set for each present letter ('a' + n); 0 for an empty table. Throws nothing.
    uint32_t LogicalDrives() const;
    // The drive whose root holds the POSIX path, the longest root winning; nullptr when none does.
    // Throws nothing.
    const DriveInfo* FindByPosix(const std::string& posixPath) const;
    // The network drive whose remote name is "\\server\share" (case-blind); nullptr when none.
    // Throws nothing.
    const DriveInfo* FindByRemoteName(const std::string& remoteName) const;

private:
    std::vector<DriveInfo> m_Drives; // sorted by letter
};

// Kind of the drive of a root text such as "c:\"; NoRootDir when the text starts with no drive
// letter or no drive has that letter. Throws nothing.
DriveKind GetDriveKind(const std::string& rootText);
