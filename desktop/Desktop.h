#pragma once
// Basic idea: what a Linux desktop adds beside the player's window: its media keys, Enter and a
// double click on a file line (DesktopKeys.h), its media controls over MPRIS (MprisService.h), and
// the window and the drive list as the accessibility tree shows them (AccessibleWindow.h,
// AccessibleDriveList.h).
// main() attaches them to the window once it is created; the window knows nothing of them. They
// run the window's own handlers and hold no playback logic. UI thread only.

#include <string>

class TForm1;

namespace Desktop {

// Attaches the desktop's keys now and takes the MPRIS name on the session bus once the message
// loop runs, so that the bus never delays the window; then plays `fileToOpen` (a POSIX path, the
// file the program was started with; none when empty). Everything is owned by the window.
void Attach(TForm1& form, const std::string& fileToOpen = {});

} // namespace Desktop
