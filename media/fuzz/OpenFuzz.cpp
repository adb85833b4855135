// Feeds arbitrary bytes to the media device as an MP3 file: its tags read, open, a short play on
// the unpaced null output, stop, close, and the completions delivered. Whatever the bytes, each
// step must end, with a result code and never a crash, a hang, a leak or undefined behaviour.

#include "media/MciDevice.h"
#include "media/TrackTags.h"

#include <QCoreApplication>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

std::string& FilePosix()
{
    static std::string path = "/tmp/quelmo-fuzz-" + std::to_string(getpid()) + ".mp3";
    return path;
}

// The file as a path text on drive c, which the default drive table maps to "/".
std::string FileText()
{
    std::string text = "c:" + FilePosix();
    for (char& c : text)
        c = c == '/' ? '\\' : c;
    return text;
}

bool WriteInput(const uint8_t* data, size_t size)
{
    FILE* file = std::fopen(FilePosix().c_str(), "wb");
    if (file == nullptr)
        return false;
    bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

uint32_t Mode(uint16_t id)
{
    Mci::MciStatusParms status;
    status.Item = Mci::MCI_STATUS_MODE;
    Mci::SendCommand(id, Mci::MCI_STATUS, Mci::MCI_WAIT | Mci::MCI_STATUS_ITEM, &status);
    return status.Return;
}

void ShortPlay(uint16_t id, QObject* callback)
{
    Mci::MciPlayParms play;
    play.Callback = callback;
    Mci::SendCommand(id, Mci::MCI_PLAY, Mci::MCI_NOTIFY, &play);
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    while (Mode(id) == Mci::MCI_MODE_PLAY && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    Mci::MciStatusParms status;
    status.Item = Mci::MCI_STATUS_POSITION;
    Mci::SendCommand(id, Mci::MCI_STATUS, Mci::MCI_WAIT | Mci::MCI_STATUS_ITEM, &status);
    Mci::MciGenericParms stop;
    Mci::SendCommand(id, Mci::MCI_STOP, Mci::MCI_WAIT, &stop);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    setenv("QUELMO_AUDIO_OUTPUT", "null", 1);
    setenv("QUELMO_AUDIO_DEVICE", "unpaced", 1);
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!WriteInput(data, size))
        return 0;
    ReadTrackTags(FilePosix());
    QObject callback;
    std::string element = FileText();
    Mci::MciOpenParms open;
    open.Callback = &callback;
    open.ElementName = element.c_str();
    if (Mci::SendCommand(0, Mci::MCI_OPEN, Mci::MCI_WAIT | Mci::MCI_OPEN_ELEMENT, &open) == 0) {
        Mci::MciStatusParms length;
        length.Item = Mci::MCI_STATUS_LENGTH;
        Mci::SendCommand(open.DeviceId, Mci::MCI_STATUS, Mci::MCI_WAIT | Mci::MCI_STATUS_ITEM, &length);
        ShortPlay(open.DeviceId, &callback);
        Mci::MciGenericParms close;
        Mci::SendCommand(open.DeviceId, Mci::MCI_CLOSE, Mci::MCI_WAIT, &close);
    }
    QCoreApplication::processEvents();
    std::remove(FilePosix().c_str());
    return 0;
}
