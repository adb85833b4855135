#pragma once
// Basic idea: where the help window was when it was last closed: its size and position, the width
// of its navigation pane and whether the pane was shown. One record for the control, in the file
// "Quelmo/hhctrl.ini" of the user's application-data folder ($XDG_CONFIG_HOME, else ~/.config),
// read only when it is a small regular file, written whole or not at all (a link stays a link). A record that
// is missing, unreadable or damaged (a key missing, a value that is no number or out of range) reads as no
// record, and the window opens as it does the first time. UI thread only.

#include <QRect>
#include <optional>

struct WindowRecord
{
    QRect Geometry; // the window's inside, without the frame
    int PaneWidth = 0;
    bool PaneShown = true;
};

std::optional<WindowRecord> LoadWindowRecord();

// Failures to write are not reported: the window then opens as before next time.
void SaveWindowRecord(const WindowRecord& record);
