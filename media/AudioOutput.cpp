#include "media/AudioOutput.h"

#include "media/NullOutput.h"
#include "media/Out123Output.h"
#include "media/PulseOutput.h"

#include <cstdlib>
#include <mutex>
#include <thread>

namespace {

// Tried in turn when no sound server is there. PortAudio is not among them: its module was seen to
// crash the process inside its own library when the sound server misbehaved.
constexpr const char* FallbackModules = "alsa,jack,oss";

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

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

std::unique_ptr<AudioOutput> AcquireAudioOutput(long rate, int channels, OutputFailure* failure,
                                                std::unique_ptr<AudioOutput>* playingOut)
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
    if (playingOut != nullptr)
        *playingOut = std::move(old);
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
