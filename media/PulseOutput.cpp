#include "media/PulseOutput.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <pulse/pulseaudio.h>
#include <set>

namespace {

// The sound kept ahead of the listener, the server's part included. The server asks for more in
// pieces of RequestMilliseconds, so few wakeups; a stop or a pause still falls silent at once, as
// the server discards what it holds and has not played.
constexpr int LatencyMilliseconds = 500;
constexpr int RequestMilliseconds = 100;
// Playback starts (after an open, a drop or an underrun) as soon as this much has arrived.
constexpr int StartMilliseconds = 20;
// How long any wait on the server may last. A server that answers does so in milliseconds; one that
// is stopped or hung would otherwise keep the player waiting for libpulse's own limit of 30 s.
constexpr auto AnswerLimit = std::chrono::seconds(2);
// A stream that has had nothing to play for this long (stopped, paused, or kept after the last
// file) is corked: the server may then suspend its sink, which saves power and frees the device
// for other programs. The next write uncorks it.
constexpr auto IdleLimit = std::chrono::seconds(3);

void SignalLoop(void* loop)
{
    pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
}

void SignalOnTime(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* loop)
{
    SignalLoop(loop);
}

// The connection failed because nothing listens where the server should be (no socket, or one
// left behind by a server that has gone), as opposed to a server that is there and refuses.
bool NothingListens(int error)
{
    return error == PA_ERR_CONNECTIONREFUSED || error == PA_ERR_INVALIDSERVER;
}

PlayClock::Clock::time_point DeadlineFromNow()
{
    return PlayClock::Clock::now() + AnswerLimit;
}

// A request to the server, released once its answer is no longer wanted (or waited for).
struct OperationFree
{
    void operator()(pa_operation* operation) const { pa_operation_unref(operation); }
};
using Operation = std::unique_ptr<pa_operation, OperationFree>;

// Holds the loop's lock for a scope: the loop's thread runs no callback meanwhile.
class LoopLock
{
public:
    explicit LoopLock(pa_threaded_mainloop* loop) : m_Loop(loop) { pa_threaded_mainloop_lock(m_Loop); }
    ~LoopLock() { pa_threaded_mainloop_unlock(m_Loop); }
    LoopLock(const LoopLock&) = delete;
    LoopLock& operator=(const LoopLock&) = delete;

private:
    pa_threaded_mainloop* m_Loop;
};

// Sends a request whose answer nothing waits for.
void Forget(pa_operation* operation)
{
    Operation released(operation);
}

// The streams that play, for a volume set from outside. Its lock is taken before a stream's loop
// lock, never while one is held.
struct LiveStreams
{
    std::mutex Mutex;
    std::set<PulseOutput*> Outputs;
};
LiveStreams& Live()
{
    static auto* live = new LiveStreams;
    return *live;
}
// The volume the user set in this run (-1: none, the server's own choice stands), and the one the
// server last reported for a stream of ours (-1: none yet).
std::atomic<double> RequestedVolume{-1};
std::atomic<double> ReportedVolume{-1};

} // namespace

void PulseLoopFree::operator()(pa_threaded_mainloop* loop) const
{
    pa_threaded_mainloop_stop(loop);
    pa_threaded_mainloop_free(loop);
}

void PulseContextFree::operator()(pa_context* context) const
{
    pa_context_set_state_callback(context, nullptr, nullptr);
    pa_context_disconnect(context);
    pa_context_unref(context);
}

void PulseStreamFree::operator()(pa_stream* stream) const
{
    pa_stream_set_state_callback(stream, nullptr, nullptr);
    pa_stream_set_write_callback(stream, nullptr, nullptr);
    pa_stream_disconnect(stream);
    pa_stream_unref(stream);
}

PulseOutput::PulseOutput(std::string device) : m_Device(std::move(device))
{
}

