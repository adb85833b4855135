#include "media/AudioOutput.h"

#include <algorithm>
#include <cstdlib>
#include <out123.h>
#include <thread>

namespace {

// The null output keeps this much sound "in the card", like a small hardware buffer.
constexpr double NullBufferSeconds = 0.04;
// The device buffer asked of out123's modules. Small, so that what is written is soon heard and the
// position model stays close to the listener; pulse and alsa keep it without dropouts.
constexpr double DeviceBufferSeconds = 0.1;

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

class NullOutput : public AudioOutput
{
public:
    explicit NullOutput(bool paced) : m_Paced(paced) {}

    bool Start(long rate, int channels) override
    {
        m_Rate = rate;
        m_FrameBytes = channels * 2;
        m_Clock.Reset(rate, m_Paced ? static_cast<int64_t>(rate * NullBufferSeconds) : 0);
        return true;
    }

    bool Write(unsigned char*, size_t bytes) override
    {
        int64_t frames = static_cast<int64_t>(bytes) / m_FrameBytes;
        if (m_Paced)
            std::this_thread::sleep_for(m_Clock.WaitForRoom(frames, PlayClock::Clock::now()));
        m_Clock.AddWritten(frames, PlayClock::Clock::now());
        return true;
    }

    void Drain() override
    {
        auto now = PlayClock::Clock::now();
        int64_t buffered = m_Clock.Buffered(now);
        if (m_Paced && buffered > 0)
            std::this_thread::sleep_for(std::chrono::microseconds(buffered * 1000000 / m_Rate + 1));
        m_Clock.Drained();
    }

    void Drop() override { m_Clock.Drop(PlayClock::Clock::now()); }

private:
    bool m_Paced;
    long m_Rate = 44100;
    int m_FrameBytes = 4;
};

struct Out123Deleter
{
    void operator()(out123_handle* handle) const { out123_del(handle); }
};

class Out123Output : public AudioOutput
{
public:
    Out123Output(std::string module, std::string device)
        : m_Module(std::move(module)), m_Device(std::move(device))
    {
    }

    bool Start(long rate, int channels) override
    {
        m_FrameBytes = channels * 2;
        m_Handle.reset(out123_new());
        if (!m_Handle)
            return false;
        out123_handle* ao = m_Handle.get();
        out123_param_int(ao, OUT123_ADD_FLAGS, OUT123_QUIET);
        out123_param_float(ao, OUT123_DEVICEBUFFER, DeviceBufferSeconds);
        out123_param_string(ao, OUT123_NAME, "Quelmo");
        const char* module = m_Module.empty() ? nullptr : m_Module.c_str();
        const char* device = m_Device.empty() ? nullptr : m_Device.c_str();
        if (out123_open(ao, module, device) != 0)
            return false;
        if (out123_start(ao, rate, channels, MPG123_ENC_SIGNED_16) != 0)
            return false;
        m_Clock.Reset(rate, static_cast<int64_t>(rate * DeviceBufferSeconds));
        return true;
    }

    bool Write(unsigned char* data, size_t bytes) override
    {
        size_t played = out123_play(m_Handle.get(), data, bytes);
        m_Clock.AddWritten(static_cast<int64_t>(played) / m_FrameBytes, PlayClock::Clock::now());
        return played == bytes;
    }

    void Drain() override
    {
        out123_drain(m_Handle.get());
        m_Clock.Drained();
    }

    void Drop() override
    {
        out123_drop(m_Handle.get());
        m_Clock.Drop(PlayClock::Clock::now());
    }

    std::string ErrorText() const override
    {
        if (!m_Handle)
            return "out of memory";
        const char* text = out123_strerror(m_Handle.get());
        return text != nullptr ? text : "";
    }

private:
    std::string m_Module;
    std::string m_Device;
    std::unique_ptr<out123_handle, Out123Deleter> m_Handle;
    int m_FrameBytes = 4;
};

} // namespace

std::unique_ptr<AudioOutput> CreateAudioOutput()
{
    std::string module = Environment("QUELMO_AUDIO_OUTPUT");
    std::string device = Environment("QUELMO_AUDIO_DEVICE");
    if (module == "null")
        return std::make_unique<NullOutput>(device != "unpaced");
    return std::make_unique<Out123Output>(module, device);
}

void PlayClock::Reset(long rate, int64_t capacityFrames)
{
    std::lock_guard lock(m_Mutex);
    m_Rate = rate > 0 ? rate : 44100;
    m_Capacity = capacityFrames;
    m_Written = 0;
    m_BufferedAtStamp = 0;
    m_Stamp = Clock::now();
}

int64_t PlayClock::Written() const
{
    std::lock_guard lock(m_Mutex);
    return m_Written;
}

int64_t PlayClock::BufferedLocked(Clock::time_point now) const
{
    auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(now - m_Stamp).count();
    int64_t drained = std::max<int64_t>(0, elapsed) * m_Rate / 1000000;
    return std::max<int64_t>(0, m_BufferedAtStamp - drained);
}

int64_t PlayClock::Buffered(Clock::time_point now) const
{
    std::lock_guard lock(m_Mutex);
    return BufferedLocked(now);
}

int64_t PlayClock::Heard(Clock::time_point now) const
{
    std::lock_guard lock(m_Mutex);
    return std::max<int64_t>(0, m_Written - BufferedLocked(now));
}

PlayClock::Clock::duration PlayClock::WaitForRoom(int64_t frames, Clock::time_point now) const
{
    std::lock_guard lock(m_Mutex);
    int64_t excess = BufferedLocked(now) + frames - m_Capacity;
    if (excess <= 0)
        return Clock::duration::zero();
    return std::chrono::microseconds(excess * 1000000 / m_Rate);
}

void PlayClock::AddWritten(int64_t frames, Clock::time_point now)
{
    std::lock_guard lock(m_Mutex);
    // A blocking output returns once the frames fit, so the buffer never holds more than it can.
    m_BufferedAtStamp = std::min(BufferedLocked(now) + frames, std::max(m_Capacity, int64_t{0}));
    m_Written += frames;
    m_Stamp = now;
}

int64_t PlayClock::Drop(Clock::time_point now)
{
    std::lock_guard lock(m_Mutex);
    int64_t dropped = BufferedLocked(now);
    m_Written -= dropped;
    m_BufferedAtStamp = 0;
    m_Stamp = now;
    return dropped;
}

void PlayClock::Drained()
{
    std::lock_guard lock(m_Mutex);
    m_BufferedAtStamp = 0;
    m_Stamp = Clock::now();
}

void PlayClock::Restart(int64_t frame)
{
    std::lock_guard lock(m_Mutex);
    m_Written = frame;
    m_BufferedAtStamp = 0;
    m_Stamp = Clock::now();
}
