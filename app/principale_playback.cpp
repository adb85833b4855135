// The playback controller of TForm1: the play sequence over the file list, the time display and
// the choice of the source directory.

#include "app/principale.h"
#include "common/PathHelpers.h"
#include "platform/Application.h"

// FIXME: the controller's steps come with the file list, the directory list and the media device.

void TForm1::PlayCurrent()
{
}

void TForm1::StopIfPlaying()
{
}

std::string TForm1::FormatTime(int32_t milliseconds)
{
    const int32_t minutes = (milliseconds / 1000) / 60;
    const int32_t seconds = (milliseconds - minutes * 60000) / 1000;
    return TwoDigits(minutes) + ":" + TwoDigits(seconds);
}

void TForm1::BtnLClick()
{
}
void TForm1::BitBtn3Click()
{
}
void TForm1::BtnSClick()
{
}
void TForm1::FLBClick()
{
}
void TForm1::Media1Notify()
{
}
void TForm1::Timer1Timer()
{
}
void TForm1::LSourceChange()
{
}
void TForm1::RSourceClick()
{
}