PulseOutput::~PulseOutput()
{
    {
        std::lock_guard live(Live().Mutex);
        Live().Outputs.erase(this);
    }
    if (m_Loop == nullptr)
        return;
    LoopLock lock(m_Loop.get());
    // Whatever is still queued (the end of a file) plays out before the stream goes, unless the
    // server is gone or silent.
    if (m_Stream != nullptr && !m_Broken && !m_Corked && StreamWorks())
        Drain();
    m_Stream.reset();
    for (pa_time_event* timer : {m_Timer, m_IdleTimer})
        if (timer != nullptr)
            pa_threaded_mainloop_get_api(m_Loop.get())->time_free(timer);
    m_Context.reset();
}

std::string PulseOutput::ContextError() const
{
    return pa_strerror(m_Context != nullptr ? pa_context_errno(m_Context.get()) : PA_ERR_INTERNAL);
}

bool PulseOutput::StreamWorks() const
{
    return pa_context_get_state(m_Context.get()) == PA_CONTEXT_READY &&
           pa_stream_get_state(m_Stream.get()) == PA_STREAM_READY;
}

void PulseOutput::Fail(std::string error)
{
    m_Broken = true;
    m_Error = std::move(error);
}

// With the loop locked: waits for the loop's next signal, at most until the deadline. False once
// the deadline has passed; the caller gives up.
bool PulseOutput::WaitUntil(PlayClock::Clock::time_point deadline)
{
    auto left = deadline - PlayClock::Clock::now();
    if (left <= PlayClock::Clock::duration::zero())
        return false;
    pa_usec_t at =
        pa_rtclock_now() +
        static_cast<pa_usec_t>(std::chrono::duration_cast<std::chrono::microseconds>(left).count());
    if (m_Timer == nullptr)
        m_Timer = pa_context_rttime_new(m_Context.get(), at, SignalOnTime, m_Loop.get());
    else
        pa_context_rttime_restart(m_Context.get(), m_Timer, at);
    if (m_Timer == nullptr)
        return false;
    pa_threaded_mainloop_wait(m_Loop.get());
    return true;
}

