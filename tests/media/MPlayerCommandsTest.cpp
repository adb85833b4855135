// The component's commands: for each of the player's call sequences, the commands and flags that
// reach the device layer, the one-shot values consumed or kept armed, Error after each, and the
// raises when no device is open.

#include "MediaTestSupport.h"
#include "media/MPlayer.h"
#include "platform/services/Exceptions.h"

#include <QSignalSpy>
#include <functional>
#include <gtest/gtest.h>

using namespace Mci;

namespace {

// Stand for the identifier of the device open before the sequence, and of the one it opens.
constexpr uint16_t Dev = 0xFFFF;
constexpr uint16_t New = 0xFFFE;

SentCommand Status(uint16_t id, uint32_t item)
{
    return {id, MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM, item};
}

// What a successful Open sends after MCI_OPEN: the length, the capabilities, the source rectangle
// and the mode.
std::vector<SentCommand> AfterOpen()
{
    std::vector<SentCommand> sent{Status(New, MCI_STATUS_LENGTH)};
    for (uint32_t item : {MCI_GETDEVCAPS_CAN_PLAY, MCI_GETDEVCAPS_CAN_RECORD, MCI_GETDEVCAPS_CAN_EJECT,
                          MCI_GETDEVCAPS_HAS_VIDEO, MCI_GETDEVCAPS_DEVICE_TYPE})
        sent.push_back({New, MCI_GETDEVCAPS, MCI_WAIT | MCI_GETDEVCAPS_ITEM, item});
    sent.push_back({New, MCI_WHERE, MCI_WAIT | MCI_WHERE_SOURCE, 0});
    sent.push_back(Status(New, MCI_STATUS_MODE));
    return sent;
}

std::vector<SentCommand> Join(std::initializer_list<std::vector<SentCommand>> parts)
{
    std::vector<SentCommand> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

enum class Start
{
    Closed,
    Open,
    Playing,
    Paused
};

struct SequenceCase
{
    const char* Name;
    Start Before;
    std::function<void(TMediaPlayer&)> Calls;
    std::vector<SentCommand> Expected;
    bool ErrorAfter; // Error() non-zero after the sequence
};

// Names the case in test reports instead of dumping its bytes.
void PrintTo(const SequenceCase& sequence, std::ostream* out)
{
    *out << sequence.Name;
}

// The player's way to play a file.
void PlayFile(TMediaPlayer& media, const std::string& path)
{
    media.SetNotify(false);
    media.Close();
    media.FileName = path;
    media.SetNotify(false);
    media.Open();
    media.SetNotify(true);
    media.Play();
}

std::vector<SequenceCase> PlayerSequences()
{
    const std::vector<SentCommand> openAndPlay = Join(
        {{{0, MCI_OPEN, MCI_WAIT | MCI_OPEN_ELEMENT, 0}},
         AfterOpen(),
         {Status(New, MCI_STATUS_POSITION), Status(New, MCI_STATUS_LENGTH), {New, MCI_PLAY, MCI_NOTIFY, 0}}});
    return {
        {"TimeFormatAtCreation",
         Start::Closed,
         [](TMediaPlayer& m) { m.SetTimeFormat(0); },
         {{0, MCI_SET, MCI_WAIT | MCI_SET_TIME_FORMAT, 0}},
         true},
        {"PlayFirstFile", Start::Closed, [](TMediaPlayer& m) { PlayFile(m, TonePath("440_500")); },
         openAndPlay, false},
        {"PlayNextFile", Start::Playing, [](TMediaPlayer& m) { PlayFile(m, TonePath("550_400")); },
         Join({{{Dev, MCI_CLOSE, MCI_WAIT, 0}}, openAndPlay}), false},
        {"StopOnCompletion",
         Start::Playing,
         [](TMediaPlayer& m) { m.Stop(); },
         {{Dev, MCI_STOP, MCI_WAIT, 0}},
         false},
        {"PauseButtonWhilePlaying",
         Start::Playing,
         [](TMediaPlayer& m) {
             m.SetNotify(false);
             ASSERT_EQ(m.GetMode(), mpPlaying);
             m.Pause();
         },
         {Status(Dev, MCI_STATUS_MODE), Status(Dev, MCI_STATUS_MODE), {Dev, MCI_PAUSE, MCI_WAIT, 0}},
         false},
        {"ResumeWhilePaused",
         Start::Paused,
         [](TMediaPlayer& m) {
             ASSERT_EQ(m.GetMode(), mpPaused);
             m.SetNotify(false);
             m.Resume();
         },
         {Status(Dev, MCI_STATUS_MODE), {Dev, MCI_RESUME, 0, 0}},
         false},
        {"StopButton",
         Start::Playing,
         [](TMediaPlayer& m) {
             ASSERT_EQ(m.GetMode(), mpPlaying);
             m.SetNotify(false);
             m.Stop();
             m.SetNotify(false);
             m.Close();
         },
         {Status(Dev, MCI_STATUS_MODE), {Dev, MCI_STOP, MCI_WAIT, 0}, {Dev, MCI_CLOSE, MCI_WAIT, 0}},
         false},
        {"WindowClosing",
         Start::Playing,
         [](TMediaPlayer& m) {
             m.SetNotify(false);
             m.Close();
         },
         {{Dev, MCI_CLOSE, MCI_WAIT, 0}},
         false},
        {"WindowClosingWithNothingOpen",
         Start::Closed,
         [](TMediaPlayer& m) {
             m.SetNotify(false);
             m.Close();
         },
         {},
         false},
        {"TimerTick",
         Start::Playing,
         [](TMediaPlayer& m) {
             m.GetMode();
             m.GetPosition();
             m.GetLength();
         },
         {Status(Dev, MCI_STATUS_MODE), Status(Dev, MCI_STATUS_POSITION), Status(Dev, MCI_STATUS_LENGTH)},
         false},
        {"TimerTickWithNothingOpen",
         Start::Closed,
         [](TMediaPlayer& m) { EXPECT_EQ(m.GetMode(), mpNotReady); },
         {Status(0, MCI_STATUS_MODE)},
         true},
        {"PauseOnStoppedDeviceSendsOnlyQueries",
         Start::Open,
         [](TMediaPlayer& m) { m.Pause(); },
         {Status(Dev, MCI_STATUS_MODE), Status(Dev, MCI_STATUS_MODE)},
         false},
        {"ResumeRefusedPlaysWithTheSameFlags",
         Start::Open,
         [](TMediaPlayer& m) {
             m.SetNotify(false);
             m.Resume();
         },
         {{Dev, MCI_RESUME, 0, 0},
          Status(Dev, MCI_STATUS_POSITION),
          Status(Dev, MCI_STATUS_LENGTH),
          {Dev, MCI_PLAY, 0, 0}},
         false},
        {"NotifyArmedBeforeOpenAppliesToTheClose", Start::Open,
         [](TMediaPlayer& m) {
             m.FileName = TonePath("550_400");
             m.SetNotify(true);
             m.Open();
         },
         Join({{{Dev, MCI_CLOSE, MCI_WAIT | MCI_NOTIFY, 0}, {0, MCI_OPEN, MCI_WAIT | MCI_OPEN_ELEMENT, 0}},
               AfterOpen()}),
         false},
        {"CloseWithNothingOpenKeepsNotifyArmed", Start::Closed,
         [](TMediaPlayer& m) {
             m.SetNotify(true);
             m.Close();
             m.FileName = TonePath("440_300");
             m.Open();
         },
         Join({{{0, MCI_OPEN, MCI_WAIT | MCI_NOTIFY | MCI_OPEN_ELEMENT, 0}}, AfterOpen()}), false},
        {"PlayWithNothingArmedAsksForCompletion",
         Start::Open,
         [](TMediaPlayer& m) { m.Play(); },
         {Status(Dev, MCI_STATUS_POSITION), Status(Dev, MCI_STATUS_LENGTH), {Dev, MCI_PLAY, MCI_NOTIFY, 0}},
         false},
        {"WaitArmedForPlay",
         Start::Open,
         [](TMediaPlayer& m) {
             m.SetWait(false);
             m.SetNotify(false);
             m.Play();
             m.Stop();
         },
         {Status(Dev, MCI_STATUS_POSITION),
          Status(Dev, MCI_STATUS_LENGTH),
          {Dev, MCI_PLAY, 0, 0},
          {Dev, MCI_STOP, MCI_WAIT, 0}},
         false},
        {"FromAndToSkipTheRewindTest",
         Start::Open,
         [](TMediaPlayer& m) {
             m.SetFrom(100);
             m.SetTo(200);
             m.Play();
         },
         {{Dev, MCI_PLAY, MCI_NOTIFY | MCI_FROM | MCI_TO, 0}},
         false},
    };
}

class MPlayerCommands : public ::testing::TestWithParam<SequenceCase>
{
protected:
    void SetUp() override { UseAudioOutput("null"); }
};

void Prepare(TMediaPlayer& media, Start start)
{
    if (start == Start::Closed)
        return;
    media.FileName = TonePath("1500_1200");
    media.Open();
    if (start == Start::Open)
        return;
    media.Play();
    if (start == Start::Paused)
        media.PauseOnly();
}

TEST_P(MPlayerCommands, SendsTheCommandsOfTheSequence)
{
    const SequenceCase& sequence = GetParam();
    TMediaPlayer media;
    Prepare(media, sequence.Before);
    uint16_t id = media.DeviceId();
    std::vector<SentCommand> sent;
    {
        CommandLog log;
        sequence.Calls(media);
        sent = log.Sent;
    }
    std::vector<SentCommand> expected = sequence.Expected;
    for (SentCommand& command : expected)
        command.DeviceId = command.DeviceId == Dev   ? id
                           : command.DeviceId == New ? media.DeviceId()
                                                     : command.DeviceId;
    ASSERT_EQ(sent.size(), expected.size());
    for (size_t i = 0; i < sent.size(); ++i)
        EXPECT_EQ(sent[i], expected[i])
            << "command " << i << ": " << ToString(sent[i]) << " wanted " << ToString(expected[i]);
    EXPECT_EQ(media.Error() != 0, sequence.ErrorAfter) << media.GetErrorMessage();
}

INSTANTIATE_TEST_SUITE_P(PlayerCalls, MPlayerCommands, ::testing::ValuesIn(PlayerSequences()),
                         [](const auto& param) { return std::string(param.param.Name); });

class MPlayerNothingOpen : public ::testing::Test
{
protected:
    void SetUp() override { UseAudioOutput("null"); }
};

TEST_F(MPlayerNothingOpen, CommandsNeedingADeviceRaiseAndSendNothing)
{
    const std::vector<std::pair<const char*, std::function<void(TMediaPlayer&)>>> calls = {
        {"Play", [](TMediaPlayer& m) { m.Play(); }},
        {"Stop", [](TMediaPlayer& m) { m.Stop(); }},
        {"PauseOnly", [](TMediaPlayer& m) { m.PauseOnly(); }},
        {"Pause", [](TMediaPlayer& m) { m.Pause(); }},
        {"Resume", [](TMediaPlayer& m) { m.Resume(); }},
        {"Rewind", [](TMediaPlayer& m) { m.Rewind(); }},
        {"GetLength", [](TMediaPlayer& m) { m.GetLength(); }},
        {"GetTimeFormat", [](TMediaPlayer& m) { m.GetTimeFormat(); }},
    };
    for (const auto& [name, call] : calls) {
        TMediaPlayer media;
        media.SetTimeFormat(0); // leaves a known non-zero Error
        uint32_t error = media.Error();
        media.SetNotify(true);
        CommandLog log;
        try {
            call(media);
            ADD_FAILURE() << name << " did not raise";
        } catch (const EMCIDeviceError& raised) {
            EXPECT_EQ(raised.Message(), "Aucun périphérique MCI ouvert") << name;
        }
        EXPECT_TRUE(log.Sent.empty()) << name;
        EXPECT_EQ(media.Error(), error) << name;
        // The armed notify value is still there for the next command.
        media.FileName = TonePath("440_300");
        media.Open();
        ASSERT_GE(log.Sent.size(), 1u);
        EXPECT_EQ(log.Sent[0].Flags, MCI_WAIT | MCI_NOTIFY | MCI_OPEN_ELEMENT) << name;
    }
}

TEST_F(MPlayerNothingOpen, QueriesAnswerWithoutRaising)
{
    TMediaPlayer media;
    EXPECT_EQ(media.GetMode(), mpNotReady);
    EXPECT_NE(media.Error(), 0u);
    EXPECT_EQ(media.GetPosition(), 0);
    EXPECT_NE(media.Error(), 0u);
    EXPECT_FALSE(media.GetErrorMessage().empty());
    EXPECT_NE(media.GetErrorMessage(), "Code d'erreur inconnu");
}

TEST_F(MPlayerNothingOpen, TimeFormatSetBeforeOpenIsLost)
{
    TMediaPlayer media;
    media.SetTimeFormat(MCI_FORMAT_SAMPLES);
    EXPECT_NE(media.Error(), 0u);
    media.FileName = TonePath("440_500");
    media.Open();
    EXPECT_EQ(media.GetTimeFormat(), MCI_FORMAT_MILLISECONDS);
    EXPECT_EQ(media.GetLength(), 500);
    EXPECT_EQ(media.Error(), 0u);
}

class MPlayerOpen : public ::testing::Test
{
protected:
    void SetUp() override { UseAudioOutput("null"); }
};

TEST_F(MPlayerOpen, EmptyFileNameStillSendsTheElementAndRaisesTheLayerText)
{
    TMediaPlayer media;
    CommandLog log;
    try {
        media.Open();
        FAIL() << "Open did not raise";
    } catch (const EMCIDeviceError& raised) {
        EXPECT_EQ(raised.Message(), "Aucun nom de fichier n'a été indiqué.");
    }
    ASSERT_EQ(log.Sent.size(), 1u);
    EXPECT_EQ(log.Sent[0], (SentCommand{0, MCI_OPEN, MCI_WAIT | MCI_OPEN_ELEMENT, 0}));
    EXPECT_FALSE(media.Opened());
    EXPECT_EQ(media.DeviceId(), 0);
}

TEST_F(MPlayerOpen, FailedCloseKeepsTheDeviceAndTheNextOpenClosesAgain)
{
    TMediaPlayer media;
    media.FileName = TonePath("440_300");
    media.Open();
    uint16_t id = media.DeviceId();
    {
        CommandLog log;
        log.FailCommand = MCI_CLOSE;
        log.FailCode = MCIERR_UNSUPPORTED_FUNCTION;
        media.Close();
    }
    EXPECT_TRUE(media.Opened());
    EXPECT_EQ(media.DeviceId(), id);
    EXPECT_EQ(media.Error(), MCIERR_UNSUPPORTED_FUNCTION);
    CommandLog log;
    media.Open();
    ASSERT_GE(log.Sent.size(), 2u);
    EXPECT_EQ(log.Sent[0], (SentCommand{id, MCI_CLOSE, MCI_WAIT, 0}));
    EXPECT_EQ(log.Sent[1].Command, MCI_OPEN);
    EXPECT_EQ(Mci::OpenDeviceCount(), 1u);
}

TEST_F(MPlayerOpen, ErrorAfterOpenIsTheModeQuerysAndUnknownCodesHaveAFallbackText)
{
    TMediaPlayer media;
    media.FileName = TonePath("440_300");
    media.Open();
    EXPECT_EQ(media.Error(), 0u);
    EXPECT_TRUE(media.CanPlay());
    EXPECT_FALSE(media.HasVideo());
    EXPECT_EQ(media.StepFrames(), 30);
    CommandLog log;
    log.FailCommand = MCI_STATUS;
    log.FailCode = 9999;
    media.GetMode();
    EXPECT_EQ(media.Error(), 9999u);
    EXPECT_EQ(media.GetErrorMessage(), "Code d'erreur inconnu");
}

TEST_F(MPlayerOpen, DestructionClosesWithWaitOnly)
{
    CommandLog log;
    uint16_t id = 0;
    {
        TMediaPlayer media;
        media.FileName = TonePath("440_300");
        media.Open();
        id = media.DeviceId();
        media.SetNotify(true); // a one-shot value does not apply to the closing at destruction
        log.Sent.clear();
    }
    ASSERT_EQ(log.Sent.size(), 1u);
    EXPECT_EQ(log.Sent[0], (SentCommand{id, MCI_CLOSE, MCI_WAIT, 0}));
    EXPECT_EQ(Mci::OpenDeviceCount(), 0u);
}

TEST_F(MPlayerOpen, UnknownCompletionCodeKeepsNotifyValueAndStillFires)
{
    TMediaPlayer media;
    QSignalSpy spy(&media, &TMediaPlayer::OnNotify);
    media.HandleMciNotify(MCI_NOTIFY_ABORTED, 0);
    EXPECT_EQ(media.NotifyValue(), nvAborted);
    media.HandleMciNotify(99, 0);
    EXPECT_EQ(media.NotifyValue(), nvAborted);
    EXPECT_EQ(spy.count(), 2);
}

} // namespace
