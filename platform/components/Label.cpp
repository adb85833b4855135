#include "platform/components/Label.h"

void TLabel::SetCaption(const std::string& text)
{
    setText(QString::fromUtf8(text));
    FitToText();
}

void TLabel::FitToText()
{
    ensurePolished();
    const QFontMetrics metrics(font());
    const int width = text().isEmpty() ? 0 : metrics.horizontalAdvance(text());
    resize(width, metrics.height());
}

void TLabel::SetFontStyle(bool bold, bool italic)
{
    QFont changed = font();
    changed.setBold(bold);
    changed.setItalic(italic);
    setFont(changed);
    FitToText();
}
