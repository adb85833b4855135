#include "media/PlayClock.h"

#include <algorithm>

void PlayClock::Reset(long rate, int64_t capacityFrames)
{
    std::lock_guard lock(m_Mutex);
    m_Rate = rate > 0 ? rate : 44100;
    m_Capacity = std::max<int64_t>(capacityFrames, 0);
    m_Written = 0;
    m_From = 0;
    m_BufferedAtStamp = 0;
    m_Stamp = Clock::now();
    m_Held = false;
}

long PlayClock::Rate() const
{
    std::lock_guard lock(m_Mutex);
    return m_Rate;
}

int64_t PlayClock::Written() const
{
    std::lock_guard lock(m_Mutex);
    return m_Written;
}

int64_t PlayClock::BufferedLocked(Clock::time_point now) const
{
    if (m_Held)
        return m_BufferedAtStamp;
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
    return std::max(m_From, m_Written - BufferedLocked(now));
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
    // A blocking output returns once the frames fit, so its buffer never holds more than it can.
    m_BufferedAtStamp = std::min(BufferedLocked(now) + frames, m_Capacity);
    m_Written += frames;
    m_Stamp = now;
}

void PlayClock::AddWritten(int64_t frames, int64_t buffered, Clock::time_point now)
{
    std::lock_guard lock(m_Mutex);
    m_Written += frames;
    m_BufferedAtStamp = std::max<int64_t>(buffered, 0);
    m_Stamp = now;
}

void PlayClock::SetBuffered(int64_t buffered, Clock::time_point now)
{
    std::lock_guard lock(m_Mutex);
    m_BufferedAtStamp = std::max<int64_t>(buffered, 0);
    m_Stamp = now;
    m_Held = false;
}

void PlayClock::Hold(Clock::time_point now)
{
    std::lock_guard lock(m_Mutex);
    m_BufferedAtStamp = BufferedLocked(now);
    m_Stamp = now;
    m_Held = true;
}

int64_t PlayClock::Drop(Clock::time_point now)
{
    std::lock_guard lock(m_Mutex);
    int64_t dropped = std::max<int64_t>(0, std::min(BufferedLocked(now), m_Written - m_From));
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
    m_From = frame;
    m_BufferedAtStamp = 0;
    m_Stamp = Clock::now();
}
