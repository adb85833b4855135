// The settings file of TForm1: where the user was browsing, kept in "Quelmo.ini" in the user's
// application-data folder.

#include "app/principale.h"
#include "platform/paths/FileSystem.h"
#include "platform/profiles/IniFiles.h"

namespace {
const char* const Section = "Config";
}

void TForm1::LoadSettings()
{
    if (!FileSystem::FileExists(IniFileName)) {
        SaveSettings();
        RememberSource();
        return;
    }
    const TIniFile ini(IniFileName);
    // An empty entry (a first start that never reached its end) stands for drive c.
    const std::string drive = ini.ReadString(Section, "Drive_Source", "c");
    SavedDrive = drive.empty() ? 'c' : drive[0];
    SavedDir = ini.ReadString(Section, "Dir_Source", "");
    SavedIndex = ini.ReadInteger(Section, "Index", -1);
}

void TForm1::SaveSettings()
{
    // The three values go in one replacement of the file, so that a program killed in the middle
    // never leaves a drive with another drive's folder.
    TIniFile ini(IniFileName);
    ini.WriteStrings(Section, {{"Drive_Source", SavedDrive != 0 ? std::string(1, SavedDrive) : std::string()},
                               {"Dir_Source", SavedDir},
                               {"Index", std::to_string(SavedIndex)}});
}

void TForm1::RememberSource()
{
    SavedDrive = LSource->Drive();
    SavedDir = RSource->Directory();
}
