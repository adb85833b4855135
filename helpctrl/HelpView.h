#pragma once
// Basic idea: the topic pane of the help window: an HTML view whose pages, images and style sheets
// come out of the help file (links inside it work; links out of it go to the desktop's browser).
// A topic chosen in the search is shown with the searched words highlighted (compared as the search
// compares them: folded, plural or singular, TopicText.h); any other way to a page shows it plain. UI thread
// only.

#include "helpctrl/ChmFile.h"

#include <QTextBrowser>
#include <string>
#include <vector>

class HelpView : public QTextBrowser
{
public:
    HelpView(const ChmFile& file, QWidget* parent);

    // Shows a topic (an object path of the file, optionally with "#anchor"), its words among
    // `highlight` (folded) marked.
    void ShowTopic(const std::string& topic, std::vector<std::string> highlight = {});

    // The address of an object of the file inside the view.
    static QUrl UrlOf(const std::string& objectPath);

protected:
    QVariant loadResource(int type, const QUrl& name) override;

private:
    void ApplyHighlight();

    const ChmFile& m_File;
    std::vector<std::string> m_Highlight;
    bool m_Showing = false;
};
