#include "media/AudioOutput.h"

#include "media/PulseOutput.h"

#include <cstdlib>
#include <mutex>
#include <out123.h>
#include <thread>

namespace {

// The null output keeps this much sound "in the card", like a small hardware buffer.
constexpr double NullBufferSeconds = 0.04;
// The device buffer asked of out123's modules; the position assumes that they keep it.
constexpr double DeviceBufferSeconds = 0.1;
// Tried in turn when no sound server is there. PortAudio is not among them: its module was seen to
// crash the process inside its own library when the sound server misbehaved.
constexpr const char* FallbackModules = "alsa,jack,oss";

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
        m_Channels = channels;
        m_Clock.Reset(rate,
                      m_Paced ? static_cast<int64_t>(static_cast<double>(rate) * NullBufferSeconds) : 0);
        return true;
    }

    bool Write(unsigned char*, size_t bytes) override
    {
        int64_t frames = static_cast<int64_t>(bytes) / (int64_t{m_Channels} * 2);
        if (m_Paced)
            std::this_thread::sleep_for(m_Clock.WaitForRoom(frames, PlayClock::Clock::now()));
        m_Clock.AddWritten(frames, PlayClock::Clock::now());
        return true;
    }

    PlayClock::Clock::duration TimeToTail(int64_t) override
    {
        // All of it is heard before the end is reported, like a sound card drained to the end.
        int64_t buffered = m_Clock.Buffered(PlayClock::Clock::now());
        if (m_Paced && buffered > 0)
            return std::chrono::microseconds(buffered * 1000000 / m_Rate + 1);
        m_Clock.Drained();
        return PlayClock::Clock::duration::zero();
    }

    void Drop() override { m_Clock.Drop(PlayClock::Clock::now()); }

private:
    bool m_Paced;
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

    ~Out123Output() override
    {
        if (m_Handle)
            out123_drain(m_Handle.get());
    }

    bool Start(long rate, int channels) override
    {
        m_Rate = rate;
        m_Channels = channels;
        m_Handle.reset(out123_new());
        if (!m_Handle)
            return false;
        out123_handle* ao = m_Handle.get();
        out123_param_int(ao, OUT123_ADD_FLAGS, OUT123_QUIET);
        out123_param_float(ao, OUT123_DEVICEBUFFER, DeviceBufferSeconds);
        out123_param_string(ao, OUT123_NAME, "Quelmo");
        const char* module = m_Module.empty() ? nullptr : m_Module.c_str();
        const char* device = m_Device.empty() ? nullptr : m_Device.c_str();
        if (out123_open(ao, module, device) != 0 ||
            out123_start(ao, rate, channels, MPG123_ENC_SIGNED_16) != 0)
            return false;
        m_Clock.Reset(rate, static_cast<int64_t>(static_cast<double>(rate) * DeviceBufferSeconds));
        return true;
    }

    bool Write(unsigned char* data, size_t bytes) override
    {
        size_t played = out123_play(m_Handle.get(), data, bytes);
        m_Clock.AddWritten(static_cast<int64_t>(played) / (int64_t{m_Channels} * 2), PlayClock::Clock::now());
        return played == bytes;
    }

    PlayClock::Clock::duration TimeToTail(int64_t) override
    {
        out123_drain(m_Handle.get());
        m_Clock.Drained();
        return PlayClock::Clock::duration::zero();
    }

    void Drop() override
    {
        out123_drop(m_Handle.get());
        m_Clock.Drop(PlayClock::Clock::now());
    }

    std::string ErrorText() const override
    {
        const char* text = m_Handle ? out123_strerror(m_Handle.get()) : "out of memory";
        return text != nullptr ? text : "";
    }

private:
    std::string m_Module;
    std::string m_Device;
    std::unique_ptr<out123_handle, Out123Deleter> m_Handle;
};

std::unique_ptr<AudioOutput> StartNew(long rate, int channels, OutputFailure& failure)
{
    std::string module = Environment("QUELMO_AUDIO_OUTPUT");
    std::string device = Environment("QUELMO_AUDIO_DEVICE");
    std::unique_ptr<AudioOutput> output;
    if (module == "null")
        output = std::make_unique<NullOutput>(device != "unpaced");
    else if (module.empty() || module == "pulse")
        output = std::make_unique<PulseOutput>(device);
    else
        output = std::make_unique<Out123Output>(module, device);
    if (output->Start(rate, channels))
        return output;
    failure = output->NotAnswering() ? OutputFailure::NotAnswering : OutputFailure::NoOutput;
    // The machine's other outputs only when no server is there at all: a server that is there and
    // slow would keep ALSA's default device (often that same server) waiting as long again. out123's
    // modules that open on a machine without any sound and then never take the sound (openal) or
    // only write files are left out, so that such a machine gets a clear failure instead of a hang.
    if (!module.empty() || !output->NoServer())
        return nullptr;
    output = std::make_unique<Out123Output>(FallbackModules, "");
    if (!output->Start(rate, channels))
        return nullptr;
    failure = OutputFailure::None;
    return output;
}

// The output kept from the last device, with the choice of output it was made under.
struct Kept
{
    std::mutex Mutex;
    std::unique_ptr<AudioOutput> Output;
    std::string Module;
    std::string Device;
};

// Never destroyed: a device still open at exit gives its output back while the process's statics
// are being destroyed.
Kept& KeptOutput()
{
    static Kept* kept = new Kept;
    return *kept;
}

} // namespace

std::unique_ptr<AudioOutput> AcquireAudioOutput(long rate, int channels, OutputFailure* failure)
{
    OutputFailure unused = OutputFailure::None;
    OutputFailure& why = failure != nullptr ? *failure : unused;
    why = OutputFailure::None;
    std::unique_ptr<AudioOutput> old;
    bool fits = false;
    {
        Kept& kept = KeptOutput();
        std::lock_guard lock(kept.Mutex);
        old = std::move(kept.Output);
        fits = old && old->Rate() == rate && old->Channels() == channels &&
               kept.Module == Environment("QUELMO_AUDIO_OUTPUT") &&
               kept.Device == Environment("QUELMO_AUDIO_DEVICE");
    }
    // A kept stream serves again only if its server still answers. One that went away (killed,
    // restarted) is replaced by a new connection; one that is there and silent would keep a new
    // connection waiting just as long, so the open fails at once.
    if (old && !old->Answers()) {
        bool silent = old->NotAnswering();
        old.reset();
        if (silent) {
            why = OutputFailure::NotAnswering;
            return nullptr;
        }
    }
    if (old && fits) {
        old->Clock().Restart(0);
        return old;
    }
    old.reset(); // plays out what it holds, then closes
    return StartNew(rate, channels, why);
}

void ReleaseAudioOutput(std::unique_ptr<AudioOutput> output)
{
    if (!output || !output->Reusable())
        return;
    std::unique_ptr<AudioOutput> replaced;
    Kept& kept = KeptOutput();
    std::lock_guard lock(kept.Mutex);
    replaced = std::move(kept.Output);
    kept.Output = std::move(output);
    kept.Module = Environment("QUELMO_AUDIO_OUTPUT");
    kept.Device = Environment("QUELMO_AUDIO_DEVICE");
}