bool PulseOutput::Start(long rate, int channels)
{
    m_Rate = rate;
    m_Channels = channels;
    m_FrameBytes = channels * 2;
    m_Loop.reset(pa_threaded_mainloop_new());
    if (m_Loop == nullptr) {
        m_Error = "out of memory";
        return false;
    }
    m_Context.reset(pa_context_new(pa_threaded_mainloop_get_api(m_Loop.get()), "Quelmo"));
    if (m_Context == nullptr) {
        m_Error = "out of memory";
        return false;
    }
    pa_context_set_state_callback(
        m_Context.get(), [](pa_context*, void* loop) { SignalLoop(loop); }, m_Loop.get());
    if (pa_context_connect(m_Context.get(), nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0 ||
        pa_threaded_mainloop_start(m_Loop.get()) < 0) {
        m_Error = ContextError();
        m_NoServer = NothingListens(pa_context_errno(m_Context.get()));
        return false;
    }
    m_Clock.Reset(rate, 0);
    {
        LoopLock lock(m_Loop.get());
        if (!Connect(rate, channels))
            return false;
        FollowVolume();
    }
    std::lock_guard live(Live().Mutex);
    Live().Outputs.insert(this);
    return true;
}

// With the loop locked, once the stream is ready: gives it the volume the user set, or learns the
// server's, and follows the changes the server reports (the desktop's sound settings).
void PulseOutput::FollowVolume()
{
    m_Index = pa_stream_get_index(m_Stream.get());
    pa_context_set_subscribe_callback(
        m_Context.get(),
        [](pa_context*, pa_subscription_event_type_t event, uint32_t index, void* self) {
            auto* output = static_cast<PulseOutput*>(self);
            if ((event & PA_SUBSCRIPTION_EVENT_FACILITY_MASK) == PA_SUBSCRIPTION_EVENT_SINK_INPUT &&
                (event & PA_SUBSCRIPTION_EVENT_TYPE_MASK) == PA_SUBSCRIPTION_EVENT_CHANGE &&
                index == output->m_Index)
                output->AskVolume();
        },
        this);
    Forget(pa_context_subscribe(m_Context.get(), PA_SUBSCRIPTION_MASK_SINK_INPUT, nullptr, nullptr));
    const double requested = RequestedVolume.load();
    if (requested >= 0) {
        pa_cvolume volume;
        pa_cvolume_set(&volume, static_cast<unsigned>(m_Channels), pa_sw_volume_from_linear(requested));
        Forget(pa_context_set_sink_input_volume(m_Context.get(), m_Index, &volume, nullptr, nullptr));
    }
    AskVolume();
}

// With the loop locked (or on its thread): asks the server for the stream's volume, kept once it
// answers.
void PulseOutput::AskVolume()
{
    Forget(pa_context_get_sink_input_info(
        m_Context.get(), m_Index,
        [](pa_context*, const pa_sink_input_info* info, int end, void*) {
            if (end == 0 && info != nullptr && info->has_volume != 0)
                ReportedVolume = pa_sw_volume_to_linear(pa_cvolume_avg(&info->volume));
        },
        nullptr));
}

void PulseOutput::ApplyVolume(double volume)
{
    LoopLock lock(m_Loop.get());
    if (m_Broken || m_Index == static_cast<uint32_t>(-1))
        return;
    pa_cvolume levels;
    pa_cvolume_set(&levels, static_cast<unsigned>(m_Channels), pa_sw_volume_from_linear(volume));
    Forget(pa_context_set_sink_input_volume(m_Context.get(), m_Index, &levels, nullptr, nullptr));
}

double OutputVolume()
{
    const double reported = ReportedVolume.load();
    return reported >= 0 ? reported : 1.0;
}

void SetOutputVolume(double volume)
{
    volume = std::clamp(volume, 0.0, 1.0);
    std::lock_guard live(Live().Mutex);
    RequestedVolume = volume;
    ReportedVolume = volume;
    for (PulseOutput* output : Live().Outputs)
        output->ApplyVolume(volume);
}

// With the loop locked: waits until `ready` holds (the context or the stream is set up), within the
// deadline. Fails with the server's error once `broken` holds (the state can no longer get there),
// and as not answering when the deadline passes first.
template <typename Ready, typename Broken>
bool PulseOutput::AwaitReady(PlayClock::Clock::time_point deadline, Ready ready, Broken broken)
{
    while (!ready()) {
        if (broken()) {
            m_Error = ContextError();
            return false;
        }
        if (!WaitUntil(deadline)) {
            m_Error = "the sound server did not answer";
            m_NotAnswering = true;
            return false;
        }
    }
    return true;
}

// With the loop locked: waits for the server, then opens the stream and waits until it plays; both
// within one limit.
bool PulseOutput::Connect(long rate, int channels)
{
    auto deadline = DeadlineFromNow();
    const bool contextReady = AwaitReady(
        deadline, [this] { return pa_context_get_state(m_Context.get()) == PA_CONTEXT_READY; },
        [this] {
            if (PA_CONTEXT_IS_GOOD(pa_context_get_state(m_Context.get())))
                return false;
            m_NoServer = NothingListens(pa_context_errno(m_Context.get()));
            return true;
        });
    if (!contextReady || !OpenStream(rate, channels))
        return false;
    if (!AwaitReady(
            deadline, [this] { return pa_stream_get_state(m_Stream.get()) == PA_STREAM_READY; },
            [this] { return !PA_STREAM_IS_GOOD(pa_stream_get_state(m_Stream.get())); }))
        return false;
    // Nothing is heard until the server starts the stream.
    m_Clock.Hold(PlayClock::Clock::now());
    return true;
}

// With the loop locked: asks the server for a playback stream of this format.
bool PulseOutput::OpenStream(long rate, int channels)
{
    pa_sample_spec sampleFormat{};
    sampleFormat.format = PA_SAMPLE_S16LE;
    sampleFormat.rate = static_cast<uint32_t>(rate);
    sampleFormat.channels = static_cast<uint8_t>(channels);
    // Sound settings show the stream as music of the player, under its icon.
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, "music");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ICON_NAME, "quelmo");
    m_Stream.reset(
        pa_stream_new_with_proplist(m_Context.get(), "Lecture", &sampleFormat, nullptr, properties));
    pa_proplist_free(properties);
    if (m_Stream == nullptr) {
        m_Error = ContextError();
        return false;
    }
    pa_stream_set_state_callback(
        m_Stream.get(), [](pa_stream*, void* loop) { SignalLoop(loop); }, m_Loop.get());
    pa_stream_set_write_callback(
        m_Stream.get(), [](pa_stream*, size_t, void* loop) { SignalLoop(loop); }, m_Loop.get());
    auto bytesFor = [&](int ms) { return static_cast<uint32_t>(rate * ms / 1000 * m_FrameBytes); };
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.tlength = bytesFor(LatencyMilliseconds);
    attr.prebuf = bytesFor(StartMilliseconds);
    attr.minreq = bytesFor(RequestMilliseconds);
    attr.fragsize = static_cast<uint32_t>(-1);
    // The whole latency is asked for (the server splits it between its device and this stream),
    // and the server reports the stream's timing on its own now and then (Measure).
    auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_ADJUST_LATENCY);
    if (pa_stream_connect_playback(m_Stream.get(), m_Device.empty() ? nullptr : m_Device.c_str(), &attr,
                                   flags, nullptr, nullptr) < 0) {
        m_Error = ContextError();
        return false;
    }
    return true;
}

