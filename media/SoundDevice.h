#pragma once
// Basic idea: one open MP3 device: a decoder (Mpg123Decoder.h), an output (AudioOutput.h) and the
// worker thread that alone uses both. The device layer (MciDevice.h) creates it on the UI thread and
// calls its commands there; each command is handed to the worker and waited for, so when a call
// returns the device is playing, paused, stopped or positioned as asked. Play only starts the sound:
// when playing ends (the file's end, or a failure of the decoder or the output), the worker calls
// the end handler with the play's ticket, on the worker thread; the layer turns that into a posted
// event. Positions are PCM frames of what the listener has heard.
//
// An output that fails while playing (its sound server went away or stopped answering) ends the
// play as failed, at the frame the listener reached; the next play on the device starts on a fresh
// output, or fails at once while none can be had. So a play never goes on silently into a dead
// output, and the position does not run on without sound.
//
// Likewise a file on a network drive whose server goes away: the read that the drive does not
// answer gives up within the drive's limit (DriveFile.h) and the play ends as failed, as for any
// read error, at the frame the listener reached. So the worker never waits on a drive for longer
// than that limit, nor does a command that waits for the worker.

#include "media/AudioOutput.h"
#include "media/Mpg123Decoder.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class SoundDevice
{
public:
    enum class Mode
    {
        Stopped,
        Playing,
        Paused
    };
    // Called on the worker thread when a play ends by itself.
    using EndHandler = std::function<void(uint64_t ticket, bool failed)>;

    // How Open went, in the layer's terms.
    using OpenResult = ::OpenResult;

    explicit SoundDevice(EndHandler onEnd);
    // Stops the sound and ends the worker.
    ~SoundDevice();
    SoundDevice(const SoundDevice&) = delete;
    SoundDevice& operator=(const SoundDevice&) = delete;

    // Opens the file, measures it and starts the worker with its output. Synchronous. Ok, or the
    // decoder's reason, NoOutput or OutputNotAnswering. Open once; every other call needs it Ok.
    // Throws nothing.
    OpenResult Open(const std::string& posixPath);

    // Plays from the current position (or `from`) up to `to` (or the end); -1 for either means
    // none. A play that starts at its end ends at once. Returns at once. Throws nothing.
    void Play(int64_t from, int64_t to, uint64_t ticket);
    // Pauses a playing device at what the listener has heard (the output falls silent at once);
    // does nothing otherwise. Throws nothing.
    void Pause();
    // Goes on from a pause, the end now reported under `ticket`; does nothing unless paused. Throws
    // nothing.
    void Resume(uint64_t ticket);
    // Stops at what the listener has heard; the next play goes on from there. Stop, Pause and Seek
    // discard what the output holds and put the decoder back to the frame heard last, so that going
    // on neither skips nor repeats sound. Throws nothing.
    void Stop();
    // Stops and moves to a frame, from 0 to LengthFrames(). Throws nothing.
    void Seek(int64_t frame);
    // Moves to a frame, from 0 to LengthFrames(), keeping the mode: a playing device goes on from
    // there (its end reported as before, at once when moved to its end), a paused one stays paused
    // there; a stopped one seeks. Throws nothing.
    void MoveTo(int64_t frame);
    // Blocks until a play ends (a play sent with MCI_WAIT); at once when none plays. Throws nothing.
    void WaitWhilePlaying();

    // Plain accessors; throw nothing. The position is the frame heard last, at most the length;
    // once a play has ended, its end frame (or the frame where it failed).
    Mode GetMode() const { return m_Mode.load(); }
    int64_t PositionFrames() const;
    int64_t LengthFrames() const { return m_Decoder.LengthFrames(); }
    long Rate() const { return m_Decoder.Rate(); }
    int FrameBytes() const { return m_Decoder.FrameBytes(); }

private:
    enum class Command
    {
        None,
        Play,
        Pause,
        Resume,
        Stop,
        Seek,
        Move,
        Quit
    };

    Mpg123Decoder m_Decoder;
    std::unique_ptr<AudioOutput> m_Output;
    EndHandler m_OnEnd;
    // The file's name, which the output shows to the sound server.
    std::string m_MediaName;
    std::thread m_Worker;
    std::atomic<Mode> m_Mode{Mode::Stopped};
    // While stopped at the end of a play, the position is the end itself, whatever the decoder gave.
    std::atomic<int64_t> m_StoppedAt{-1};

    // The command handed to the worker and its answer; guarded by m_Mutex.
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    Command m_Command = Command::None;
    int64_t m_ArgFrom = -1;
    int64_t m_ArgTo = -1;
    uint64_t m_ArgTicket = 0;
    uint64_t m_Sent = 0;
    uint64_t m_Done = 0;
    int m_StartState = 0; // 0 starting, 1 running, -1 no output
    OutputFailure m_StartFailure = OutputFailure::None;
    // False while the last device's output, of another format, still plays out its sound.
    bool m_PlayedOut = true;

    // Worker-only state.
    int64_t m_PlayTo = 0;
    uint64_t m_Ticket = 0;
    // The output failed during a play: it is replaced before the next one.
    bool m_OutputFailed = false;
    // Plays out the last device's output; joined before the worker ends.
    std::jthread m_PlayingOut;

    void Send(Command command, int64_t from = -1, int64_t to = -1, uint64_t ticket = 0);
    void Run();
    bool WaitForWork(Command& command);
    void Execute(Command command);
    void StartPlay();
    void RenewOutput();
    void PlayOut(std::unique_ptr<AudioOutput> previous);
    void WaitPlayedOut();
    void OutputFailed();
    void StopAtHeard();
    void PlayChunk(std::vector<unsigned char>& buffer);
    void FinishWhenHeard();
    void Finish(bool failed);
};
