#pragma once
// FIXME: interface of the media device, with placeholder bodies until the device is built. The
// names below are what the main window calls; the real unit keeps them.

#include <QWidget>
#include <cstdint>
#include <string>

enum TMPMode : uint8_t { mpNotReady, mpStopped, mpPlaying, mpRecording, mpSeeking, mpPaused, mpOpen };
enum TMPNotifyResult : uint8_t { nvSuccessful, nvSuperseded, nvAborted, nvFailure };

class TMediaPlayer : public QWidget
{
    Q_OBJECT
public:
    explicit TMediaPlayer(QWidget* parent = nullptr) : QWidget(parent) { hide(); }

    std::string FileName;

    void Open() { }
    void Close() { }
    void Play() { }
    void Stop() { }
    void Pause() { }
    void Resume() { }
    TMPMode GetMode() { return mpNotReady; }
    int32_t GetPosition() { return 0; }
    int32_t GetLength() { return 0; }
    void SetTimeFormat(uint8_t) { }
    void SetNotify(bool) { }
    TMPNotifyResult NotifyValue() const { return nvSuccessful; }

signals:
    void OnNotify();
};