// With the loop locked: asks the server for the stream's timing and waits for its answer, within
// the limit. A server that does not answer in time is as good as gone: the stream fails.
bool PulseOutput::Ask()
{
    if (!StreamWorks()) {
        Fail(ContextError());
        return false;
    }
    Operation ask(pa_stream_update_timing_info(
        m_Stream.get(), [](pa_stream*, int, void* loop) { SignalLoop(loop); }, m_Loop.get()));
    if (ask == nullptr) {
        Fail(ContextError());
        return false;
    }
    auto deadline = DeadlineFromNow();
    while (pa_operation_get_state(ask.get()) == PA_OPERATION_RUNNING && WaitUntil(deadline)) {
    }
    pa_operation_state_t state = pa_operation_get_state(ask.get());
    if (state == PA_OPERATION_RUNNING)
        pa_operation_cancel(ask.get());
    if (state == PA_OPERATION_DONE && StreamWorks())
        return true;
    m_NotAnswering = state == PA_OPERATION_RUNNING;
    Fail(m_NotAnswering ? "the sound server did not answer" : ContextError());
    return false;
}

bool PulseOutput::Answers()
{
    LoopLock lock(m_Loop.get());
    return !m_Broken && Ask();
}

// With the loop locked: lets whatever is still queued play out, within the limit.
void PulseOutput::Drain()
{
    Operation drain(pa_stream_drain(
        m_Stream.get(), [](pa_stream*, int, void* loop) { SignalLoop(loop); }, m_Loop.get()));
    if (drain == nullptr)
        return;
    auto deadline = DeadlineFromNow();
    while (pa_operation_get_state(drain.get()) == PA_OPERATION_RUNNING && WaitUntil(deadline)) {
    }
    if (pa_operation_get_state(drain.get()) == PA_OPERATION_RUNNING)
        pa_operation_cancel(drain.get());
}

