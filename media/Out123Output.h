#pragma once
// Basic idea: sound output through libout123's modules (alsa, jack, oss...), used when a module is
// named (QUELMO_AUDIO_OUTPUT) or when no sound server is there at all. Used by one device's worker
// thread at a time, like every output.

#include "media/AudioOutput.h"

#include <memory>
#include <out123.h>
#include <string>

// The device buffer asked of out123's modules; the position assumes that they keep it.
constexpr double DeviceBufferSeconds = 0.1;

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

    // AudioOutput's contracts. Start fails when libout123 cannot open the module or device or take
    // the format (ErrorText says why); Write, when the module took less than all. Nothing throws.
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
