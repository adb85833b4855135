#include "media/MPlayer.h"

#include "media/MciDevice.h"
#include "platform/components/Application.h"
#include "platform/services/Exceptions.h"
#include "texts/French.h"

using namespace Mci;

namespace {

const char* const DeviceTypeNames[] = {"",        "AVIVideo",  "CDAudio",  "DAT",     "DigitalVideo",
                                       "MMMovie", "Other",     "Overlay",  "Scanner", "Sequencer",
                                       "VCR",     "Videodisc", "WaveAudio"};

// The mode query's answer as a TMPMode: the answer minus MCI_MODE_NOT_READY, kept to 8 bits.
TMPMode ModeFromReply(uint32_t reply)
{
    return static_cast<TMPMode>(static_cast<uint8_t>(reply - MCI_MODE_NOT_READY));
}

} // namespace

TMediaPlayer::TMediaPlayer(QWidget* parent) : QWidget(parent)
{
    resize(240, 30);
    setFocusPolicy(Qt::TabFocus);
    hide();
}

TMediaPlayer::~TMediaPlayer()
{
    if (m_DeviceId == 0)
        return;
    MciGenericParms parms;
    SendCommand(m_DeviceId, MCI_CLOSE, MCI_WAIT, &parms);
}

void TMediaPlayer::Loaded()
{
    if (AutoOpen)
        Open();
}

void TMediaPlayer::CheckOpen() const
{
    if (!m_Opened)
        throw EMCIDeviceError(Texts::NoDeviceOpen);
}

uint32_t TMediaPlayer::WaitFirstFlags()
{
    uint32_t flags = 0;
    if (m_WaitArmed) {
        if (m_Wait)
            flags |= MCI_WAIT;
        m_WaitArmed = false;
    } else {
        flags |= MCI_WAIT;
    }
    if (m_NotifyArmed) {
        if (m_Notify)
            flags |= MCI_NOTIFY;
        m_NotifyArmed = false;
    }
    return flags;
}

// Resume builds its flags without consuming the marks: they are cleared only once the device has
// taken the command, so that the play that follows a refusal builds the same flags.
uint32_t TMediaPlayer::NotifyFirstFlags(bool consume)
{
    uint32_t flags = 0;
    if (m_NotifyArmed) {
        if (m_Notify)
            flags |= MCI_NOTIFY;
        m_NotifyArmed = m_NotifyArmed && !consume;
    } else {
        flags |= MCI_NOTIFY;
    }
    if (m_WaitArmed) {
        if (m_Wait)
            flags |= MCI_WAIT;
        m_WaitArmed = m_WaitArmed && !consume;
    }
    return flags;
}

void TMediaPlayer::Open()
{
    MciOpenParms parms;
    if (m_Opened)
        Close();
    m_CommandFlags = WaitFirstFlags();
    if (DeviceType != dtAutoSelect)
        m_CommandFlags |= MCI_OPEN_TYPE;
    if (DeviceType == dtAutoSelect || !FileName.empty())
        m_CommandFlags |= MCI_OPEN_ELEMENT;
    if (Shareable)
        m_CommandFlags |= MCI_OPEN_SHAREABLE;
    parms.Callback = this;
    parms.DeviceType = DeviceTypeNames[DeviceType <= dtWaveAudio ? DeviceType : 0];
    parms.ElementName = FileName.c_str();
    m_Error = SendCommand(0, MCI_OPEN, m_CommandFlags, &parms);
    if (m_Error != 0)
        throw EMCIDeviceError(GetErrorMessage());
    m_Opened = true;
    m_DeviceId = parms.DeviceId;
    m_StepFrames = GetLength() / 10;
    QueryCapabilities();
    if (DeviceType == dtCDAudio || DeviceType == dtVideodisc)
        SetTimeFormat(MCI_FORMAT_TMSF);
    // The button bar would be enabled from the mode here; its query still stores its result.
    GetMode();
}

