#pragma once
// Basic idea: where the media device's decoded sound goes. One output per open device, created,
// used and destroyed on that device's worker thread only. Two kinds:
//   - libout123, by default with out123's own order of modules (pulse, alsa, ...);
//     QUELMO_AUDIO_OUTPUT names one module instead and QUELMO_AUDIO_DEVICE its device;
//   - QUELMO_AUDIO_OUTPUT=null, an output of our own that consumes sound in real time with no sound
//     card (tests, machines without sound); QUELMO_AUDIO_DEVICE=unpaced makes it take sound as fast
//     as it comes (benchmarks).
// Write blocks while the output's buffer is full, as a sound card does. What the listener has heard
// is estimated by a clock that models that buffer (PlayClock): frames written minus frames still
// buffered, the buffer draining in real time. Position queries read it from the UI thread.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

// The model of an output's buffer: it fills with each write and drains at the sound's rate.
// Thread-safe: the worker writes, the UI thread asks what has been heard.
class PlayClock
{
public:
    using Clock = std::chrono::steady_clock;

    void Reset(long rate, int64_t capacityFrames);
    // Frames handed to the output since Reset (or the last Restart).
    int64_t Written() const;
    // Frames written and already heard.
    int64_t Heard() const { return Heard(Clock::now()); }
    int64_t Heard(Clock::time_point now) const;
    // Frames still buffered at `now`.
    int64_t Buffered(Clock::time_point now) const;
    // How long until `frames` more fit into the buffer (zero when they fit now).
    Clock::duration WaitForRoom(int64_t frames, Clock::time_point now) const;
    void AddWritten(int64_t frames, Clock::time_point now);
    // The buffer was emptied without being heard; returns the frames discarded.
    int64_t Drop(Clock::time_point now);
    // Everything written has been heard.
    void Drained();
    // Starts counting from `frame` (after a seek), with an empty buffer.
    void Restart(int64_t frame);

private:
    mutable std::mutex m_Mutex;
    long m_Rate = 44100;
    int64_t m_Capacity = 0;
    int64_t m_Written = 0;
    int64_t m_BufferedAtStamp = 0;
    Clock::time_point m_Stamp;

    int64_t BufferedLocked(Clock::time_point now) const;
};

class AudioOutput
{
public:
    virtual ~AudioOutput() = default;

    // Prepares the output for 16-bit PCM of this rate and channel count. False when no output can
    // be had; ErrorText() then says why.
    virtual bool Start(long rate, int channels) = 0;
    // Hands PCM frames over, blocking while the buffer is full. False when the output failed.
    virtual bool Write(unsigned char* data, size_t bytes) = 0;
    // Waits until everything written has been heard.
    virtual void Drain() = 0;
    // Discards what is buffered and not yet heard.
    virtual void Drop() = 0;
    // The output's own explanation of its last failure (English, for the log), may be empty.
    virtual std::string ErrorText() const { return {}; }

    PlayClock& Clock() { return m_Clock; }

protected:
    PlayClock m_Clock;
};

// The output that the environment chooses (see the top of this file).
std::unique_ptr<AudioOutput> CreateAudioOutput();
