#include "media/PulseOutput.h"

#include <chrono>
#include <pulse/error.h>
#include <pulse/simple.h>
#include <thread>

namespace {

// The server keeps about this much sound ahead of the listener: enough against dropouts on a busy
// machine, little enough that a stop is heard at once.
constexpr int BufferMilliseconds = 100;
// Playback starts as soon as this much has arrived (after an open or an underrun).
constexpr int StartMilliseconds = 20;

} // namespace

void PulseOutput::StreamDeleter::operator()(pa_simple* stream) const
{
    pa_simple_free(stream);
}

PulseOutput::PulseOutput(std::string device) : m_Device(std::move(device))
{
}

PulseOutput::~PulseOutput()
{
    // Whatever is still buffered (the end of a file) plays out before the stream goes.
    if (m_Stream)
        pa_simple_drain(m_Stream.get(), nullptr);
}

bool PulseOutput::Start(long rate, int channels)
{
    m_Rate = rate;
    m_Channels = channels;
    m_FrameBytes = channels * 2;
    pa_sample_spec sampleFormat{};
    sampleFormat.format = PA_SAMPLE_S16LE;
    sampleFormat.rate = static_cast<uint32_t>(rate);
    sampleFormat.channels = static_cast<uint8_t>(channels);
    auto bytesFor = [&](int ms) { return static_cast<uint32_t>(rate * ms / 1000 * m_FrameBytes); };
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.tlength = bytesFor(BufferMilliseconds);
    attr.prebuf = bytesFor(StartMilliseconds);
    attr.minreq = static_cast<uint32_t>(-1);
    attr.fragsize = static_cast<uint32_t>(-1);
    int error = 0;
    m_Stream.reset(pa_simple_new(nullptr, "Quelmo", PA_STREAM_PLAYBACK,
                                 m_Device.empty() ? nullptr : m_Device.c_str(), "Lecture", &sampleFormat,
                                 nullptr, &attr, &error));
    if (!m_Stream) {
        m_Error = pa_strerror(error);
        return false;
    }
    m_Clock.Reset(rate, 0);
    return true;
}

int64_t PulseOutput::MeasureBuffered()
{
    int error = 0;
    pa_usec_t latency = pa_simple_get_latency(m_Stream.get(), &error);
    if (latency == static_cast<pa_usec_t>(-1)) {
        m_Error = pa_strerror(error);
        return -1;
    }
    return static_cast<int64_t>(latency) * m_Rate / 1000000;
}

bool PulseOutput::Write(unsigned char* data, size_t bytes)
{
    int error = 0;
    if (pa_simple_write(m_Stream.get(), data, bytes, &error) < 0) {
        m_Error = pa_strerror(error);
        return false;
    }
    int64_t buffered = MeasureBuffered();
    m_Clock.AddWritten(static_cast<int64_t>(bytes) / m_FrameBytes, buffered, PlayClock::Clock::now());
    return buffered >= 0;
}

void PulseOutput::Drain(int64_t tailFrames)
{
    if (tailFrames <= 0) {
        pa_simple_drain(m_Stream.get(), nullptr);
        m_Clock.Drained();
        return;
    }
    // Waits until no more than the tail is left to hear; the tail plays on while the caller goes on.
    for (int rounds = 0; rounds < 200; ++rounds) {
        int64_t buffered = MeasureBuffered();
        if (buffered < 0)
            return;
        m_Clock.SetBuffered(buffered, PlayClock::Clock::now());
        if (buffered <= tailFrames)
            return;
        std::this_thread::sleep_for(std::chrono::microseconds((buffered - tailFrames) * 1000000 / m_Rate));
    }
}

void PulseOutput::Drop()
{
    pa_simple_flush(m_Stream.get(), nullptr);
    m_Clock.Drop(PlayClock::Clock::now());
}
