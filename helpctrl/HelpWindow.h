#pragma once
// Basic idea: the help window, one per compiled help file, captioned with the file's title. Beside
// the topic (HelpView.h) a navigation pane that can be hidden holds the tabs the file has
// something for: "Sommaire", "Index" and "Rechercher" (NavigationPanes.h). A toolbar above holds
// "Masquer"/"Afficher", "Précédent", "Suivant", "Accueil" (the file's default topic) and
// "Imprimer", with their shortcuts. The window comes back where the user left it
// (WindowRecord.h). The control keeps every window it made and closes them all on request; a
// window the user closes is only hidden and reused by the next request for its file. UI thread
// only.

#include "helpctrl/ChmFile.h"

#include <QMainWindow>
#include <memory>
#include <string>
#include <vector>

class ContentsPane;
class HelpView;
class QSplitter;
class QTabWidget;

class HelpWindow : public QMainWindow
{
public:
    explicit HelpWindow(std::unique_ptr<ChmFile> file);
    ~HelpWindow() override;

    const ChmFile& File() const { return *m_File; }

    // Shows a topic (an object path of the file, optionally with "#anchor") and brings the window up.
    void ShowTopic(const std::string& topic);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildPanes();
    void BuildToolBar();
    void Show(const std::string& topic, std::vector<std::string> words);
    void SetPaneShown(bool shown);
    void ShowPaneAsItWas();
    void Print();
    void Restore();
    void KeepOnScreens();
    void Save();

    std::unique_ptr<ChmFile> m_File;
    QSplitter* m_Splitter;
    QTabWidget* m_Tabs;
    HelpView* m_View;
    ContentsPane* m_Contents = nullptr;
    QAction* m_PaneAction = nullptr;
    QByteArray m_Place;     // where the window was when last closed (its saved geometry)
    QByteArray m_PaneState; // the splitter's state while the pane was last shown
    bool m_PaneShown = true;
    bool m_WasShown = false;
    bool m_InFrench = false;
};
