#include "media/MciDevice.h"

#include "media/SoundDevice.h"
#include "platform/paths/Paths.h"
#include "texts/French.h"

#include <QCoreApplication>
#include <QPointer>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <strings.h>

namespace Mci {
namespace {

// The name under which the layer's one kind of device can also be opened by type.
constexpr const char* DeviceTypeName = "MPEGAudio";

struct ErrorText
{
    uint32_t Code;
    const char* Text;
};

constexpr ErrorText ErrorTexts[] = {
    {MCIERR_INVALID_DEVICE_ID, Texts::MciInvalidDeviceId},
    {MCIERR_UNRECOGNIZED_COMMAND, Texts::MciUnrecognizedCommand},
    {MCIERR_INVALID_DEVICE_NAME, Texts::MciInvalidDeviceName},
    {MCIERR_OUT_OF_MEMORY, Texts::MciOutOfMemory},
    {MCIERR_MISSING_PARAMETER, Texts::MciMissingParameter},
    {MCIERR_UNSUPPORTED_FUNCTION, Texts::MciUnsupportedFunction},
    {MCIERR_FILE_NOT_FOUND, Texts::MciFileNotFound},
    {MCIERR_OUTOFRANGE, Texts::MciOutOfRange},
    {MCIERR_FILE_NOT_READABLE, Texts::MciFileNotReadable},
    {MCIERR_BAD_TIME_FORMAT, Texts::MciBadTimeFormat},
    {MCIERR_NONAPPLICABLE_FUNCTION, Texts::MciNonApplicableFunction},
    {MCIERR_INVALID_FILE, Texts::MciInvalidFile},
    {MCIERR_FILENAME_REQUIRED, Texts::MciFilenameRequired},
    {MCIERR_NO_AUDIO_OUTPUT, Texts::MciNoAudioOutput},
    {MCIERR_OUTPUT_NOT_ANSWERING, Texts::MciOutputNotAnswering},
};

// The completion a play request is waiting for.
struct Pending
{
    QPointer<QObject> Callback;
    uint64_t Ticket = 0;
};

struct Device
{
    std::unique_ptr<SoundDevice> Sound;
    uint32_t TimeFormat = MCI_FORMAT_MILLISECONDS;
    std::optional<Pending> Request;
};

std::map<uint16_t, Device>& Devices()
{
    static std::map<uint16_t, Device> devices;
    return devices;
}

CommandObserver& Observer()
{
    static CommandObserver observer;
    return observer;
}

std::atomic<uint64_t> LastTicket{0};

// Events between the layer's pieces; all go through one queue so that completions keep the order in
// which their causes happened.
class EndEvent : public QEvent
{
public:
    EndEvent(uint16_t id, uint64_t ticket, bool failed)
        : QEvent(EventType()), DeviceId(id), Ticket(ticket), Failed(failed)
    {
    }
    static QEvent::Type EventType()
    {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }
    uint16_t DeviceId;
    uint64_t Ticket;
    bool Failed;
};

class DeliverEvent : public QEvent
{
public:
    DeliverEvent(QPointer<QObject> target, uint32_t code, uint16_t id)
        : QEvent(EventType()), Target(std::move(target)), Code(code), DeviceId(id)
    {
    }
    static QEvent::Type EventType()
    {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }
    QPointer<QObject> Target;
    uint32_t Code;
    uint16_t DeviceId;
};

// Lives on the UI thread and turns the layer's events into completions for their callbacks.
class Dispatcher : public QObject
{
public:
    bool event(QEvent* event) override;
};

Dispatcher* TheDispatcher()
{
    // Created on first use by the UI thread and kept for the life of the process: workers may post
    // to it until their device is closed.
    static Dispatcher* dispatcher = new Dispatcher;
    return dispatcher;
}

void PostCompletion(const QPointer<QObject>& target, uint32_t code, uint16_t id)
{
    if (target)
        QCoreApplication::postEvent(TheDispatcher(), new DeliverEvent(target, code, id));
}

// Ends the pending play request of a device with the given code.
void EndRequest(Device& device, uint16_t id, uint32_t code)
{
    if (!device.Request)
        return;
    PostCompletion(device.Request->Callback, code, id);
    device.Request.reset();
}

bool Dispatcher::event(QEvent* event)
{
    if (event->type() == DeliverEvent::EventType()) {
        auto* deliver = static_cast<DeliverEvent*>(event);
        MciNotifyEvent notify(deliver->Code, deliver->DeviceId);
        if (deliver->Target)
            QCoreApplication::sendEvent(deliver->Target, &notify);
        return true;
    }
    if (event->type() != EndEvent::EventType())
        return QObject::event(event);
    auto* end = static_cast<EndEvent*>(event);
    auto found = Devices().find(end->DeviceId);
    // A play that a stop, close or later request has already answered gets nothing more.
    if (found == Devices().end() || !found->second.Request || found->second.Request->Ticket != end->Ticket)
        return true;
    Pending request = *found->second.Request;
    found->second.Request.reset();
    MciNotifyEvent notify(end->Failed ? MCI_NOTIFY_FAILURE : MCI_NOTIFY_SUCCESSFUL, end->DeviceId);
    if (request.Callback)
        QCoreApplication::sendEvent(request.Callback, &notify);
    return true;
}

// Device identifiers count up from 1 and skip those in use; 0 never names a device.
uint16_t NextDeviceId()
{
    static uint16_t last = 0;
    do {
        last = static_cast<uint16_t>(last + 1);
    } while (last == 0 || Devices().count(last) != 0);
    return last;
}

uint32_t FromOpenResult(SoundDevice::OpenResult result)
{
    switch (result) {
    case SoundDevice::OpenResult::Ok:
        return MCIERR_NONE;
    case SoundDevice::OpenResult::NotFound:
        return MCIERR_FILE_NOT_FOUND;
    case SoundDevice::OpenResult::Unreadable:
        return MCIERR_FILE_NOT_READABLE;
    case SoundDevice::OpenResult::OutOfMemory:
        return MCIERR_OUT_OF_MEMORY;
    case SoundDevice::OpenResult::NoOutput:
        return MCIERR_NO_AUDIO_OUTPUT;
    case SoundDevice::OpenResult::OutputNotAnswering:
        return MCIERR_OUTPUT_NOT_ANSWERING;
    case SoundDevice::OpenResult::NotMp3:
        break;
    }
    return MCIERR_INVALID_FILE;
}

// Frames to the device's time format and back.
int64_t ToFormat(const Device& device, int64_t frames)
{
    if (device.TimeFormat == MCI_FORMAT_SAMPLES)
        return frames;
    if (device.TimeFormat == MCI_FORMAT_BYTES)
        return frames * device.Sound->FrameBytes();
    return frames * 1000 / device.Sound->Rate();
}

int64_t FromFormat(const Device& device, uint32_t value)
{
    if (device.TimeFormat == MCI_FORMAT_SAMPLES)
        return value;
    if (device.TimeFormat == MCI_FORMAT_BYTES)
        return value / device.Sound->FrameBytes();
    return static_cast<int64_t>(value) * device.Sound->Rate() / 1000;
}

uint32_t OpenElement(uint32_t flags, const MciOpenParms& parms, std::unique_ptr<SoundDevice>& sound,
                     uint16_t id)
{
    if ((flags & MCI_OPEN_TYPE) != 0 && parms.DeviceType != nullptr && parms.DeviceType[0] != '\0' &&
        strcasecmp(parms.DeviceType, DeviceTypeName) != 0)
        return MCIERR_INVALID_DEVICE_NAME;
    if ((flags & MCI_OPEN_ELEMENT) == 0)
        return (flags & MCI_OPEN_TYPE) != 0 ? MCIERR_FILENAME_REQUIRED : MCIERR_MISSING_PARAMETER;
    if (parms.ElementName == nullptr || parms.ElementName[0] == '\0')
        return MCIERR_FILENAME_REQUIRED;
    std::string posixPath;
    if (Paths::ToPosix(parms.ElementName, posixPath) != 0)
        return MCIERR_FILE_NOT_FOUND;
    sound = std::make_unique<SoundDevice>([id](uint64_t ticket, bool failed) {
        QCoreApplication::postEvent(TheDispatcher(), new EndEvent(id, ticket, failed));
    });
    return FromOpenResult(sound->Open(posixPath));
}

uint32_t Open(uint32_t flags, MciOpenParms* parms)
{
    if (parms == nullptr)
        return MCIERR_MISSING_PARAMETER;
    TheDispatcher();
    uint16_t id = NextDeviceId();
    std::unique_ptr<SoundDevice> sound;
    uint32_t result = OpenElement(flags, *parms, sound, id);
    if (result != MCIERR_NONE)
        return result;
    Devices()[id].Sound = std::move(sound);
    parms->DeviceId = id;
    if ((flags & MCI_NOTIFY) != 0)
        PostCompletion(parms->Callback, MCI_NOTIFY_SUCCESSFUL, id);
    return MCIERR_NONE;
}

// A command asking for its own completion replaces the one a play is waiting for.
void TakeOverRequest(Device& device, uint16_t id, uint32_t flags)
{
    if ((flags & MCI_NOTIFY) != 0)
        EndRequest(device, id, MCI_NOTIFY_SUPERSEDED);
}

uint32_t Play(Device& device, uint16_t id, uint32_t flags, const MciPlayParms* parms)
{
    int64_t length = device.Sound->LengthFrames();
    int64_t from = -1;
    int64_t to = -1;
    if ((flags & (MCI_FROM | MCI_TO)) != 0 && parms == nullptr)
        return MCIERR_MISSING_PARAMETER;
    if ((flags & MCI_FROM) != 0)
        from = FromFormat(device, parms->From);
    if ((flags & MCI_TO) != 0)
        to = FromFormat(device, parms->To);
    if (from > length || to > length || (from >= 0 && to >= 0 && to < from))
        return MCIERR_OUTOFRANGE;
    TakeOverRequest(device, id, flags);
    if ((flags & MCI_NOTIFY) != 0)
        device.Request = Pending{parms != nullptr ? parms->Callback : nullptr, ++LastTicket};
    device.Sound->Play(from, to, device.Request ? device.Request->Ticket : 0);
    if ((flags & MCI_WAIT) != 0)
        device.Sound->WaitWhilePlaying();
    return MCIERR_NONE;
}

uint32_t Status(const Device* device, uint32_t flags, MciStatusParms* parms)
{
    if (parms == nullptr || (flags & MCI_STATUS_ITEM) == 0)
        return MCIERR_MISSING_PARAMETER;
    if (device == nullptr)
        return MCIERR_INVALID_DEVICE_ID;
    switch (parms->Item) {
    case MCI_STATUS_MODE: {
        SoundDevice::Mode mode = device->Sound->GetMode();
        parms->Return = mode == SoundDevice::Mode::Playing  ? MCI_MODE_PLAY
                        : mode == SoundDevice::Mode::Paused ? MCI_MODE_PAUSE
                                                            : MCI_MODE_STOP;
        return MCIERR_NONE;
    }
    case MCI_STATUS_POSITION:
        parms->Return = static_cast<uint32_t>(ToFormat(*device, device->Sound->PositionFrames()));
        return MCIERR_NONE;
    case MCI_STATUS_LENGTH:
        parms->Return = static_cast<uint32_t>(ToFormat(*device, device->Sound->LengthFrames()));
        return MCIERR_NONE;
    case MCI_STATUS_TIME_FORMAT:
        parms->Return = device->TimeFormat;
        return MCIERR_NONE;
    default:
        return MCIERR_UNSUPPORTED_FUNCTION;
    }
}

uint32_t Set(Device* device, uint32_t flags, const MciSetParms* parms)
{
    if (device == nullptr)
        return MCIERR_INVALID_DEVICE_ID;
    if ((flags & MCI_SET_TIME_FORMAT) == 0)
        return MCIERR_UNSUPPORTED_FUNCTION;
    if (parms == nullptr)
        return MCIERR_MISSING_PARAMETER;
    uint32_t format = parms->TimeFormat;
    if (format != MCI_FORMAT_MILLISECONDS && format != MCI_FORMAT_SAMPLES && format != MCI_FORMAT_BYTES)
        return MCIERR_BAD_TIME_FORMAT;
    device->TimeFormat = format;
    return MCIERR_NONE;
}

uint32_t GetDevCaps(uint32_t flags, MciGetDevCapsParms* parms)
{
    if (parms == nullptr || (flags & MCI_GETDEVCAPS_ITEM) == 0)
        return MCIERR_MISSING_PARAMETER;
    switch (parms->Item) {
    case MCI_GETDEVCAPS_CAN_PLAY:
    case MCI_GETDEVCAPS_HAS_AUDIO:
    case MCI_GETDEVCAPS_USES_FILES:
    case MCI_GETDEVCAPS_COMPOUND_DEVICE:
        parms->Return = 1;
        return MCIERR_NONE;
    case MCI_GETDEVCAPS_CAN_RECORD:
    case MCI_GETDEVCAPS_CAN_EJECT:
    case MCI_GETDEVCAPS_HAS_VIDEO:
    case MCI_GETDEVCAPS_CAN_SAVE:
        parms->Return = 0;
        return MCIERR_NONE;
    case MCI_GETDEVCAPS_DEVICE_TYPE:
        parms->Return = MCI_DEVTYPE_WAVEFORM_AUDIO;
        return MCIERR_NONE;
    default:
        return MCIERR_UNSUPPORTED_FUNCTION;
    }
}

uint32_t Close(uint16_t id)
{
    auto found = Devices().find(id);
    EndRequest(found->second, id, MCI_NOTIFY_ABORTED);
    // The worker ends with its device; the map entry goes only afterwards, so that an end event
    // already on its way finds no device and no request.
    found->second.Sound.reset();
    Devices().erase(found);
    return MCIERR_NONE;
}

uint32_t Resume(Device& device, uint16_t id, uint32_t flags, MciGenericParms* params)
{
    if (device.Sound->GetMode() != SoundDevice::Mode::Paused)
        return MCIERR_NONAPPLICABLE_FUNCTION;
    TakeOverRequest(device, id, flags);
    if ((flags & MCI_NOTIFY) != 0) {
        QObject* callback = params != nullptr ? params->Callback : nullptr;
        device.Request = Pending{callback, ++LastTicket};
    }
    device.Sound->Resume(device.Request ? device.Request->Ticket : 0);
    return MCIERR_NONE;
}

uint32_t Seek(Device& device, uint16_t id, uint32_t flags, const MciSeekParms* parms)
{
    int64_t length = device.Sound->LengthFrames();
    int64_t to = -1;
    if ((flags & MCI_SEEK_TO_START) != 0)
        to = 0;
    else if ((flags & MCI_SEEK_TO_END) != 0)
        to = length;
    else if ((flags & MCI_TO) != 0 && parms != nullptr)
        to = FromFormat(device, parms->To);
    else
        return MCIERR_MISSING_PARAMETER;
    if (to < 0 || to > length)
        return MCIERR_OUTOFRANGE;
    if ((flags & MCI_SEEK_KEEP_MODE) != 0) {
        device.Sound->MoveTo(to);
        return MCIERR_NONE;
    }
    EndRequest(device, id, MCI_NOTIFY_ABORTED);
    device.Sound->Seek(to);
    return MCIERR_NONE;
}

uint32_t Execute(uint16_t id, Device& device, uint32_t command, uint32_t flags, MciGenericParms* params)
{
    switch (command) {
    case MCI_CLOSE:
        return Close(id);
    case MCI_PLAY:
        return Play(device, id, flags, static_cast<MciPlayParms*>(params));
    case MCI_STOP:
        EndRequest(device, id, MCI_NOTIFY_ABORTED);
        device.Sound->Stop();
        return MCIERR_NONE;
    case MCI_PAUSE:
        TakeOverRequest(device, id, flags);
        device.Sound->Pause();
        return MCIERR_NONE;
    case MCI_RESUME:
        return Resume(device, id, flags, params);
    case MCI_SEEK:
        return Seek(device, id, flags, static_cast<MciSeekParms*>(params));
    case MCI_STATUS:
        return Status(&device, flags, static_cast<MciStatusParms*>(params));
    case MCI_SET:
        return Set(&device, flags, static_cast<MciSetParms*>(params));
    case MCI_GETDEVCAPS:
        return GetDevCaps(flags, static_cast<MciGetDevCapsParms*>(params));
    case MCI_WHERE:
        return MCIERR_UNSUPPORTED_FUNCTION;
    default:
        return MCIERR_UNRECOGNIZED_COMMAND;
    }
}

QPointer<QObject> CallbackOf(uint32_t command, MciGenericParms* params)
{
    if (params == nullptr || command == MCI_OPEN)
        return nullptr;
    return params->Callback;
}

} // namespace

QEvent::Type MciNotifyEvent::EventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

uint32_t SendCommand(uint16_t deviceId, uint32_t command, uint32_t flags, MciGenericParms* params)
{
    if (Observer()) {
        if (std::optional<uint32_t> answer = Observer()(deviceId, command, flags, params))
            return *answer;
    }
    if (command == MCI_OPEN)
        return Open(flags, static_cast<MciOpenParms*>(params));
    auto found = Devices().find(deviceId);
    if (found == Devices().end())
        return MCIERR_INVALID_DEVICE_ID;
    // Synchronous commands that ask for a completion get it once they are done; a play gets it when
    // its sound ends. The callback is read first: a close frees nothing of the caller's, but the
    // device entry is gone afterwards.
    QPointer<QObject> callback = CallbackOf(command, params);
    uint32_t result = Execute(deviceId, found->second, command, flags, params);
    bool asynchronous = command == MCI_PLAY || command == MCI_RESUME;
    if (result == MCIERR_NONE && (flags & MCI_NOTIFY) != 0 && !asynchronous)
        PostCompletion(callback, MCI_NOTIFY_SUCCESSFUL, deviceId);
    return result;
}

bool GetErrorString(uint32_t error, char* buffer, size_t size)
{
    if (buffer == nullptr || size == 0)
        return false;
    const auto* entry = std::find_if(std::begin(ErrorTexts), std::end(ErrorTexts),
                                     [error](const ErrorText& text) { return text.Code == error; });
    if (entry == std::end(ErrorTexts)) {
        buffer[0] = '\0';
        return false;
    }
    size_t length = std::min(std::strlen(entry->Text), size - 1);
    std::memcpy(buffer, entry->Text, length);
    buffer[length] = '\0';
    return true;
}

void SetCommandObserver(CommandObserver observer)
{
    Observer() = std::move(observer);
}

size_t OpenDeviceCount()
{
    return Devices().size();
}

} // namespace Mci
