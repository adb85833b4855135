#pragma once
// Basic idea: the null sound output, for tests and benchmarks (QUELMO_AUDIO_OUTPUT=null). It plays
// nothing; paced, it takes the sound at the speed a sound card would, keeping a small "card"
// buffer, so that positions and ends behave as with real sound; unpaced, it takes everything at once.
// Used by one device's worker thread at a time, like every output.

#include "media/AudioOutput.h"

#include <chrono>
#include <cstdint>
#include <thread>

// The null output keeps this much sound "in the card", like a small hardware buffer.
constexpr double NullBufferSeconds = 0.04;

class NullOutput : public AudioOutput
{
public:
    explicit NullOutput(bool paced) : m_Paced(paced) {}

    // AudioOutput's contracts; Start and Write never fail, and Start comes first. Nothing throws.
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
