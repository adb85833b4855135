#pragma once
// FIXME: placeholder until the media device is built; it keeps the window design's place.

#include <QWidget>

enum TMPMode : unsigned char { mpNotReady, mpStopped, mpPlaying, mpRecording, mpSeeking, mpPaused, mpOpen };

class TMediaPlayer : public QWidget
{
    Q_OBJECT
public:
    explicit TMediaPlayer(QWidget* parent = nullptr) : QWidget(parent) { hide(); }
    void SetNotify(bool) { }
    void Close() { }
    void SetTimeFormat(int) { }

signals:
    void OnNotify();
};
