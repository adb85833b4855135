#pragma once
// Basic idea: what the desktop asks of the player (its media keys, its media controls over MPRIS,
// Enter or a double click on a file line), carried out by running the main window's own handlers,
// the same that a click on its buttons runs. It holds no playback state of its own: it reads the
// window's file list, its media device and the play sequence's state, and says after each request
// that the player may have changed (Acted), so that the MPRIS service can tell its listeners.
// UI thread only.

#include "media/MPlayer.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <string>

class TForm1;

class PlayerRemote : public QObject
{
    Q_OBJECT
public:
    enum class Status
    {
        Stopped,
        Playing,
        Paused
    };

    explicit PlayerRemote(TForm1& form);

    TForm1& Form() const { return m_Form; }

    // "Lecture", unless a file is already playing (a desktop's Play never restarts one).
    void Play();
    // "Pause" when a file plays; a paused player stays paused.
    void Pause();
    // "Pause" (which pauses or resumes) while the sequence runs, "Lecture" when nothing plays.
    void PlayPause();
    // "Stop".
    void Stop();
    // The line after, or before, the one that plays, with the file list's wrap-around.
    void Next();
    void Previous();
    // Plays this line of the file list, as "Lecture" after a click on it; a paused file does not
    // resume instead. Nothing for a line that the list does not have.
    void PlayLine(int line);
    // Moves the open file to this time (clamped to the file), playing on or staying paused; a file
    // moved to its end completes as its end does. The time label shows the new position at once.
    // False when no file is open or the device refused. Never seen in the window's own controls.
    bool MoveTo(int32_t ms);
    // As a click on the notification-area icon: the window comes back and to the front.
    void Raise();
    // As "Quitter".
    void Quit();

    // The device's mode as the desktop names it; a closed device is stopped, and so is one that
    // "Stop" left paused.
    Status CurrentStatus() const;
    // The file the device has open for the play sequence (its path text); empty when none, or
    // after "Stop".
    std::string OpenFile() const;
    // Position and length of the open file in milliseconds; 0 when none.
    int32_t PositionMs() const;
    int32_t LengthMs() const;
    // The file list has lines to play.
    bool HasLines() const;

signals:
    // A request has been carried out, or a handler of the window ran: the state may differ.
    void Acted();

private:
    TForm1& m_Form;

    // The line last started here when it started nothing (PlayIndex still names it); else -1.
    int m_Failed = -1;

    TMPMode DeviceMode() const;
    int FailedLine() const;
    void StartLine(int line);
};
