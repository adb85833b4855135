#pragma once
// Basic idea: sound output straight to a PulseAudio server through libpulse's simple API, the
// output of choice wherever a server runs. out123's pulse module cannot say how much sound the
// server still holds, and it holds a quarter of a second; this output asks for a short buffer and
// reads the server's latency after each write, so that the position is what the listener hears.
// Used by one worker thread at a time (a released output may go on to the next device's worker).

#include "media/AudioOutput.h"

#include <memory>
#include <string>

struct pa_simple;

class PulseOutput : public AudioOutput
{
public:
    // device: the sink to play on; empty for the server's default sink.
    explicit PulseOutput(std::string device);
    ~PulseOutput() override;

    bool Start(long rate, int channels) override;
    bool Write(unsigned char* data, size_t bytes) override;
    void Drain(int64_t tailFrames) override;
    void Drop() override;
    std::string ErrorText() const override { return m_Error; }
    bool Reusable() const override { return true; }

private:
    struct StreamDeleter
    {
        void operator()(pa_simple* stream) const;
    };
    std::string m_Device;
    std::unique_ptr<pa_simple, StreamDeleter> m_Stream;
    std::string m_Error;
    int m_FrameBytes = 4;

    // The frames that the server holds and has not played yet; -1 when it does not answer.
    int64_t MeasureBuffered();
};
