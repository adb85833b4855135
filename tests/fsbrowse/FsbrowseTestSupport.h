#pragma once
// Helpers of the list tests: the lines of a list, the leftmost painted column of one line, the
// exception a call raises, and a locale for the lists' order.

#include "fsbrowse/ListLines.h"
#include "platform/services/Exceptions.h"

#include <QImage>
#include <QLocale>
#include <QPainter>
#include <functional>
#include <optional>
#include <string>
#include <vector>

inline std::vector<std::string> LinesOf(const TCustomListBox& list)
{
    std::vector<std::string> lines;
    for (int i = 0; i < list.Count(); ++i)
        lines.push_back(list.Item(i));
    return lines;
}

// Paints one line on white and returns the image.
template <typename Paint> QImage PaintLine(int width, int height, Paint paint)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paint(painter, QRect(0, 0, width, height));
    return image;
}

// The first column, from `from` on, that holds a pixel other than white; -1 when none.
inline int FirstInkColumn(const QImage& image, int from = 0)
{
    for (int x = from; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                return x;
    return -1;
}

// The first column of a glyph that is not transparent.
inline int FirstOpaqueColumn(const QPixmap& glyph)
{
    const QImage image = glyph.toImage();
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (qAlpha(image.pixel(x, y)) != 0)
                return x;
    return -1;
}

// The I/O error code a call raises, or nullopt when it raises none.
inline std::optional<int> InOutErrorOf(const std::function<void()>& call, std::string* message = nullptr)
{
    try {
        call();
    } catch (const EInOutError& error) {
        if (message)
            *message = error.Message();
        return error.ErrorCode();
    }
    return std::nullopt;
}

// Makes `locale` the user's locale for the lists' order; the system's comes back at the end.
class LocaleScope
{
public:
    explicit LocaleScope(const QLocale& locale) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(QLocale::system()); }
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;
};
