// The model of an output's buffer that gives the heard position: fills with writes, drains in real
// time, discards on a drop, and follows the output's own measure when it has one.

#include "media/PlayClock.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

struct ClockStep
{
    const char* What;
    std::chrono::milliseconds At; // time of the step from the start
    int64_t Write;                // frames written at that time (0: none)
    int64_t Measured;             // the output's measure of its buffer (-1: none)
    bool Drop;
    int64_t Heard;   // expected heard position after the step
    int64_t Written; // expected written position after the step
};

// 1000 frames per second, so frames read as milliseconds; a buffer of 100.
const ClockStep Steps[] = {
    {"first write fills the buffer", 0ms, 60, -1, false, 0, 60},
    {"half of it heard", 30ms, 0, -1, false, 30, 60},
    {"a write beyond the capacity blocks until it fits", 30ms, 100, -1, false, 60, 160},
    {"the buffer drains in real time", 80ms, 0, -1, false, 110, 160},
    {"a drop discards what was not heard", 80ms, 0, -1, true, 110, 110},
    {"nothing buffered after a drop", 200ms, 0, -1, false, 110, 110},
    {"a measured buffer replaces the model", 200ms, 50, 40, false, 120, 160},
    {"and drains from the measure on", 220ms, 0, -1, false, 140, 160},
    {"everything heard at last", 400ms, 0, -1, false, 160, 160},
};

TEST(PlayClock, FollowsWritesDrainsAndDrops)
{
    PlayClock clock;
    clock.Reset(1000, 100);
    auto start = PlayClock::Clock::now();
    for (const ClockStep& step : Steps) {
        auto now = start + step.At;
        if (step.Write > 0 && step.Measured >= 0)
            clock.AddWritten(step.Write, step.Measured, now);
        else if (step.Write > 0)
            clock.AddWritten(step.Write, now);
        if (step.Drop)
            clock.Drop(now);
        EXPECT_EQ(clock.Heard(now), step.Heard) << step.What;
        EXPECT_EQ(clock.Written(), step.Written) << step.What;
    }
}

TEST(PlayClock, WaitForRoomIsTheTimeUntilTheFramesFit)
{
    PlayClock clock;
    clock.Reset(1000, 40);
    auto start = PlayClock::Clock::now();
    EXPECT_EQ(clock.WaitForRoom(40, start), PlayClock::Clock::duration::zero());
    clock.AddWritten(40, start);
    EXPECT_EQ(clock.WaitForRoom(20, start), std::chrono::duration_cast<PlayClock::Clock::duration>(20ms));
    EXPECT_EQ(clock.WaitForRoom(20, start + 20ms), PlayClock::Clock::duration::zero());
    clock.Restart(500);
    EXPECT_EQ(clock.Heard(start + 20ms), 500);
}

// An output that holds its sound back (nothing is playing yet) keeps the position where it is until
// its next measure, however long that takes.
TEST(PlayClock, HeldBufferDoesNotDrainUntilMeasured)
{
    PlayClock clock;
    clock.Reset(1000, 0);
    auto start = PlayClock::Clock::now();
    clock.Restart(500);
    clock.Hold(start);
    clock.AddWritten(300, 300, start);
    EXPECT_EQ(clock.Heard(start + 1s), 500);
    clock.SetBuffered(280, start + 1s);
    EXPECT_EQ(clock.Heard(start + 1s), 520);
    EXPECT_EQ(clock.Heard(start + 1s + 100ms), 620);
}

} // namespace
