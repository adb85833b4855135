#pragma once
// Basic idea: work that need not delay the window's first appearance (registering with the desktop,
// say) runs just after the first frame is on screen, in the message loop.

#include <chrono>
#include <functional>

class QWidget;

// Runs `action` once, from the message loop, right after the window has painted its first frame,
// or after `fallback` if the window has not been painted by then (it started minimised or on
// another workspace). Nothing runs if the window is destroyed first. Throws nothing.
void AfterFirstFrame(QWidget& window, std::function<void()> action,
                     std::chrono::milliseconds fallback = std::chrono::seconds(1));

// For the start-up benchmark: once the window's first frame is on screen, writes "first frame
// MICROSECONDS" (wall-clock time) on the standard error and ends the message loop. Throws nothing.
void ReportFirstFrameAndQuit(QWidget& window);
