#pragma once
// Basic idea: where the media device's decoded sound goes. Each open device's worker thread takes
// an output when it starts and gives it back when it ends; no two threads use one at a time. Kinds:
//   - by default a PulseAudio stream (PulseOutput.h); only when no server is there at all,
//     libout123's modules for sound cards and servers (alsa, jack, oss). A server that is there but
//     does not answer within its limit fails the open instead: ALSA's default device is often the
//     same server again. PortAudio is left out, as its module was seen to crash the process;
//     naming it still chooses it;
//   - QUELMO_AUDIO_OUTPUT=pulse: PulseAudio only; any other name: that out123 module, on the device
//     that QUELMO_AUDIO_DEVICE names (for pulse: the sink);
//   - QUELMO_AUDIO_OUTPUT=null: an output of our own that consumes sound in real time with no
//     sound card (tests, machines without sound); QUELMO_AUDIO_DEVICE=unpaced makes it take sound
//     as fast as it comes (benchmarks).
// The worker asks for room before it decodes (a PulseAudio stream says how much it has, and a
// command from the UI thread cuts the wait short); out123's modules and the null output simply
// block in Write while their buffer is full, as a sound card does. What the listener has heard is
// kept by a PlayClock: frames written minus frames still buffered, the buffer draining in real
// time between measurements. Position queries read it from the UI thread.
//
// A PulseAudio stream given back after a play that reached its end is kept for the next device of
// the same format: the end of one file still plays while the next one starts, with no silence
// between them. Before it serves again its server is asked whether it still answers: a stream whose
// server went away or stopped answering is closed, never reused.

#include "media/PlayClock.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class AudioOutput
{
public:
    virtual ~AudioOutput() = default;

    // Prepares the output for 16-bit PCM of this rate and channel count. False when no output can
    // be had; ErrorText() then says why, NoServer() and NotAnswering() what kind of failure. Every
    // other call is for a started output only. Throws nothing.
    virtual bool Start(long rate, int channels) = 0;
    // Waits until at least `bytes` more can be written at once and says how many can (a whole
    // number of frames); 0 when Interrupt() cut the wait short. Outputs whose Write blocks on its
    // own return `bytes` at once, as does an output that has failed (its Write then says so). Throws nothing.
    virtual size_t WaitForRoom(size_t bytes) { return bytes; }
    // Cuts a WaitForRoom short, now or the next one (from another thread: a command is waiting). Throws
    // nothing.
    virtual void Interrupt() {}
    // Hands PCM frames over, blocking while the buffer is full. False when the output failed; it is
    // then of no further use. Throws nothing.
    virtual bool Write(unsigned char* data, size_t bytes) = 0;
    // After the last write of a play: lets everything written be heard and says how long until no
    // more than tailFrames of it are left to hear (zero: now). Called again until it says zero. Throws
    // nothing.
    virtual PlayClock::Clock::duration TimeToTail(int64_t tailFrames) = 0;
    // Discards what is buffered and not yet heard. Throws nothing.
    virtual void Drop() = 0;
    // The position of the last frame heard, as the clock counts frames. Throws nothing.
    virtual int64_t Heard() { return m_Clock.Heard(); }
    // The output's own explanation of its last failure (English, for the log), may be empty. Throws nothing.
    virtual std::string ErrorText() const { return {}; }
    // Whether the next device of the same format may go on with this output. Throws nothing.
    virtual bool Reusable() const { return false; }
    // For an output kept from an earlier device: whether its server still answers, asked within a
    // limit. False when the server went away or did not answer in time; the output is then of no
    // further use and closes without waiting. Throws nothing.
    virtual bool Answers() { return true; }
    // After a failed Start: no server is there at all (nothing listens where it should), so another
    // kind of output may be tried. Throws nothing.
    virtual bool NoServer() const { return false; }
    // After a failed Start or Answers: a server is there and did not answer within the limit. Throws nothing.
    virtual bool NotAnswering() const { return false; }
    // The name of what plays from now on (the file's name), for a sound server that shows it;
    // ignored by the others. Throws nothing.
    virtual void SetMediaName(const std::string& /*name*/) {}

    // Plain accessors; throw nothing. Rate and Channels are 0 until Start.
    PlayClock& Clock() { return m_Clock; }
    long Rate() const { return m_Rate; }
    int Channels() const { return m_Channels; }

protected:
    PlayClock m_Clock;
    long m_Rate = 0;
    int m_Channels = 0;
};

// Why no output could be had.
enum class OutputFailure
{
    None,
    NoOutput,
    NotAnswering // a sound server is there and does not answer
};

// An output started for this format: the one kept from the last device when it fits and its server
// still answers, else a new one of the kind the environment chooses. nullptr when no output can be
// had; *failure then says why. Takes about two seconds at most when a server does not answer.
// A kept output of another format plays out what it holds before the new one starts, unless
// `playingOut` is given: it is then handed over there, still playing, so that its last sound and
// the new connection overlap. Throws nothing.
std::unique_ptr<AudioOutput> AcquireAudioOutput(long rate, int channels, OutputFailure* failure = nullptr,
                                                std::unique_ptr<AudioOutput>* playingOut = nullptr);
// The volume of the player's sound on the sound server (its streams' own, not the device's),
// linear: 1.0 is full, 0.5 half the amplitude. Only PulseAudio streams have one; it is read from
// the server (a change in the desktop's sound settings shows here) and is 1.0 until a stream told
// it. Any thread; throws nothing.
double OutputVolume();
// Sets it, from 0 to 1, on the streams that play and on those that come after. Throws nothing.
void SetOutputVolume(double volume);

// Gives an output back at the end of a device: kept when it can serve the next device, else closed
// (after what it holds has played, which may block for a moment). A null output is ignored.
// Throws nothing.
void ReleaseAudioOutput(std::unique_ptr<AudioOutput> output);
