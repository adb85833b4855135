#pragma once
// Basic idea: where the help window was when it was last closed: its geometry and the state of the
// splitter between the navigation pane and the topic, as Qt saves them, and whether the pane was
// shown. One record for the control, kept with QSettings in the file "Quelmo/hhctrl.ini" of the
// user's application-data folder ($XDG_CONFIG_HOME, else ~/.config). The file is read and written
// only when it is missing or a small regular file (a FIFO, a device or a huge file is left alone);
// a link stays a link. A record that is missing, unreadable or damaged reads as no record, and the
// window opens as it does the first time. UI thread only.

#include <QByteArray>
#include <optional>

struct WindowRecord
{
    QByteArray Geometry; // QWidget::saveGeometry
    QByteArray Splitter; // QSplitter::saveState, taken while the pane was shown
    bool PaneShown = true;
};

std::optional<WindowRecord> LoadWindowRecord();

// Failures to write are not reported: the window then opens as before next time.
void SaveWindowRecord(const WindowRecord& record);
