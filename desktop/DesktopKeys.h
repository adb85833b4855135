#pragma once
// Basic idea: the keys a desktop user expects in the window, beyond those the window's design
// binds: the keyboard's media keys (Play, Pause, Play/Pause, Stop, Next, Previous) while the window
// has the focus, and Enter or a double click on a line of the file list, which plays that line.
// Each runs through PlayerRemote, the window's own handlers. Outside the window the desktop sends
// the media keys over MPRIS instead. UI thread only.

#include <QObject>

class PlayerRemote;

class DesktopKeys : public QObject
{
    Q_OBJECT
public:
    // Watches the remote's window (and its file list) from now on.
    explicit DesktopKeys(PlayerRemote& remote);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PlayerRemote& m_Remote;

    bool MediaKey(int key);
    void PlaySelectedLine();
};
