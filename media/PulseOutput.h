#pragma once
// Basic idea: sound output straight to a PulseAudio server through libpulse's asynchronous API
// (its own thread, the "loop"), the output of choice wherever a server runs. out123's pulse module
// cannot say how much sound the server still holds; this stream keeps half a second ahead of the
// listener, so that the server wakes it rarely, and the position comes from the server's own
// timing reports: what the listener hears, whatever the server's device keeps.
// A stream with nothing left to play for a few seconds is corked, so that the server can suspend
// its sink; the next write uncorks it.
// Every wait on the server (connecting, the stream's start, room for sound, the last drain) ends
// after about two seconds: a server that is there and does not answer (stopped, hung) makes the
// operation fail, and a stream that failed once (its server went away) is never used again.
// Written by one worker thread at a time (a released output may go on to the next device's
// worker); Heard() and Interrupt() may come from any thread.

#include "media/AudioOutput.h"

#include <cstdint>
#include <memory>
#include <string>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;
struct pa_time_event;

// Each frees its libpulse object the way libpulse asks: the loop's thread is stopped before the
// loop goes; a context or a stream is first detached from our callbacks and disconnected (with the
// loop locked, which the owner sees to).
struct PulseLoopFree
{
    void operator()(pa_threaded_mainloop* loop) const;
};
struct PulseContextFree
{
    void operator()(pa_context* context) const;
};
struct PulseStreamFree
{
    void operator()(pa_stream* stream) const;
};

class PulseOutput : public AudioOutput
{
public:
    // device: the sink to play on; empty for the server's default sink.
    explicit PulseOutput(std::string device);
    ~PulseOutput() override;

    // AudioOutput's contracts: every call but Start and SetMediaName is for a started output only.
    // Nothing throws.
    bool Start(long rate, int channels) override;
    size_t WaitForRoom(size_t bytes) override;
    void Interrupt() override;
    bool Write(unsigned char* data, size_t bytes) override;
    PlayClock::Clock::duration TimeToTail(int64_t tailFrames) override;
    void Drop() override;
    int64_t Heard() override;
    std::string ErrorText() const override { return m_Error; }
    bool Reusable() const override { return !m_Broken; }
    bool Answers() override;
    bool NoServer() const override { return m_NoServer; }
    bool NotAnswering() const override { return m_NotAnswering; }
    void SetMediaName(const std::string& name) override;

private:
    std::string m_Device;
    // Declared in the order they are made, so that they go in reverse: the stream, the context,
    // then the loop.
    std::unique_ptr<pa_threaded_mainloop, PulseLoopFree> m_Loop;
    std::unique_ptr<pa_context, PulseContextFree> m_Context;
    std::unique_ptr<pa_stream, PulseStreamFree> m_Stream;
    // Wakes a wait on the loop at its deadline; freed with the loop's own API before the context.
    pa_time_event* m_Timer = nullptr;
    // Corks the stream once it has been idle for a while (ArmIdle); freed with m_Timer.
    pa_time_event* m_IdleTimer = nullptr;
    std::string m_Error;
    int m_FrameBytes = 4;

    // A command is waiting: WaitForRoom returns at once.
    bool m_Interrupted = false;
    // The end of the sound has been started without waiting for the start threshold.
    bool m_Triggered = false;
    // Corked while idle, so that the sink may suspend.
    bool m_Corked = false;
    // The stream failed or its server stopped answering: every write fails from here on.
    bool m_Broken = false;
    // Why Start or Answers failed.
    bool m_NoServer = false;
    bool m_NotAnswering = false;

    bool Connect(long rate, int channels);
    bool OpenStream(long rate, int channels);
    template <typename Ready, typename Broken>
    bool AwaitReady(PlayClock::Clock::time_point deadline, Ready ready, Broken broken);
    bool WaitUntil(PlayClock::Clock::time_point deadline);
    size_t AwaitRoom(size_t bytes, bool interruptible);
    bool Ask();
    void Drain();
    bool StreamWorks() const;
    void Fail(std::string error);
    void ArmIdle();
    void Sleep();
    void Wake();
    void Measure();
    void Refresh();
    std::string ContextError() const;
    void FollowVolume();
    void AskVolume();

public:
    // Sets the stream's volume on the server (linear); used by SetOutputVolume. Throws nothing.
    void ApplyVolume(double volume);

private:
    // The stream's index on the server (its "sink input"), once it is ready.
    uint32_t m_Index = static_cast<uint32_t>(-1);
};
