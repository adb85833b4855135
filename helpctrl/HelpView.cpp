#include "helpctrl/HelpView.h"

#include "helpctrl/TopicText.h"

#include <QDesktopServices>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>

namespace {
// Pages of the file live under this address scheme, so that relative links resolve inside it.
const QString Scheme = QStringLiteral("chm");
} // namespace

HelpView::HelpView(const ChmFile& file, QWidget* parent) : QTextBrowser(parent), m_File(file)
{
    // Links into the file are followed here; any other address goes to the desktop's browser.
    setOpenLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) {
        const QUrl target = link.isRelative() ? source().resolved(link) : link;
        if (target.scheme() == Scheme)
            setSource(target, QTextDocument::HtmlResource);
        else
            QDesktopServices::openUrl(target);
    });
    // Every page change but ShowTopic's own (a link, Back, Forward) drops the highlight: the
    // marks of one page must not stay on the text of another.
    connect(this, &QTextBrowser::sourceChanged, this, [this] {
        if (!m_Showing)
            m_Highlight.clear();
        ApplyHighlight();
    });
}

QUrl HelpView::UrlOf(const std::string& objectPath)
{
    QUrl url;
    url.setScheme(Scheme);
    const size_t hash = objectPath.find('#');
    url.setPath(QString::fromUtf8(objectPath.substr(0, hash)));
    if (hash != std::string::npos)
        url.setFragment(QString::fromUtf8(objectPath.substr(hash + 1)));
    return url;
}

void HelpView::ShowTopic(const std::string& topic, std::vector<std::string> highlight)
{
    m_Highlight = std::move(highlight);
    m_Showing = true;
    setSource(UrlOf(topic), QTextDocument::HtmlResource);
    m_Showing = false;
    // Showing the page already shown changes no source: the marks are set here all the same.
    ApplyHighlight();
}

void HelpView::ApplyHighlight()
{
    std::vector<std::string> forms;
    for (const std::string& word : m_Highlight)
        for (std::string& form : TopicText::WordForms(word))
            forms.push_back(std::move(form));
    QList<QTextEdit::ExtraSelection> selections;
    QTextCharFormat marked;
    marked.setBackground(QColor(255, 225, 60));
    marked.setForeground(Qt::black);
    for (QTextBlock block = document()->begin(); block.isValid() && !forms.empty(); block = block.next()) {
        const QString text = block.text();
        const std::u16string_view units(reinterpret_cast<const char16_t*>(text.constData()),
                                        size_t(text.size()));
        TopicText::ForEachWord(units, [&](const TopicText::Word& word) {
            if (std::find(forms.begin(), forms.end(), word.Folded) == forms.end())
                return;
            QTextCursor cursor(document());
            cursor.setPosition(block.position() + int(word.Begin));
            cursor.setPosition(block.position() + int(word.End), QTextCursor::KeepAnchor);
            selections.append({cursor, marked});
        });
    }
    setExtraSelections(selections);
    // The first mark is brought into view, unless the address names a place of its own.
    if (!selections.isEmpty() && source().fragment().isEmpty()) {
        QTextCursor first = selections.front().cursor;
        first.clearSelection();
        setTextCursor(first);
        ensureCursorVisible();
    }
}

QVariant HelpView::loadResource(int type, const QUrl& name)
{
    if (name.scheme() != Scheme)
        return QTextBrowser::loadResource(type, name);
    const std::string path = m_File.FindTopic(name.path().toStdString());
    const auto contents = path.empty() ? std::nullopt : m_File.Read(path);
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
