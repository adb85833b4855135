#pragma once
// Basic idea: the player's one window, TForm1. Its design (positions, fonts, texts, tab order,
// bindings) is the Designer file principale.ui; this class holds the window-level state and the
// handlers the design binds: start-up and shut-down of the window, the playback controller, the
// settings file and the notification area. Each handler runs inside RunHandler, so an error it
// raises ends it and shows in the standard error box. UI thread only.

#include "ui_principale.h"

#include <QWidget>
#include <cstdint>
#include <string>

// Program-wide playback state.
extern bool PlayActive;         // the play sequence is running
extern int32_t PlayIndex;       // file-list line to play next
extern std::string SourceDir;   // directory whose files are played
extern std::string CurrentFile; // text of the file-list line last taken
extern std::string CurrentPath; // SourceDir + "\" + CurrentFile

class TForm1 : public QWidget, public Ui::TForm1
{
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Window-level state.
    char SavedDrive = 0;
    std::string SavedDir;
    std::string IniFileName;
    int32_t SavedIndex = 0;
    bool Initialising = false;

    // The about box's text.
    static std::string AboutText();
    // Where the window's frame goes on the screen's available area when it is first shown.
    static QPoint PlaceOnScreen(const QRect& area, const QSize& frame);

    void FormCreate();
    void FormShow();
    void FormClose();
    void FormDestroy();

    // Playback controller.
    void PlayCurrent();
    void StopIfPlaying();
    static std::string FormatTime(int32_t milliseconds);
    // The file-list lines a step forward and a step back in the sequence lead to, and any line
    // number brought round the list; -1 when the list is empty.
    int32_t NextLine() const;
    int32_t PreviousLine() const;
    int32_t RoundTheList(int32_t line) const;

    // Settings file.
    void LoadSettings();
    void SaveSettings();
    void RememberSource();

public slots:
    void BitBtn1Click();
    void Button1Click();
    void BtnLClick();
    void BitBtn3Click();
    void BtnSClick();
    void FLBClick();
    void Media1Notify();
    void Timer1Timer();
    void LSourceChange();
    void RSourceClick();
    void BitBtn4Click();
    void TrayIconClick();
    void Agran1Click();
    void Quitter1Click();
    void applicationEventsMinimize();
    void applicationEventsRestore();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool m_Shown = false;

    void SetFontsAndGlyphs();
};