// With the loop locked: takes the server's latest timing report into the clock. The report says
// how far the server has read the stream, how much of that its device still holds, and whether it
// goes on reading; the frames written since are counted into it. What is heard is what was read
// less what the device holds, and while the server reads it runs on at the sound's rate from the
// moment of the report. The report is the truth whatever happened meanwhile (a drop, an underrun,
// a start the server did not announce), so no missing event can stop the clock. A report that does
// not yet know of a drop is left out: the clock stands still until the next one.
void PulseOutput::Measure()
{
    const pa_timing_info* report = pa_stream_get_timing_info(m_Stream.get());
    if (report == nullptr || report->read_index_corrupt != 0 || report->write_index_corrupt != 0)
        return;
    const int64_t read = report->read_index / m_FrameBytes;
    const int64_t written = report->write_index / m_FrameBytes;
    const auto now = PlayClock::Clock::now();
    if (report->playing == 0) {
        // The server reads nothing more (not started yet, or run dry): what it has read counts as
        // heard, the device's last sound included.
        m_Clock.SetBuffered(written - read, now);
        m_Clock.Hold(now);
        return;
    }
    const int64_t held = static_cast<int64_t>(report->sink_usec) * m_Rate / 1000000;
    // After an underrun the device first plays out the silence it was given meanwhile; only the
    // frames read since then are the stream's.
    const int64_t sinceUnderrun = report->since_underrun / m_FrameBytes;
    const int64_t silence = std::max<int64_t>(0, held - sinceUnderrun);
    const int64_t heard = read - std::min(held, sinceUnderrun);
    const auto reported = now - std::chrono::microseconds(pa_timeval_age(&report->timestamp));
    m_Clock.SetBuffered(written - heard, reported + std::chrono::microseconds(silence * 1000000 / m_Rate));
}

// Asks the server for a fresh timing report, which Measure reads once it has come.
void PulseOutput::Refresh()
{
    Forget(pa_stream_update_timing_info(m_Stream.get(), nullptr, nullptr));
}

// With the loop locked: waits until `bytes` can be written at once and says how many can (whole
// frames); 0 when a command cut the wait short (if interruptible) or the stream failed. The server
// asks for sound every RequestMilliseconds; when it has asked for none for the whole limit it is
// asked whether it still answers: a sink that is slow to start goes on waiting, a server that is
// stopped or hung fails the stream.
size_t PulseOutput::AwaitRoom(size_t bytes, bool interruptible)
{
    auto deadline = DeadlineFromNow();
    for (;;) {
        if (interruptible && m_Interrupted)
            return 0;
        size_t writable = StreamWorks() ? pa_stream_writable_size(m_Stream.get()) : static_cast<size_t>(-1);
        if (writable == static_cast<size_t>(-1)) {
            Fail(ContextError());
            return 0;
        }
        if (writable >= bytes && writable >= static_cast<size_t>(m_FrameBytes))
            return writable - writable % static_cast<size_t>(m_FrameBytes);
        if (WaitUntil(deadline))
            continue;
        if (!Ask())
            return 0;
        deadline = DeadlineFromNow();
    }
}

size_t PulseOutput::WaitForRoom(size_t bytes)
{
    LoopLock lock(m_Loop.get());
    size_t room = m_Broken ? 0 : AwaitRoom(bytes, true);
    // A failed stream gets its write at once, which reports the failure.
    if (m_Broken)
        room = bytes;
    m_Interrupted = false;
    return room;
}

void PulseOutput::Interrupt()
{
    LoopLock lock(m_Loop.get());
    m_Interrupted = true;
    pa_threaded_mainloop_signal(m_Loop.get(), 0);
}

// With the loop locked: (re)starts the count towards corking an idle stream, from the moment the
// sound written so far will have been heard.
void PulseOutput::ArmIdle()
{
    const int64_t buffered = m_Clock.Buffered(PlayClock::Clock::now());
    const auto wait = std::chrono::duration_cast<std::chrono::microseconds>(IdleLimit).count() +
                      std::max<int64_t>(0, buffered) * 1000000 / m_Rate;
    const pa_usec_t at = pa_rtclock_now() + static_cast<pa_usec_t>(wait);
    if (m_IdleTimer != nullptr) {
        pa_context_rttime_restart(m_Context.get(), m_IdleTimer, at);
        return;
    }
    m_IdleTimer = pa_context_rttime_new(
        m_Context.get(), at,
        [](pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self) {
            static_cast<PulseOutput*>(self)->Sleep();
        },
        this);
}

