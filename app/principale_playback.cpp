// The playback controller of TForm1: the play sequence over the file list, the time display and
// the choice of the source directory.

#include "app/principale.h"
#include "common/PathHelpers.h"
#include "fsbrowse/FileCtrl.h"
#include "platform/components/Application.h"
#include "texts/French.h"

namespace {

void ProcessMessages()
{
    if (TApplication* app = TApplication::Instance())
        app->ProcessMessages();
}

} // namespace

void TForm1::PlayCurrent()
{
    ProcessMessages();
    // A "Stop" handled just now wins over the sequence.
    if (!PlayActive) {
        Media1->SetNotify(false);
        Media1->Stop();
        Media1->Close();
        return;
    }
    if (PlayIndex > FLB->Count() - 1)
        PlayIndex = 0;
    if (FLB->Count() == 0)
        return;
    CurrentFile = FLB->Item(PlayIndex);
    CurrentPath = SourceDir + "\\" + CurrentFile;
    if (!FileCtrl::FileExists(CurrentPath))
        return;

    setWindowTitle(QString::fromUtf8(CurrentFile));
    LabInfo1->SetCaption(CurrentFile);
    if (TApplication* app = TApplication::Instance())
        app->SetTitle(CurrentFile);

    Media1->SetNotify(false);
    Media1->Close();
    Media1->FileName = CurrentPath;
    Media1->SetNotify(false);
    Media1->Open();
    Media1->SetNotify(true);
    Media1->Play();
    ++PlayIndex;
}

// PlayIndex names the line after the one last started (or the line the user chose), so it is the
// next line whether or not a file plays. The line before is one further back while the sequence
// holds a file, playing or paused, since that file's line is PlayIndex - 1.
int32_t TForm1::NextLine() const
{
    return RoundTheList(PlayIndex);
}

int32_t TForm1::PreviousLine() const
{
    const TMPMode mode = Media1->GetMode();
    const bool holdsAFile = PlayActive && (mode == mpPlaying || mode == mpPaused);
    return RoundTheList(PlayIndex - (holdsAFile ? 2 : 1));
}

int32_t TForm1::RoundTheList(int32_t line) const
{
    const int32_t count = FLB->Count();
    return count > 0 ? ((line % count) + count) % count : -1;
}

void TForm1::StopIfPlaying()
{
    if (Media1->GetMode() != mpPlaying)
        return;
    Media1->SetNotify(false);
    Media1->Stop();
    Media1->SetNotify(false);
    Media1->Close();
}

std::string TForm1::FormatTime(int32_t milliseconds)
{
    const int32_t minutes = (milliseconds / 1000) / 60;
    const int32_t seconds = (milliseconds - minutes * 60000) / 1000;
    return TwoDigits(minutes) + ":" + TwoDigits(seconds);
}

void TForm1::BtnLClick()
{
    RunHandler([this] {
        ProcessMessages();
        if (PlayActive && Media1->GetMode() == mpPaused) {
            Media1->SetNotify(false);
            Media1->Resume();
            return;
        }
        if (FLB->Count() == 0)
            return;
        // The first line counts as "no choice": the sequence goes on where it was.
        if (FLB->ItemIndex() > 0)
            PlayIndex = FLB->ItemIndex();
        PlayActive = true;
        PlayCurrent();
    });
}

void TForm1::BitBtn3Click()
{
    RunHandler([this] {
        if (!PlayActive)
            return;
        Media1->SetNotify(false);
        switch (Media1->GetMode()) {
        case mpPlaying:
            Media1->Pause();
            break;
        case mpPaused:
            Media1->Resume();
            break;
        default:
            break;
        }
    });
}

void TForm1::BtnSClick()
{
    RunHandler([this] {
        ProcessMessages();
        PlayActive = false;
        StopIfPlaying();
        LabInfo2->SetCaption("");
    });
}

void TForm1::FLBClick()
{
    RunHandler([this] {
        StopIfPlaying();
        PlayIndex = FLB->ItemIndex();
    });
}

void TForm1::Media1Notify()
{
    RunHandler([this] {
        if (!PlayActive || Media1->NotifyValue() != nvSuccessful)
            return;
        Media1->Stop();
        PlayCurrent();
    });
}

void TForm1::Timer1Timer()
{
    RunHandler([this] {
        if (!PlayActive)
            return;
        switch (Media1->GetMode()) {
        case mpPlaying: {
            const int32_t position = Media1->GetPosition();
            const int32_t length = Media1->GetLength();
            LabInfo2->SetFontStyle(false, true);
            LabInfo2->SetCaption(FormatTime(position) + " / " + FormatTime(length));
            break;
        }
        case mpPaused:
            LabInfo2->SetFontStyle(true, false);
            LabInfo2->SetCaption(Texts::PausedLabel);
            break;
        default:
            LabInfo2->SetCaption(Texts::NoPositionLabel);
            break;
        }
    });
}

void TForm1::LSourceChange()
{
    RunHandler([this] {
        if (Initialising)
            return;
        RSource->SetDrive(LSource->Drive());
        RSource->Rebuild();
    });
}

void TForm1::RSourceClick()
{
    RunHandler([this] {
        LabSource->SetCaption(RSource->Directory());
        // The first line, the drive's root, is never taken as a source.
        if (RSource->ItemIndex() > 0) {
            SourceDir = RSource->Directory() + "\\" + RSource->Item(RSource->ItemIndex());
            if (FileCtrl::DirExists(SourceDir)) {
                FLB->ApplyPath(SourceDir);
                LabSource->SetCaption(SourceDir);
                PlayIndex = 0;
            }
        }
        SavedIndex = RSource->ItemIndex();
    });
}
