// Bad input: each kind of broken or foreign file either raises EMCIDeviceError with the layer's
// French text at Open, or plays what can be decoded and completes; never a crash or a hang. Also a
// machine with no usable sound output.

#include "MediaTestSupport.h"
#include "TestSupport.h"
#include "media/MPlayer.h"
#include "media/Mpg123Decoder.h"
#include "platform/services/Exceptions.h"

#include <QFile>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string RandomBytes(size_t size, unsigned seed)
{
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(generator() & 0xFF);
    return bytes;
}

// An ID3v2 tag header announcing `size` bytes of tag (sizes are 7 bits per byte).
std::string Id3Header(uint32_t size)
{
    std::string header = "ID3";
    header += std::string{'\x04', '\x00', '\x00'};
    for (int shift : {21, 14, 7, 0})
        header += static_cast<char>((size >> shift) & 0x7F);
    return header;
}

enum class Outcome
{
    Raises,
    Plays
};

struct InputCase
{
    const char* Name;
    std::function<std::string()> Contents; // nullptr: no file at all
    Outcome Expected;
    const char* Message; // for Raises
};

std::vector<InputCase> BadInputs()
{
    const std::string tone = ReadFile(TonePosix("440_500"));
    return {
        {"Missing", nullptr, Outcome::Raises,
         "Fichier introuvable. Vérifiez le nom du fichier et son chemin."},
        {"Empty", [] { return std::string(); }, Outcome::Raises,
         "Le fichier n'est pas un fichier MP3 lisible, ou il est endommagé."},
        {"Text", [] { return std::string("Ceci n'est pas un fichier MP3.\n").append(3000, 'x'); },
         Outcome::Raises, "Le fichier n'est pas un fichier MP3 lisible, ou il est endommagé."},
        {"Id3Only", [] { return Id3Header(1000) + std::string(1000, '\0'); }, Outcome::Raises,
         "Le fichier n'est pas un fichier MP3 lisible, ou il est endommagé."},
        {"HugeId3Announced", [] { return Id3Header(0x0FFFFFFF) + std::string(4000, 'a'); }, Outcome::Raises,
         "Le fichier n'est pas un fichier MP3 lisible, ou il est endommagé."},
        {"HugeId3BeforeSound", [tone] { return Id3Header(8 << 20) + std::string(8 << 20, '\0') + tone; },
         Outcome::Plays, nullptr},
        {"Truncated", [tone] { return tone.substr(0, tone.size() / 2); }, Outcome::Plays, nullptr},
        {"TruncatedMidFrame", [tone] { return tone.substr(0, tone.size() - 77); }, Outcome::Plays, nullptr},
        {"GarbageInTheMiddle",
         [tone] { return tone.substr(0, 1500) + RandomBytes(700, 7) + tone.substr(1500); }, Outcome::Plays,
         nullptr},
    };
}

class MediaBadInput : public ::testing::TestWithParam<InputCase>
{
protected:
    void SetUp() override { UseAudioOutput("null"); }
};

TEST_P(MediaBadInput, RaisesAFrenchErrorOrPlaysWhatDecodes)
{
    const InputCase& input = GetParam();
    TempTree tree;
    DriveScope drives(tree.Path());
    if (input.Contents)
        tree.WriteFile("f.mp3", input.Contents());
    TMediaPlayer media;
    int notified = 0;
    QObject::connect(&media, &TMediaPlayer::OnNotify, [&] { ++notified; });
    media.FileName = "c:\\f.mp3";
    if (input.Expected == Outcome::Raises) {
        try {
            media.Open();
            FAIL() << "Open did not raise";
        } catch (const EMCIDeviceError& raised) {
            EXPECT_EQ(raised.Message(), input.Message);
        }
        EXPECT_FALSE(media.Opened());
        return;
    }
    media.Open();
    EXPECT_GT(media.GetLength(), 0);
    media.Play();
    ASSERT_TRUE(WaitFor([&] { return notified > 0; }, 5000)) << "no completion";
    EXPECT_EQ(media.NotifyValue(), nvSuccessful) << "a failure would end the player's sequence";
    EXPECT_EQ(media.GetMode(), mpStopped);
}

INSTANTIATE_TEST_SUITE_P(Files, MediaBadInput, ::testing::ValuesIn(BadInputs()),
                         [](const auto& param) { return std::string(param.param.Name); });