// On the loop's thread (its lock held): corks the stream once nothing is left to hear.
void PulseOutput::Sleep()
{
    if (m_Broken || m_Corked || !StreamWorks())
        return;
    Measure();
    if (m_Clock.Buffered(PlayClock::Clock::now()) > 0) {
        ArmIdle();
        return;
    }
    Forget(pa_stream_cork(m_Stream.get(), 1, nullptr, nullptr));
    m_Corked = true;
}

// With the loop locked: uncorks a stream corked while idle, before new sound goes to it.
void PulseOutput::Wake()
{
    if (!m_Corked || m_Broken)
        return;
    m_Corked = false;
    Forget(pa_stream_cork(m_Stream.get(), 0, nullptr, nullptr));
}

bool PulseOutput::Write(unsigned char* data, size_t bytes)
{
    LoopLock lock(m_Loop.get());
    Wake();
    size_t done = 0;
    while (done < bytes && !m_Broken) {
        size_t room = AwaitRoom(static_cast<size_t>(m_FrameBytes), false);
        if (room == 0)
            break;
        size_t piece = std::min(room, bytes - done);
        if (pa_stream_write(m_Stream.get(), data + done, piece, nullptr, 0, PA_SEEK_RELATIVE) < 0) {
            Fail(ContextError());
            break;
        }
        done += piece;
        // Counted under the loop's lock, so that a measure taken on another thread sees these
        // frames as written.
        auto now = PlayClock::Clock::now();
        auto frames = static_cast<int64_t>(piece) / m_FrameBytes;
        m_Clock.AddWritten(frames, m_Clock.Buffered(now) + frames, now);
    }
    Measure();
    if (m_Broken)
        return false;
    Refresh();
    ArmIdle();
    return true;
}

PlayClock::Clock::duration PulseOutput::TimeToTail(int64_t tailFrames)
{
    LoopLock lock(m_Loop.get());
    // The end of the sound plays now, however short (the start threshold is not waited for).
    if (!m_Triggered) {
        m_Triggered = true;
        Forget(pa_stream_trigger(m_Stream.get(), nullptr, nullptr));
    }
    Measure();
    Refresh();
    int64_t left = m_Clock.Buffered(PlayClock::Clock::now()) - tailFrames;
    if (left <= 0) {
        m_Triggered = false;
        return PlayClock::Clock::duration::zero();
    }
    return std::chrono::microseconds(left * 1000000 / m_Rate + 1);
}

void PulseOutput::Drop()
{
    LoopLock lock(m_Loop.get());
    Measure();
    const pa_timing_info* before = pa_stream_get_timing_info(m_Stream.get());
    const bool known = before != nullptr && before->write_index_corrupt == 0;
    const int64_t writtenBefore = known ? before->write_index / m_FrameBytes : 0;
    // The server drops what it holds and has not read; what its device has read it plays out (it
    // takes back what it can). So the sound heard ends where the server's reading stood after the
    // drop, which a report asked for after it gives; without one, the clock's own measure counts.
    Forget(pa_stream_flush(m_Stream.get(), nullptr, nullptr));
    if (known && !m_Broken && Ask()) {
        const pa_timing_info* after = pa_stream_get_timing_info(m_Stream.get());
        if (after != nullptr && after->read_index_corrupt == 0)
            m_Clock.SetBuffered(writtenBefore - after->read_index / m_FrameBytes, PlayClock::Clock::now());
    }
    // The clock stands still until the first report on the sound written from here.
    auto now = PlayClock::Clock::now();
    m_Clock.Drop(now);
    m_Clock.Hold(now);
    m_Triggered = false;
    if (!m_Broken)
        ArmIdle();
}

int64_t PulseOutput::Heard()
{
    LoopLock lock(m_Loop.get());
    Measure();
    return m_Clock.Heard();
}

void PulseOutput::SetMediaName(const std::string& name)
{
    if (m_Stream == nullptr)
        return;
    // The server refuses names that are not UTF-8; a file name need not be.
    char* text = pa_utf8_filter(name.c_str());
    LoopLock lock(m_Loop.get());
    Forget(pa_stream_set_name(m_Stream.get(), text, nullptr, nullptr));
    pa_xfree(text);
}
