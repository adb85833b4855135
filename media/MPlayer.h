#pragma once
// Basic idea: TMediaPlayer, the component that stands for one media device: it opens a device on
// FileName, sends it commands (play, pause, resume, stop, close) and status queries (mode, position,
// length) through the device layer (MciDevice.h), and turns the device's later completion into the
// OnNotify signal. Failures raise EMCIDeviceError only when no device is open ("Aucun périphérique MCI
// ouvert") or when opening fails; every other result is kept as a code in Error().
//
// Each command's options are one-shot values: SetNotify (and SetWait, SetFrom, SetTo) arm a value
// for the next command that builds flags, which applies and disarms it. By default a "wait-first"
// command (Open, Close, Stop, PauseOnly) waits and asks for no completion, and a "notify-first"
// command (Play, Resume) returns at once and asks for one.
//
// UI thread only. The main window holds one hidden instance (Media1); the button bar and the video
// display of such a component are not built. Completions arrive through the event queue and OnNotify
// is emitted there, inside RunHandler, never from inside one of these calls.

#include "media/MciCommands.h"

#include <QWidget>
#include <cstdint>
#include <string>

enum TMPMode : uint8_t
{
    mpNotReady,
    mpStopped,
    mpPlaying,
    mpRecording,
    mpSeeking,
    mpPaused,
    mpOpen
};
enum TMPNotifyResult : uint8_t
{
    nvSuccessful,
    nvSuperseded,
    nvAborted,
    nvFailure
};
enum TMPDeviceTypes : uint8_t
{
    dtAutoSelect,
    dtAVIVideo,
    dtCDAudio,
    dtDAT,
    dtDigitalVideo,
    dtMMMovie,
    dtOther,
    dtOverlay,
    dtScanner,
    dtSequencer,
    dtVCR,
    dtVideodisc,
    dtWaveAudio
};

class TMediaPlayer : public QWidget
{
    Q_OBJECT
public:
    explicit TMediaPlayer(QWidget* parent = nullptr);
    // Closes an open device (wait only, result ignored).
    ~TMediaPlayer() override;

    // The file to open, as a path text ("c:\home\ana\a.mp3"); read at the next Open.
    std::string FileName;
    bool AutoEnable = true;
    bool AutoOpen = false;
    bool AutoRewind = true;
    bool Shareable = false;
    TMPDeviceTypes DeviceType = dtAutoSelect;

    // Applies AutoOpen once the window's design is loaded; throws as Open does.
    void Loaded();

    // Opens FileName, closing an open device first. Throws EMCIDeviceError with the layer's text
    // when Error is not 0; Error is 0 after a successful open.
    void Open();
    // Closes the device; nothing open, nothing done. A refusal stays in Error and the device open.
    // Throws nothing.
    void Close();
    // Throw EMCIDeviceError ("Aucun périphérique MCI ouvert") when no device is open; otherwise the
    // layer's answer is in Error. Play at the end starts again from the start (AutoRewind).
    void Play();
    void Stop();
    void PauseOnly();
    // Pauses a playing device, resumes a paused one, does nothing otherwise. Throws EMCIDeviceError
    // when no device is open.
    void Pause();
    // Resumes a paused device and plays one that is not paused. Throws EMCIDeviceError when no
    // device is open.
    void Resume();
    // Seeks to the start, leaving Error as it was. Throws EMCIDeviceError when no device is open.
    void Rewind();
    // Moves to a position (in the time format), keeping the mode: a playing file goes on from there
    // with its notification still to come, a paused one stays paused. The answer is in Error
    // (MCIERR_OUTOFRANGE past the length). Throws EMCIDeviceError when no device is open.
    void MoveTo(int32_t position);

    // The queries keep their result code in Error. GetMode answers mpNotReady and GetPosition 0
    // when the query fails (no device open); they throw nothing.
    TMPMode GetMode();
    int32_t GetPosition();
    // Throw EMCIDeviceError when no device is open.
    int32_t GetLength();
    uint8_t GetTimeFormat();
    // The result in Error: MCIERR_BAD_TIME_FORMAT for a format the device lacks,
    // MCIERR_INVALID_DEVICE_ID when none is open. Throws nothing.
    void SetTimeFormat(uint8_t format);
    // The text of Error; "Code d'erreur inconnu" for a code without one (0 included). Throws nothing.
    std::string GetErrorMessage() const;

    // One-shot values for the next command. Throw nothing.
    void SetNotify(bool notify);
    void SetWait(bool wait);
    void SetFrom(int32_t from);
    void SetTo(int32_t to);

    // Plain accessors; throw nothing.
    TMPNotifyResult NotifyValue() const { return m_NotifyValue; }
    uint32_t Error() const { return m_Error; }
    uint32_t CommandFlags() const { return m_CommandFlags; }
    bool Opened() const { return m_Opened; }
    uint16_t DeviceId() const { return m_DeviceId; }
    int32_t StepFrames() const { return m_StepFrames; }
    bool CanPlay() const { return m_CanPlay; }
    bool CanRecord() const { return m_CanRecord; }
    bool CanEject() const { return m_CanEject; }
    bool CanStep() const { return m_CanStep; }
    bool HasVideo() const { return m_HasVideo; }

    // A completion from the device: updates NotifyValue and fires OnNotify. Called from the event
    // queue; public so that a test can hand it any code. Throws what an OnNotify handler throws.
    void HandleMciNotify(uint32_t code, uint16_t deviceId);

signals:
    void OnNotify();

protected:
    bool event(QEvent* event) override;
    virtual void FireNotify();

private:
    bool m_Opened = false;
    bool m_CanPlay = false;
    bool m_CanRecord = false;
    bool m_CanEject = false;
    bool m_CanStep = false;
    bool m_HasVideo = false;
    uint32_t m_CommandFlags = 0;
    bool m_Wait = false;
    bool m_Notify = false;
    bool m_WaitArmed = false;
    bool m_NotifyArmed = false;
    bool m_PlayFromArmed = false;
    bool m_PlayToArmed = false;
    uint16_t m_DeviceId = 0;
    int32_t m_PlayTo = 0;
    int32_t m_PlayFrom = 0;
    int32_t m_StepFrames = 0;
    uint32_t m_Error = 0;
    TMPNotifyResult m_NotifyValue = nvSuccessful;

    void CheckOpen() const;
    uint32_t WaitFirstFlags();
    uint32_t NotifyFirstFlags(bool consume);
    void QueryCapabilities();
    uint32_t Status(uint32_t item);
    void SendGeneric(uint32_t command);
};
