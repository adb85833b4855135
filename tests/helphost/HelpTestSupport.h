#pragma once
// A world for the help code's tests: drive c is a temporary tree that holds the program's folder
// (c:\Programmes\Quelmo\quelmo), the Windows folder (c:\Windows), the temporary folder (c:\tmp) and
// the machine-wide data folder (c:\etc), with the user's data folder in c:\home\.config; the help
// code's globals start afresh and are cleared at the end.

#include "TestSupport.h"

#include <memory>
#include <string>
#include <vector>

class HelpWorld
{
public:
    HelpWorld();
    ~HelpWorld();

    // Puts the real help control (the built module) into the Windows folder as "hhctrl.ocx".
    void InstallControl() const;
    // Puts the player's help file at a path inside the tree.
    void InstallHelpFile(const std::string& relative) const;
    // The program's command-line arguments 1 to n.
    void SetArguments(std::vector<std::string> arguments) const;

    TempTree Tree;

private:
    std::unique_ptr<DriveScope> m_Drives;
};
