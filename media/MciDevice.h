#pragma once
// Basic idea: the media device layer, a command interface in the manner of the classic
// media-control one: SendCommand(device, command, flags, record) answers with a result code (0 for
// success) and GetErrorString gives a French text for a code. It opens MP3 files as devices
// (SoundDevice.h, one worker thread each) and numbers them from 1.
//
// Called on the UI thread only. A command sent with MCI_NOTIFY gets exactly one completion, an
// MciNotifyEvent delivered to the record's Callback object through the UI thread's event queue,
// never from inside a call and never from another thread: MCI_NOTIFY_SUCCESSFUL when the command is
// done (for a play, when the sound reached its end), MCI_NOTIFY_FAILURE when the device failed while
// playing, MCI_NOTIFY_ABORTED when a stop, seek or close interrupted the play, MCI_NOTIFY_SUPERSEDED
// when a later command on the same device asked for its own completion first.

#include "media/MciCommands.h"

#include <QEvent>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

namespace Mci {

// A completion, as the Callback object receives it.
class MciNotifyEvent : public QEvent
{
public:
    MciNotifyEvent(uint32_t code, uint16_t deviceId) : QEvent(EventType()), Code(code), DeviceId(deviceId) {}
    // The completions' event type, registered at first use. Throws nothing.
    static QEvent::Type EventType();

    uint32_t Code;
    uint16_t DeviceId;
};

// Runs a command; MCI_OPEN opens a new device and puts its number in the record's DeviceId. Returns
// 0 or an MCIERR_ code (MCIERR_INVALID_DEVICE_ID for no open device). Throws nothing.
uint32_t SendCommand(uint16_t deviceId, uint32_t command, uint32_t flags, MciGenericParms* params);

// The text of a result code into buffer (always terminated, cut to fit); false when the code has
// none (0 included; buffer then empty) or the buffer is null or of size 0. Throws nothing.
bool GetErrorString(uint32_t error, char* buffer, size_t size);

// Tests: sees every command before the layer does; a returned code answers the command instead of
// the layer (nothing is executed then). An empty function removes it. Throws nothing.
using CommandObserver = std::function<std::optional<uint32_t>(uint16_t deviceId, uint32_t command,
                                                              uint32_t flags, MciGenericParms* params)>;
void SetCommandObserver(CommandObserver observer);

// How many devices are open (tests and leak checks). Throws nothing.
size_t OpenDeviceCount();

} // namespace Mci
