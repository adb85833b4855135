#pragma once
// Sending the program to the notification area and bringing it back. Both work on the application
// and on every one of its forms, not on one window; the icon itself is the caller's business.

// Minimises the application (which raises its minimise event), then hides every form, from the
// first to the last.
void HideToTray();

// Shows every form, from the last to the first (a form hidden by HideToTray runs its show handler
// again), restores the application (which raises its restore event when it was minimised) and
// brings it to the front.
void RestoreFromTray();
