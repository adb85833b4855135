#include "platform/Label.h"

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
    // The design gives fonts through style sheets, which win over setFont(): restate the font there.
    ensurePolished();
    const QFont current = font();
    const QString size = current.pixelSize() > 0 ? QString("%1px").arg(current.pixelSize())
                                                 : QString("%1pt").arg(current.pointSizeF());
    setStyleSheet(QString("font: %1%2%3 \"%4\";")
                      .arg(bold ? "bold " : "", italic ? "italic " : "", size, current.family()));
    FitToText();
}
