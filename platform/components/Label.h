#pragma once
// Basic idea: a label that sizes itself to the text it shows, keeping its top-left corner, as a
// label of the window design does. The design's own size stands until the first SetCaption.

#include <QLabel>

class TLabel : public QLabel
{
    Q_OBJECT
public:
    explicit TLabel(QWidget* parent = nullptr) : QLabel(parent) {}

    // Shows a path text or a name (bytes, UTF-8 where valid) and fits the label to it; Caption
    // gives the text shown, as UTF-8. Throw nothing.
    void SetCaption(const std::string& text);
    std::string Caption() const { return text().toStdString(); }
    // Re-fits the label after a font change; an empty caption makes it zero wide. Throws nothing.
    void FitToText();
    // Sets the font's bold and italic switches, keeping its family and size. Throws nothing.
    void SetFontStyle(bool bold, bool italic);

private:
};
