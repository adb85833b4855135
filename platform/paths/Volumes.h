#pragma once
// Basic idea: what the drive and directory lists ask about a volume: its label, the remote name of
// a network drive, and whether names keep their case and compare with regard to it. Everything
// comes from the drive table (the mount table) and from udev's /dev/disk/by-label links, so a
// query never touches the medium itself. The label lookup still runs on a worker thread and is
// abandoned after LabelWaitMs, so a volume that does not answer can never block the UI thread.
// Called on the UI thread. Linux has no system error dialogs to switch off around these queries.

#include "platform/paths/Drives.h"

#include <functional>
#include <optional>
#include <string>

namespace Volumes {

struct CaseFlags
{
    bool CasePreserved = false;
    bool CaseSensitive = false;
};

// The case flags of the volume of a root text ("c:\", "\\server\share\"); nullopt when no drive
// holds that root. Throws nothing.
std::optional<CaseFlags> GetCaseFlags(const std::string& rootText);

// The label of the volume of a root text such as "c:\"; nullopt when the drive is unknown, has no
// label, or did not answer within LabelWaitMs. Throws nothing.
std::optional<std::string> GetVolumeLabel(const std::string& rootText);
constexpr int LabelWaitMs = 500;

// The remote name ("\\server\share") of the network drive of a drive text such as "Z:"; nullopt
// when the letter names no network drive. Throws nothing.
std::optional<std::string> GetRemoteName(const std::string& driveText);

// The function that reads one drive's label on the worker thread. Tests replace it (an empty
// function brings back the default: the table's label, else the by-label link of the device).
// The reader must not throw: it runs on a thread of its own. SetLabelReader throws nothing.
using LabelReader = std::function<std::optional<std::string>(const DriveInfo&)>;
void SetLabelReader(LabelReader reader);

// The default reader's source: the label udev knows for a block device, read from the links of
// `byLabelDir` (udev writes unsafe characters of a label as "\xNN"); nullopt when the device or
// the folder cannot be read or no link leads to the device. Throws nothing.
std::optional<std::string> LabelFromLinks(const std::string& device, const std::string& byLabelDir);

} // namespace Volumes