// The capabilities and the source rectangle, as a component with a button bar and a display reads
// them at open. Only their results in Error are visible here: the rectangle itself has no use in a
// player without a display.
void TMediaPlayer::QueryCapabilities()
{
    const uint32_t items[] = {MCI_GETDEVCAPS_CAN_PLAY, MCI_GETDEVCAPS_CAN_RECORD, MCI_GETDEVCAPS_CAN_EJECT,
                              MCI_GETDEVCAPS_HAS_VIDEO, MCI_GETDEVCAPS_DEVICE_TYPE};
    bool* flags[] = {&m_CanPlay, &m_CanRecord, &m_CanEject, &m_HasVideo, nullptr};
    uint32_t deviceType = 0;
    for (size_t i = 0; i < std::size(items); ++i) {
        MciGetDevCapsParms caps;
        caps.Item = items[i];
        m_Error = SendCommand(m_DeviceId, MCI_GETDEVCAPS, MCI_WAIT | MCI_GETDEVCAPS_ITEM, &caps);
        if (flags[i] != nullptr)
            *flags[i] = static_cast<uint8_t>(caps.Return) != 0;
        else
            deviceType = caps.Return;
    }
    m_CanStep = deviceType == MCI_DEVTYPE_ANIMATION || deviceType == MCI_DEVTYPE_DIGITAL_VIDEO ||
                deviceType == MCI_DEVTYPE_OVERLAY || deviceType == MCI_DEVTYPE_VCR;
    MciWhereParms where;
    m_Error = SendCommand(m_DeviceId, MCI_WHERE, MCI_WAIT | MCI_WHERE_SOURCE, &where);
}

void TMediaPlayer::Close()
{
    if (m_DeviceId == 0)
        return;
    m_CommandFlags = WaitFirstFlags();
    MciGenericParms parms;
    parms.Callback = this;
    m_Error = SendCommand(m_DeviceId, MCI_CLOSE, m_CommandFlags, &parms);
    if (m_Error != 0)
        return;
    m_Opened = false;
    m_DeviceId = 0;
}

void TMediaPlayer::Play()
{
    CheckOpen();
    if (AutoRewind && !m_PlayFromArmed && !m_PlayToArmed) {
        int32_t position = GetPosition(); // the position is asked first, then the length
        if (position == GetLength())
            Rewind();
    }
    m_CommandFlags = NotifyFirstFlags(true);
    MciPlayParms parms;
    parms.Callback = this;
    if (m_PlayFromArmed) {
        m_CommandFlags |= MCI_FROM;
        parms.From = static_cast<uint32_t>(m_PlayFrom);
        m_PlayFromArmed = false;
    }
    if (m_PlayToArmed) {
        m_CommandFlags |= MCI_TO;
        parms.To = static_cast<uint32_t>(m_PlayTo);
        m_PlayToArmed = false;
    }
    m_Error = SendCommand(m_DeviceId, MCI_PLAY, m_CommandFlags, &parms);
}

void TMediaPlayer::SendGeneric(uint32_t command)
{
    CheckOpen();
    m_CommandFlags = WaitFirstFlags();
    MciGenericParms parms;
    parms.Callback = this;
    m_Error = SendCommand(m_DeviceId, command, m_CommandFlags, &parms);
}

void TMediaPlayer::Stop()
{
    SendGeneric(MCI_STOP);
}

void TMediaPlayer::PauseOnly()
{
    SendGeneric(MCI_PAUSE);
}

void TMediaPlayer::Pause()
{
    CheckOpen();
    if (GetMode() == mpPlaying)
        PauseOnly();
    else if (GetMode() == mpPaused)
        Resume();
}

void TMediaPlayer::Resume()
{
    CheckOpen();
    m_CommandFlags = NotifyFirstFlags(false);
    MciGenericParms parms;
    parms.Callback = this;
    m_Error = SendCommand(m_DeviceId, MCI_RESUME, m_CommandFlags, &parms);
    if (m_Error == 0) {
        m_NotifyArmed = false;
        m_WaitArmed = false;
        return;
    }
    Play();
}

