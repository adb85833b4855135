#include "MediaTestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

std::string TonePosix(const std::string& tone)
{
    return std::string(QUELMO_MEDIA_FIXTURES) + "/tone_" + tone + ".mp3";
}

std::string PathText(const std::string& posixPath)
{
    std::string text = "c:" + posixPath;
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

std::string TonePath(const std::string& tone)
{
    return PathText(TonePosix(tone));
}

void UseAudioOutput(const std::string& module)
{
    setenv("QUELMO_AUDIO_OUTPUT", module.c_str(), 1);
    unsetenv("QUELMO_AUDIO_DEVICE");
}

std::string ToString(const SentCommand& command)
{
    std::ostringstream text;
    text << "{dev " << command.DeviceId << ", cmd 0x" << std::hex << command.Command << ", flags 0x"
         << command.Flags << std::dec << ", item " << command.Item << "}";
    return text.str();
}

CommandLog::CommandLog()
{
    Mci::SetCommandObserver([this](uint16_t id, uint32_t command, uint32_t flags,
                                   Mci::MciGenericParms* params) -> std::optional<uint32_t> {
        uint32_t item = 0;
        if (command == Mci::MCI_STATUS && params != nullptr)
            item = static_cast<Mci::MciStatusParms*>(params)->Item;
        if (command == Mci::MCI_GETDEVCAPS && params != nullptr)
            item = static_cast<Mci::MciGetDevCapsParms*>(params)->Item;
        Sent.push_back({id, command, flags, item});
        if (FailCommand != 0 && command == FailCommand)
            return FailCode;
        return std::nullopt;
    });
}

CommandLog::~CommandLog()
{
    Mci::SetCommandObserver({});
}

namespace {
int CountEntries(const char* folder)
{
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}
} // namespace

int CountOpenFiles()
{
    return CountEntries("/proc/self/fd");
}

int CountThreads()
{
    return CountEntries("/proc/self/task");
}

int64_t DecodeAll(Mpg123Decoder& decoder, bool* failed)
{
    std::vector<unsigned char> buffer(16384);
    int64_t frames = 0;
    while (size_t bytes = decoder.Read(buffer.data(), buffer.size(), failed))
        frames += static_cast<int64_t>(bytes) / decoder.FrameBytes();
    return frames;
}
