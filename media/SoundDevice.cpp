#include "media/SoundDevice.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// Decoded sound goes to an output whose writes block in pieces of about 20 ms: short enough that a
// stop or a pause takes effect at once. An output that says how much room it has gets all of it
// in one write, up to half a second, so that the worker wakes seldom.
constexpr int64_t PieceMilliseconds = 20;
constexpr int64_t MostMilliseconds = 500;
// A play that reaches the end of its file reports so when this much is left to hear: an output kept
// for the next file (AudioOutput.h) goes on playing it while the next file is closed, opened and
// started, so that the next file's first sample follows the last one with no silence between them.
// Those steps take a few milliseconds, but tens on a busy machine; this leaves room for them and
// stays well within what the output keeps ahead of the listener (half a second), so the completion
// never runs ahead of the sound by more than that.
constexpr int64_t TailMilliseconds = 200;

} // namespace

SoundDevice::SoundDevice(EndHandler onEnd) : m_OnEnd(std::move(onEnd))
{
}

SoundDevice::~SoundDevice()
{
    if (!m_Worker.joinable())
        return;
    Send(Command::Quit);
    m_Worker.join();
}

SoundDevice::OpenResult SoundDevice::Open(const std::string& posixPath)
{
    OpenResult result = m_Decoder.Open(posixPath);
    if (result != OpenResult::Ok)
        return result;
    m_MediaName = posixPath.substr(posixPath.find_last_of('/') + 1);
    // The output belongs to the worker from its creation on; the worker reports whether it could
    // start one before Open returns, so that a machine without sound fails here, not later.
    m_Worker = std::thread([this] { Run(); });
    std::unique_lock lock(m_Mutex);
    m_Changed.wait(lock, [this] { return m_StartState != 0; });
    if (m_StartState > 0)
        return OpenResult::Ok;
    lock.unlock();
    m_Worker.join();
    return m_StartFailure == OutputFailure::NotAnswering ? OpenResult::OutputNotAnswering
                                                         : OpenResult::NoOutput;
}

void SoundDevice::Send(Command command, int64_t from, int64_t to, uint64_t ticket)
{
    std::unique_lock lock(m_Mutex);
    m_Command = command;
    m_ArgFrom = from;
    m_ArgTo = to;
    m_ArgTicket = ticket;
    uint64_t serial = ++m_Sent;
    m_Changed.notify_all();
    // A worker waiting for room in the output takes the command at once.
    if (m_Output)
        m_Output->Interrupt();
    m_Changed.wait(lock, [&] { return m_Done >= serial; });
}

void SoundDevice::Play(int64_t from, int64_t to, uint64_t ticket)
{
    Send(Command::Play, from, to, ticket);
}

void SoundDevice::Pause()
{
    Send(Command::Pause);
}

void SoundDevice::Resume(uint64_t ticket)
{
    Send(Command::Resume, -1, -1, ticket);
}

void SoundDevice::Stop()
{
    Send(Command::Stop);
}

void SoundDevice::Seek(int64_t frame)
{
    Send(Command::Seek, frame);
}

void SoundDevice::MoveTo(int64_t frame)
{
    Send(Command::Move, frame);
}

void SoundDevice::WaitWhilePlaying()
{
    std::unique_lock lock(m_Mutex);
    m_Changed.wait(lock, [this] { return m_Mode.load() != Mode::Playing; });
}

int64_t SoundDevice::PositionFrames() const
{
    int64_t stoppedAt = m_StoppedAt.load();
    if (stoppedAt >= 0 && m_Mode.load() == Mode::Stopped)
        return stoppedAt;
    return std::min(m_Output->Heard(), LengthFrames());
}

void SoundDevice::Run()
{
    OutputFailure failure = OutputFailure::None;
    std::unique_ptr<AudioOutput> previous;
    std::unique_ptr<AudioOutput> output =
        AcquireAudioOutput(m_Decoder.Rate(), m_Decoder.Channels(), &failure, &previous);
    PlayOut(std::move(previous));
    bool started = output != nullptr;
    if (started)
        output->SetMediaName(m_MediaName);
    {
        std::lock_guard lock(m_Mutex);
        if (started)
            m_Output = std::move(output);
        m_StartState = started ? 1 : -1;
        m_StartFailure = failure;
    }
    m_Changed.notify_all();
    if (!started) {
        WaitPlayedOut();
        return;
    }
    m_Output->Clock().Restart(0);
    std::vector<unsigned char> buffer(
        static_cast<size_t>(m_Decoder.Rate() * MostMilliseconds / 1000 * m_Decoder.FrameBytes()));
    for (;;) {
        Command command = Command::None;
        if (!WaitForWork(command))
            break;
        if (command == Command::None)
            PlayChunk(buffer);
    }
    ReleaseAudioOutput(std::move(m_Output));
    WaitPlayedOut();
}

void SoundDevice::WaitPlayedOut()
{
    if (m_PlayingOut.joinable())
        m_PlayingOut.join();
}

// The last device's output, of another format, plays out its last sound on a thread of its own
// while this device's output connects: the user interface does not wait for that end, and the
// new connection costs no silence. Nothing is written to the new output before the old one has
// ended, so the two files never sound together.
void SoundDevice::PlayOut(std::unique_ptr<AudioOutput> previous)
{
    if (!previous)
        return;
    m_PlayedOut = false;
    m_PlayingOut = std::jthread([this, previous = std::move(previous)]() mutable {
        previous.reset();
        {
            std::lock_guard lock(m_Mutex);
            m_PlayedOut = true;
        }
        m_Changed.notify_all();
    });
}

