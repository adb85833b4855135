#pragma once
// Basic idea: the F1 key. Pressed in one of the application's forms, it asks the application for
// help by context, with the context of the focused control; the program's controls carry none, so
// the context is 0, which the help file answers with its summary. One filter on the application
// object does this for every form; it is installed once by main(). UI thread only.

class TApplication;

// Installs the F1 filter on the application; call it once. An error of the help request is shown
// in the error box, never passed on. Throws nothing.
void InstallHelpKey(TApplication& application);
