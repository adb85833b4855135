// The settings file of TForm1: where the user was browsing, kept in "Quelmo.ini".

#include "app/principale.h"

// FIXME: the settings file comes with the profile-file class.
void TForm1::LoadSettings()
{
}
void TForm1::SaveSettings()
{
}
void TForm1::RememberSource()
{
}
