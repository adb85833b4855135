#include "desktop/PlayerRemote.h"

#include "app/principale.h"
#include "platform/components/Application.h"

#include <algorithm>

PlayerRemote::PlayerRemote(TForm1& form) : QObject(&form), m_Form(form)
{
}

TMPMode PlayerRemote::DeviceMode() const
{
    // The device raises for a query while it is closed; closed counts as not ready.
    return m_Form.Media1->Opened() ? m_Form.Media1->GetMode() : mpNotReady;
}

PlayerRemote::Status PlayerRemote::CurrentStatus() const
{
    // After "Stop" the device may stay paused and open; the user has stopped all the same.
    if (!PlayActive)
        return Status::Stopped;
    switch (DeviceMode()) {
    case mpPlaying:
        return Status::Playing;
    case mpPaused:
        return Status::Paused;
    default:
        return Status::Stopped;
    }
}

std::string PlayerRemote::OpenFile() const
{
    return PlayActive && m_Form.Media1->Opened() ? m_Form.Media1->FileName : std::string();
}

int32_t PlayerRemote::PositionMs() const
{
    return OpenFile().empty() ? 0 : m_Form.Media1->GetPosition();
}

int32_t PlayerRemote::LengthMs() const
{
    return OpenFile().empty() ? 0 : m_Form.Media1->GetLength();
}

bool PlayerRemote::HasLines() const
{
    return m_Form.FLB->Count() > 0;
}

void PlayerRemote::Play()
{
    if (CurrentStatus() != Status::Playing)
        m_Form.BtnLClick();
    emit Acted();
}

void PlayerRemote::Pause()
{
    if (CurrentStatus() == Status::Playing)
        m_Form.BitBtn3Click();
    emit Acted();
}

void PlayerRemote::PlayPause()
{
    // "Pause" acts on a running sequence only: a file that "Stop" left paused (reported as stopped),
    // like no file at all, is started anew, as "Lecture" does.
    if (CurrentStatus() != Status::Stopped)
        m_Form.BitBtn3Click();
    else
        m_Form.BtnLClick();
    emit Acted();
}

void PlayerRemote::Stop()
{
    m_Form.BtnSClick();
    emit Acted();
}

// A line that started nothing (it failed to open, or its file has gone) leaves PlayIndex on itself:
// from there Next and Previous move on from that line, so that repeated requests walk the whole
// list. Otherwise the window's sequence says which line is next and which is before.
void PlayerRemote::Next()
{
    const int failed = FailedLine();
    if (HasLines())
        StartLine(failed >= 0 ? m_Form.RoundTheList(failed + 1) : m_Form.NextLine());
    emit Acted();
}

void PlayerRemote::Previous()
{
    const int failed = FailedLine();
    if (HasLines())
        StartLine(failed >= 0 ? m_Form.RoundTheList(failed - 1) : m_Form.PreviousLine());
    emit Acted();
}

int PlayerRemote::FailedLine() const
{
    return m_Failed >= 0 && m_Failed == PlayIndex ? m_Failed : -1;
}

void PlayerRemote::PlayLine(int line)
{
    StartLine(line);
    emit Acted();
}

void PlayerRemote::StartLine(int line)
{
    if (line < 0 || line >= m_Form.FLB->Count())
        return;
    m_Form.FLB->SetItemIndex(line);
    m_Form.FLBClick();
    // "Lecture" resumes a paused sequence instead of starting the chosen line: end it first.
    if (PlayActive && DeviceMode() == mpPaused)
        m_Form.BtnSClick();
    m_Failed = line;
    m_Form.BtnLClick();
    if (PlayIndex != line)
        m_Failed = -1;
}

bool PlayerRemote::MoveTo(int32_t ms)
{
    if (OpenFile().empty())
        return false;
    bool moved = false;
    RunHandler([&] {
        TMediaPlayer& media = *m_Form.Media1;
        media.MoveTo(std::clamp(ms, 0, media.GetLength()));
        moved = media.Error() == 0;
    });
    m_Form.Timer1Timer();
    emit Acted();
    return moved;
}

void PlayerRemote::Raise()
{
    m_Form.TrayIconClick();
    emit Acted();
}

void PlayerRemote::Quit()
{
    m_Form.Quitter1Click();
}
