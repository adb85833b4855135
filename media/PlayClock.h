#pragma once
// Basic idea: the position that the listener hears, kept by the output that plays the sound. The
// output's worker thread reports what it writes and, when the output can tell, how much is still
// buffered; between reports the buffer is taken to drain at the sound's rate, unless the output
// holds it back. The UI thread reads
// the position at any time. Thread-safe.

#include <chrono>
#include <cstdint>
#include <mutex>

class PlayClock
{
public:
    using Clock = std::chrono::steady_clock;

    // Starts a stream of this rate; capacityFrames is the buffer that a blocking write keeps full
    // (0 when the output reports its buffer itself, or takes sound as fast as it comes). A rate
    // that is not positive counts as 44100, as does Rate() before the first Reset. Throw nothing.
    void Reset(long rate, int64_t capacityFrames);
    long Rate() const;
    // The position of the last frame written (from the start of the file). Throws nothing.
    int64_t Written() const;
    // The position of the last frame heard; never before the frame the clock counts from (0, or
    // the one given to Restart), since the sound still buffered from before that is not this
    // stream's. Throw nothing.
    int64_t Heard() const { return Heard(Clock::now()); }
    int64_t Heard(Clock::time_point now) const;
    // Frames written and not yet heard at `now`; never negative. Throws nothing.
    int64_t Buffered(Clock::time_point now) const;
    // How long until `frames` more fit into the buffer (zero when they fit now). Throws nothing.
    Clock::duration WaitForRoom(int64_t frames, Clock::time_point now) const;
    // Frames handed over; the buffer grows by them, up to its capacity. Throws nothing.
    void AddWritten(int64_t frames, Clock::time_point now);
    // Frames handed over, and the output's own measure of what it now holds (below 0 counts as 0).
    // Throws nothing.
    void AddWritten(int64_t frames, int64_t buffered, Clock::time_point now);
    // The output's own measure of what it holds, taken while it plays: ends a hold. Throws nothing.
    void SetBuffered(int64_t buffered, Clock::time_point now);
    // The output holds its sound back (nothing is heard): the buffer stops draining until the next
    // measure. Throws nothing.
    void Hold(Clock::time_point now);
    // The buffer was emptied without being heard; returns the frames discarded (0 or more, never
    // more than were written since the frame the clock counts from), which no longer count as
    // written. Throws nothing.
    int64_t Drop(Clock::time_point now);
    // Everything written has been heard. Throws nothing.
    void Drained();
    // Counts from `frame` (after a seek or a drop), with an empty buffer: what is measured as
    // buffered from here includes sound written before, which plays first. Throws nothing.
    void Restart(int64_t frame);

private:
    mutable std::mutex m_Mutex;
    long m_Rate = 44100;
    int64_t m_Capacity = 0;
    int64_t m_Written = 0;
    int64_t m_From = 0;
    int64_t m_BufferedAtStamp = 0;
    Clock::time_point m_Stamp;
    bool m_Held = false;

    int64_t BufferedLocked(Clock::time_point now) const;
};
