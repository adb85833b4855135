#include "helpctrl/HelpWindow.h"

#include <QDesktopServices>
#include <QStringDecoder>
#include <QTextDocument>

namespace {
// Pages of the file live under this address scheme, so that relative links resolve inside it.
const QString Scheme = QStringLiteral("chm");
} // namespace

HelpWindow::HelpWindow(std::unique_ptr<ChmFile> file) : m_File(std::move(file))
{
    const std::string& title = m_File->Title();
    const std::string& path = m_File->PosixPath();
    setWindowTitle(QString::fromUtf8(title.empty() ? path.substr(path.find_last_of('/') + 1) : title));
    // Links into the file are followed here; any other address goes to the desktop's browser.
    setOpenLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) {
        const QUrl target = link.isRelative() ? source().resolved(link) : link;
        if (target.scheme() == Scheme)
            setSource(target, QTextDocument::HtmlResource);
        else
            QDesktopServices::openUrl(target);
    });
    resize(640, 480);
}

QUrl HelpWindow::UrlOf(const std::string& objectPath)
{
    QUrl url;
    url.setScheme(Scheme);
    const size_t hash = objectPath.find('#');
    url.setPath(QString::fromUtf8(objectPath.substr(0, hash)));
    if (hash != std::string::npos)
        url.setFragment(QString::fromUtf8(objectPath.substr(hash + 1)));
    return url;
}

void HelpWindow::ShowTopic(const std::string& topic)
{
    setSource(UrlOf(topic), QTextDocument::HtmlResource);
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

QVariant HelpWindow::loadResource(int type, const QUrl& name)
{
    if (name.scheme() != Scheme)
        return QTextBrowser::loadResource(type, name);
    const std::string path = m_File->FindTopic(name.path().toStdString());
    const auto contents = path.empty() ? std::nullopt : m_File->Read(path);
    if (!contents)
        return {};
    const QByteArray bytes = QByteArray::fromStdString(*contents);
    if (type != QTextDocument::HtmlResource && type != QTextDocument::StyleSheetResource)
        return bytes;
    // Pages say their encoding in a meta tag; without one they are read as UTF-8.
    QStringDecoder decoder = QStringDecoder::decoderForHtml(bytes);
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Utf8);
    return QString(decoder(bytes));
}
