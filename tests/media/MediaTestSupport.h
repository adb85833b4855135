#pragma once
// Helpers of the media tests: fixture paths as path texts, a log of the commands that reach the
// device layer, and counts of the process's threads and open files.

#include "media/MciDevice.h"
#include "media/Mpg123Decoder.h"

#include <cstdint>
#include <string>
#include <vector>

// The POSIX path of a tone fixture ("440_500" gives .../tone_440_500.mp3).
std::string TonePosix(const std::string& tone);
// The same as a path text on drive c (the default drive table maps c to "/").
std::string TonePath(const std::string& tone);
// A POSIX path as a path text on drive c.
std::string PathText(const std::string& posixPath);

// Decodes an opened file to its end; the frames read, with *failed as the last read left it.
int64_t DecodeAll(Mpg123Decoder& decoder, bool* failed);

// Selects the output for the devices opened from now on (QUELMO_AUDIO_OUTPUT).
void UseAudioOutput(const std::string& module);

struct SentCommand
{
    uint16_t DeviceId;
    uint32_t Command;
    uint32_t Flags;
    uint32_t Item; // status or capability item, else 0
    bool operator==(const SentCommand&) const = default;
};
std::string ToString(const SentCommand& command);

// Records the commands sent while it lives; Fail makes one command answer with a code instead.
class CommandLog
{
public:
    CommandLog();
    ~CommandLog();
    std::vector<SentCommand> Sent;
    uint32_t FailCommand = 0;
    uint32_t FailCode = 0;
};

int CountOpenFiles();
int CountThreads();
