// The help's page of error messages and the messages the program shows, held together: every
// message the page explains is one the program can show, and every message of the catalogue that
// a user meets has its line on the page.

#include "texts/French.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <gtest/gtest.h>
#include <iterator>

namespace {

// A message as the box shows it and the page writes it: the page's typographic apostrophe is the
// program's plain one, the final stop is left out, and "…" (or "%1") stands for the part that
// changes, followed on the page by a note in brackets on what it is.
QString Comparable(QString message)
{
    message.replace(QChar(0x2019), QLatin1Char('\'')).replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
    message.replace(QRegularExpression(QStringLiteral("…(\\s*\\([^)]*\\))?")), QStringLiteral("%1"));
    message = message.trimmed();
    if (message.endsWith(QLatin1Char('.')))
        message.chop(1);
    return message;
}

// Whether a page's message is the catalogue's `text`, its changing part being anything.
bool Matches(const QString& text, const QString& pageMessage)
{
    QStringList parts = Comparable(text).split(QStringLiteral("%1"));
    for (QString& part : parts)
        part = QRegularExpression::escape(part);
    const QString pattern = parts.join(QStringLiteral(".+"));
    return QRegularExpression(QStringLiteral("^(?:%1)$").arg(pattern))
        .match(Comparable(pageMessage))
        .hasMatch();
}

TEST(ErrorPageTest, ThePageExplainsTheMessagesTheProgramShowsAndNoOther)
{
    QFile page(QStringLiteral(QUELMO_HELP_SOURCE "/pages/erreurs.htm"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());
    // The first cell of each row is a message, but for the row that tells of no message at all.
    QStringList messages;
    const QRegularExpression firstCell(QStringLiteral("<tr><td>(.*?)</td>"));
    for (auto match = firstCell.globalMatch(html); match.hasNext();) {
        const QString cell = match.next().captured(1).remove(QRegularExpression(QStringLiteral("<[^>]*>")));
        if (!cell.startsWith(QLatin1Char('(')))
            messages.append(cell);
    }
    ASSERT_GE(messages.size(), 10);

    const auto catalogued = [](const QString& message) {
        return std::any_of(std::begin(Texts::Documented), std::end(Texts::Documented),
                           [&](const char* text) { return Matches(QString::fromUtf8(text), message); });
    };
    for (const QString& message : messages)
        EXPECT_TRUE(catalogued(message))
            << "the page explains a message the program never shows: " << message.toStdString();
    for (const char* text : Texts::Documented) {
        EXPECT_TRUE(
            std::any_of(messages.begin(), messages.end(),
                        [&](const QString& message) { return Matches(QString::fromUtf8(text), message); }))
            << "the page does not explain: " << text;
    }
}

} // namespace