// Damage in the middle of a 3 s file (64 kbit/s, so 4 KiB is half a second): decoding skips it and
// goes on to the end of the file, without a failure that would end the player's sequence.
TEST(MediaDamagedInput, DecodingGoesOnPastTheDamage)
{
    const std::string tone = ReadFile(TonePosix("600_3000"));
    const size_t third = tone.size() / 3;
    const size_t middle = tone.size() / 2 + 101; // not on a frame boundary
    const std::pair<const char*, std::string> damaged[] = {
        {"ZeroedBlock", std::string(tone).replace(third, 4096, 4096, '\0')},
        {"RandomBytesInserted", std::string(tone).insert(middle, RandomBytes(1500, 3))},
        {"CutInTheMiddle", std::string(tone).erase(middle, 3000)},
    };
    for (const auto& [name, contents] : damaged) {
        SCOPED_TRACE(name);
        TempTree tree;
        tree.WriteFile("f.mp3", contents);
        Mpg123Decoder decoder;
        ASSERT_EQ(decoder.Open(tree / "f.mp3"), Mpg123Decoder::OpenResult::Ok);
        bool failed = false;
        const int64_t frames = DecodeAll(decoder, &failed);
        EXPECT_FALSE(failed);
        EXPECT_GT(frames * 1000 / decoder.Rate(), 2300) << "decoded ms";
    }
}

// Random files of several sizes: whatever Open and a short play make of them, they end.
TEST(MediaRandomInput, RandomBytesNeverCrashOrHang)
{
    UseAudioOutput("null");
    TempTree tree;
    DriveScope drives(tree.Path());
    for (unsigned seed = 1; seed <= 12; ++seed) {
        tree.WriteFile("r.mp3", RandomBytes(seed * 1500, seed));
        TMediaPlayer media;
        media.FileName = "c:\\r.mp3";
        try {
            media.Open();
        } catch (const EMCIDeviceError& raised) {
            EXPECT_FALSE(raised.Message().empty());
            continue;
        }
        media.Play();
        WaitFor([&] { return media.GetMode() != mpPlaying; }, 300);
        media.Close();
    }
}

TEST(MediaRandomInput, UnreadableFileRaises)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    UseAudioOutput("null");
    TempTree tree;
    DriveScope drives(tree.Path());
    tree.WriteFile("locked.mp3", ReadFile(TonePosix("440_300")));
    chmod((tree / "locked.mp3").c_str(), 0);
    TMediaPlayer media;
    media.FileName = "c:\\locked.mp3";
    EXPECT_THROW(media.Open(), EMCIDeviceError);
}

TEST(MediaOutput, NoUsableOutputFailsAtOpenWithAClearText)
{
    UseAudioOutput("no-such-module");
    TMediaPlayer media;
    media.FileName = TonePath("440_300");
    try {
        media.Open();
        FAIL() << "Open did not raise";
    } catch (const EMCIDeviceError& raised) {
        EXPECT_EQ(raised.Message(), "Aucune sortie audio n'est disponible : le son ne peut pas être joué.");
    }
    EXPECT_FALSE(media.Opened());
    EXPECT_EQ(Mci::OpenDeviceCount(), 0u);
    UseAudioOutput("null");
}

// The default choice on a machine with neither a sound server nor a sound card: the output modules
// that out123 would try next all fail, and Open says so instead of hanging.
TEST(MediaOutput, DefaultChoiceWithoutServerOrCardFailsAtOpen)
{
    if (access("/dev/snd", F_OK) == 0)
        GTEST_SKIP() << "this machine has a sound card";
#if defined(__SANITIZE_ADDRESS__)
    // The sound libraries that out123's modules load (alsa-lib, jack) keep allocations for the life
    // of the process; once the failed modules are unloaded the leak checker finds them.
    GTEST_SKIP() << "out123's sound modules leak when unloaded";
#endif
    std::string server = std::getenv("PULSE_SERVER") != nullptr ? std::getenv("PULSE_SERVER") : "";
    TempTree tree;
    setenv("PULSE_SERVER", ("unix:" + tree / "no-server").c_str(), 1);
    unsetenv("QUELMO_AUDIO_OUTPUT");
    TMediaPlayer media;
    media.FileName = TonePath("440_300");
    EXPECT_THROW(media.Open(), EMCIDeviceError);
    EXPECT_FALSE(media.Opened());
    if (server.empty())
        unsetenv("PULSE_SERVER");
    else
        setenv("PULSE_SERVER", server.c_str(), 1);
    UseAudioOutput("null");
}

} // namespace
