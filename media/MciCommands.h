#pragma once
// Basic idea: the vocabulary of the media device layer: command numbers, flags, status items, result
// codes and the parameter records that go with each command. The values are those of the classic
// media-control interface, so that the component above (MPlayer.h) builds its commands exactly as
// such a component does; the layer that answers them is our own (MciDevice.h).

#include <cstdint>

class QObject;

namespace Mci {

// Commands.
constexpr uint32_t MCI_OPEN = 0x0803;
constexpr uint32_t MCI_CLOSE = 0x0804;
constexpr uint32_t MCI_PLAY = 0x0806;
constexpr uint32_t MCI_SEEK = 0x0807;
constexpr uint32_t MCI_STOP = 0x0808;
constexpr uint32_t MCI_PAUSE = 0x0809;
constexpr uint32_t MCI_GETDEVCAPS = 0x080B;
constexpr uint32_t MCI_SET = 0x080D;
constexpr uint32_t MCI_STATUS = 0x0814;
constexpr uint32_t MCI_WHERE = 0x0843;
constexpr uint32_t MCI_RESUME = 0x0855;

// Flags common to all commands.
constexpr uint32_t MCI_NOTIFY = 0x00000001;
constexpr uint32_t MCI_WAIT = 0x00000002;
constexpr uint32_t MCI_FROM = 0x00000004;
constexpr uint32_t MCI_TO = 0x00000008;
// Flags of particular commands.
constexpr uint32_t MCI_OPEN_SHAREABLE = 0x00000100;
constexpr uint32_t MCI_OPEN_ELEMENT = 0x00000200;
constexpr uint32_t MCI_OPEN_ALIAS = 0x00000400;
constexpr uint32_t MCI_OPEN_TYPE = 0x00002000;
constexpr uint32_t MCI_SEEK_TO_START = 0x00000100;
constexpr uint32_t MCI_SEEK_TO_END = 0x00000200;
// Ours, beside the system's flags: the seek keeps the device's mode, so a playing file goes on
// from the new position (its notification still pending) and a paused one stays paused. Used by
// the desktop's position slider; the window never seeks.
constexpr uint32_t MCI_SEEK_KEEP_MODE = 0x00010000;
constexpr uint32_t MCI_STATUS_ITEM = 0x00000100;
constexpr uint32_t MCI_SET_TIME_FORMAT = 0x00000400;
constexpr uint32_t MCI_GETDEVCAPS_ITEM = 0x00000100;
constexpr uint32_t MCI_WHERE_SOURCE = 0x00020000;
constexpr uint32_t MCI_WHERE_DESTINATION = 0x00040000;

// Status items.
constexpr uint32_t MCI_STATUS_LENGTH = 1;
constexpr uint32_t MCI_STATUS_POSITION = 2;
constexpr uint32_t MCI_STATUS_MODE = 4;
constexpr uint32_t MCI_STATUS_TIME_FORMAT = 6;

// Modes, as the mode query answers them.
constexpr uint32_t MCI_MODE_NOT_READY = 524;
constexpr uint32_t MCI_MODE_STOP = 525;
constexpr uint32_t MCI_MODE_PLAY = 526;
constexpr uint32_t MCI_MODE_PAUSE = 529;

// Time formats.
constexpr uint32_t MCI_FORMAT_MILLISECONDS = 0;
constexpr uint32_t MCI_FORMAT_BYTES = 8;
constexpr uint32_t MCI_FORMAT_SAMPLES = 9;
constexpr uint32_t MCI_FORMAT_TMSF = 10;

// Capability items and device types.
constexpr uint32_t MCI_GETDEVCAPS_CAN_RECORD = 1;
constexpr uint32_t MCI_GETDEVCAPS_HAS_AUDIO = 2;
constexpr uint32_t MCI_GETDEVCAPS_HAS_VIDEO = 3;
constexpr uint32_t MCI_GETDEVCAPS_DEVICE_TYPE = 4;
constexpr uint32_t MCI_GETDEVCAPS_USES_FILES = 5;
constexpr uint32_t MCI_GETDEVCAPS_COMPOUND_DEVICE = 6;
constexpr uint32_t MCI_GETDEVCAPS_CAN_EJECT = 7;
constexpr uint32_t MCI_GETDEVCAPS_CAN_PLAY = 8;
constexpr uint32_t MCI_GETDEVCAPS_CAN_SAVE = 9;
constexpr uint32_t MCI_DEVTYPE_VCR = 513;
constexpr uint32_t MCI_DEVTYPE_OVERLAY = 515;
constexpr uint32_t MCI_DEVTYPE_ANIMATION = 519;
constexpr uint32_t MCI_DEVTYPE_DIGITAL_VIDEO = 520;
constexpr uint32_t MCI_DEVTYPE_WAVEFORM_AUDIO = 522;

// Completion codes, the first parameter of a completion.
constexpr uint32_t MCI_NOTIFY_SUCCESSFUL = 1;
constexpr uint32_t MCI_NOTIFY_SUPERSEDED = 2;
constexpr uint32_t MCI_NOTIFY_ABORTED = 4;
constexpr uint32_t MCI_NOTIFY_FAILURE = 8;

// The layer's result codes; 0 is success. Their texts: GetErrorString (MciDevice.h).
enum Result : uint32_t
{
    MCIERR_NONE = 0,
    MCIERR_INVALID_DEVICE_ID = 257,
    MCIERR_UNRECOGNIZED_COMMAND = 261,
    MCIERR_INVALID_DEVICE_NAME = 263,
    MCIERR_OUT_OF_MEMORY = 264,
    MCIERR_MISSING_PARAMETER = 273,
    MCIERR_UNSUPPORTED_FUNCTION = 274,
    MCIERR_FILE_NOT_FOUND = 275,
    MCIERR_OUTOFRANGE = 282,
    MCIERR_FILE_NOT_READABLE = 286,
    MCIERR_BAD_TIME_FORMAT = 293,
    MCIERR_NONAPPLICABLE_FUNCTION = 302,
    MCIERR_INVALID_FILE = 304,
    MCIERR_FILENAME_REQUIRED = 305,
    MCIERR_NO_AUDIO_OUTPUT = 320,
    MCIERR_OUTPUT_NOT_ANSWERING = 321,
};

// Parameter records. Every record is a MciGenericParms, whose Callback is the object that
// receives the completion of a command sent with MCI_NOTIFY (see MciNotifyEvent in MciDevice.h).
struct MciGenericParms
{
    QObject* Callback = nullptr;
};

struct MciOpenParms : MciGenericParms
{
    uint16_t DeviceId = 0;
    const char* DeviceType = nullptr;
    const char* ElementName = nullptr;
    const char* Alias = nullptr;
};

struct MciPlayParms : MciGenericParms
{
    uint32_t From = 0;
    uint32_t To = 0;
};

struct MciSeekParms : MciGenericParms
{
    uint32_t To = 0;
};

struct MciStatusParms : MciGenericParms
{
    uint32_t Return = 0;
    uint32_t Item = 0;
    uint32_t Track = 0;
};

struct MciSetParms : MciGenericParms
{
    uint32_t TimeFormat = 0;
    uint32_t Audio = 0;
};

struct MciGetDevCapsParms : MciGenericParms
{
    uint32_t Return = 0;
    uint32_t Item = 0;
};

struct MciRect
{
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
};

struct MciWhereParms : MciGenericParms
{
    MciRect Rect;
};

} // namespace Mci
