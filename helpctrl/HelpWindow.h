#pragma once
// Basic idea: the help window, one per compiled help file: an HTML view whose pages, images and
// style sheets come out of the file (links inside it work; links out of it go to the desktop's
// browser), captioned with the file's title. The control keeps every window it made and closes
// them all on request; a window the user closes is only hidden and reused by the next request for
// its file. UI thread only.

#include "helpctrl/ChmFile.h"

#include <QTextBrowser>
#include <memory>

class HelpWindow : public QTextBrowser
{
public:
    explicit HelpWindow(std::unique_ptr<ChmFile> file);

    const ChmFile& File() const { return *m_File; }

    // Shows a topic (an object path of the file, optionally with "#anchor") and brings the window up.
    void ShowTopic(const std::string& topic);

    // The address of an object of the file inside the view.
    static QUrl UrlOf(const std::string& objectPath);

protected:
    QVariant loadResource(int type, const QUrl& name) override;

private:
    std::unique_ptr<ChmFile> m_File;
};