void TMediaPlayer::Rewind()
{
    CheckOpen();
    MciSeekParms parms;
    SendCommand(m_DeviceId, MCI_SEEK, MCI_WAIT | MCI_SEEK_TO_START, &parms);
}

void TMediaPlayer::MoveTo(int32_t position)
{
    CheckOpen();
    MciSeekParms parms;
    parms.To = static_cast<uint32_t>(position);
    m_Error = SendCommand(m_DeviceId, MCI_SEEK, MCI_WAIT | MCI_TO | MCI_SEEK_KEEP_MODE, &parms);
}

uint32_t TMediaPlayer::Status(uint32_t item)
{
    m_CommandFlags = MCI_WAIT | MCI_STATUS_ITEM;
    MciStatusParms parms;
    parms.Item = item;
    m_Error = SendCommand(m_DeviceId, MCI_STATUS, m_CommandFlags, &parms);
    return parms.Return;
}

// A failed mode query (nothing open) answers mpNotReady: the caller sees neither playing nor paused.
TMPMode TMediaPlayer::GetMode()
{
    uint32_t reply = Status(MCI_STATUS_MODE);
    return m_Error == 0 ? ModeFromReply(reply) : mpNotReady;
}

int32_t TMediaPlayer::GetPosition()
{
    uint32_t reply = Status(MCI_STATUS_POSITION);
    return m_Error == 0 ? static_cast<int32_t>(reply) : 0;
}

int32_t TMediaPlayer::GetLength()
{
    CheckOpen();
    return static_cast<int32_t>(Status(MCI_STATUS_LENGTH));
}

uint8_t TMediaPlayer::GetTimeFormat()
{
    CheckOpen();
    return static_cast<uint8_t>(Status(MCI_STATUS_TIME_FORMAT));
}

void TMediaPlayer::SetTimeFormat(uint8_t format)
{
    m_CommandFlags = MCI_WAIT | MCI_SET_TIME_FORMAT;
    MciSetParms parms;
    parms.TimeFormat = format;
    m_Error = SendCommand(m_DeviceId, MCI_SET, m_CommandFlags, &parms);
}

std::string TMediaPlayer::GetErrorMessage() const
{
    char buffer[4096];
    if (!GetErrorString(m_Error, buffer, sizeof buffer))
        return "Code d'erreur inconnu";
    return buffer;
}

void TMediaPlayer::SetNotify(bool notify)
{
    m_Notify = notify;
    m_NotifyArmed = true;
}

void TMediaPlayer::SetWait(bool wait)
{
    m_Wait = wait;
    m_WaitArmed = true;
}

void TMediaPlayer::SetFrom(int32_t from)
{
    m_PlayFrom = from;
    m_PlayFromArmed = true;
}

void TMediaPlayer::SetTo(int32_t to)
{
    m_PlayTo = to;
    m_PlayToArmed = true;
}

bool TMediaPlayer::event(QEvent* event)
{
    if (event->type() != MciNotifyEvent::EventType())
        return QWidget::event(event);
    auto* notify = static_cast<MciNotifyEvent*>(event);
    RunHandler([&] { HandleMciNotify(notify->Code, notify->DeviceId); });
    return true;
}

// The device that sent the completion is not looked at: a late completion of a device since
// closed is handled like one of the current device.
void TMediaPlayer::HandleMciNotify(uint32_t code, uint16_t)
{
    // The button bar would be updated from the mode here; its query still stores its result.
    if (AutoEnable)
        GetMode();
    switch (code) {
    case MCI_NOTIFY_SUCCESSFUL:
        m_NotifyValue = nvSuccessful;
        break;
    case MCI_NOTIFY_SUPERSEDED:
        m_NotifyValue = nvSuperseded;
        break;
    case MCI_NOTIFY_ABORTED:
        m_NotifyValue = nvAborted;
        break;
    case MCI_NOTIFY_FAILURE:
        m_NotifyValue = nvFailure;
        break;
    default:
        break;
    }
    FireNotify();
}

void TMediaPlayer::FireNotify()
{
    emit OnNotify();
}