// Takes the next command, answering it, or returns with None when the device should play on.
// False when the device is to end.
bool SoundDevice::WaitForWork(Command& command)
{
    std::unique_lock lock(m_Mutex);
    m_Changed.wait(lock,
                   [this] { return m_Done < m_Sent || (m_Mode.load() == Mode::Playing && m_PlayedOut); });
    if (m_Done == m_Sent) {
        command = Command::None;
        return true;
    }
    command = m_Command;
    Execute(command);
    m_Done = m_Sent;
    m_Changed.notify_all();
    return command != Command::Quit;
}

void SoundDevice::Execute(Command command)
{
    Mode mode = m_Mode.load();
    switch (command) {
    case Command::Play:
        StartPlay();
        return;
    case Command::Pause:
        if (mode != Mode::Playing)
            return;
        StopAtHeard();
        m_Mode = Mode::Paused;
        return;
    case Command::Resume:
        if (mode != Mode::Paused)
            return;
        m_Ticket = m_ArgTicket;
        m_Mode = Mode::Playing;
        return;
    case Command::Stop:
    case Command::Quit:
        StopAtHeard();
        return;
    case Command::Seek:
    case Command::Move:
        StopAtHeard();
        m_StoppedAt = -1;
        m_Decoder.SeekFrame(m_ArgFrom);
        m_Output->Clock().Restart(m_ArgFrom);
        if (command == Command::Move && mode != Mode::Stopped)
            m_Mode = mode;
        return;
    case Command::None:
        return;
    }
}

void SoundDevice::StartPlay()
{
    if (m_OutputFailed)
        RenewOutput();
    if (m_ArgFrom >= 0) {
        StopAtHeard();
        m_StoppedAt = -1;
        m_Decoder.SeekFrame(m_ArgFrom);
        m_Output->Clock().Restart(m_ArgFrom);
    }
    m_PlayTo = m_ArgTo >= 0 ? std::min(m_ArgTo, LengthFrames()) : LengthFrames();
    m_Ticket = m_ArgTicket;
    // A play that starts at (or past) its end finds nothing to decode and ends at once, reported by
    // the worker like any other end.
    m_Mode = Mode::Playing;
}

// The output failed during an earlier play: a new one (a new connection to the sound server) takes
// over from the frame where the old one stopped. Runs while the UI thread waits for the command,
// which costs it at most the output's limit. Without a new output the play fails at its start.
void SoundDevice::RenewOutput()
{
    std::unique_ptr<AudioOutput> fresh = AcquireAudioOutput(m_Decoder.Rate(), m_Decoder.Channels());
    if (!fresh)
        return;
    fresh->Clock().Restart(m_Output->Clock().Written());
    // Not reusable: the failed output closes here without waiting.
    ReleaseAudioOutput(std::exchange(m_Output, std::move(fresh)));
    m_OutputFailed = false;
}

// Silences the output now and keeps the decoder at the frame the listener reached, so that the next
// play neither skips nor repeats what was buffered.
void SoundDevice::StopAtHeard()
{
    Mode mode = m_Mode.load();
    m_Mode = Mode::Stopped;
    if (mode == Mode::Stopped)
        return;
    m_Output->Drop();
    int64_t heard = m_Output->Heard();
    m_Decoder.SeekFrame(heard);
    m_Output->Clock().Restart(heard);
}

void SoundDevice::PlayChunk(std::vector<unsigned char>& buffer)
{
    if (m_OutputFailed) {
        Finish(true);
        return;
    }
    int64_t left = m_PlayTo - m_Output->Clock().Written();
    size_t capacity = std::min<int64_t>(buffer.size(), std::max<int64_t>(left, 0) * FrameBytes());
    if (capacity == 0) {
        FinishWhenHeard();
        return;
    }
    // Waiting for room happens before decoding, so that a command cuts it short and no decoded
    // sound is left over.
    size_t piece = static_cast<size_t>(m_Decoder.Rate() * PieceMilliseconds / 1000 * FrameBytes());
    size_t room = m_Output->WaitForRoom(std::min(capacity, piece));
    if (room == 0)
        return;
    capacity = std::min(capacity, room);
    bool failed = false;
    size_t bytes = m_Decoder.Read(buffer.data(), capacity, &failed);
    if (bytes == 0) {
        if (failed)
            Finish(true);
        else
            FinishWhenHeard();
        return;
    }
    if (!m_Output->Write(buffer.data(), bytes))
        OutputFailed();
}

// The output failed: the play ends as failed at what the listener heard, and the decoder goes back
// there, so that a later play on a fresh output goes on from that frame.
void SoundDevice::OutputFailed()
{
    m_OutputFailed = true;
    int64_t heard = m_Output->Heard();
    m_Decoder.SeekFrame(heard);
    m_Output->Clock().Restart(heard);
    Finish(true);
}

// The play has written its last frame: it ends once the listener has heard all but the tail, or
// goes on with whatever command comes first.
void SoundDevice::FinishWhenHeard()
{
    PlayClock::Clock::duration wait = m_Output->TimeToTail(m_Decoder.Rate() * TailMilliseconds / 1000);
    if (wait <= PlayClock::Clock::duration::zero()) {
        Finish(false);
        return;
    }
    std::unique_lock lock(m_Mutex);
    m_Changed.wait_for(lock, wait, [this] { return m_Done < m_Sent; });
}

void SoundDevice::Finish(bool failed)
{
    {
        std::lock_guard lock(m_Mutex);
        m_StoppedAt = failed ? m_Output->Heard() : m_PlayTo;
        m_Mode = Mode::Stopped;
    }
    m_Changed.notify_all();
    m_OnEnd(m_Ticket, failed);
}
