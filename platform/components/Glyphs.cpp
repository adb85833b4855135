#include "platform/components/Glyphs.h"

#include <QAbstractButton>
#include <QBitmap>
#include <QImage>
#include <QImageReader>

QImage ResourceImage(const QString& path)
{
    QImageReader reader(path, path.endsWith(QLatin1String(".png")) ? "PNG" : "BMP");
    // Even with the format given, a reader that may detect it asks every plugin first.
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

QPixmap ResourceBitmap(const QString& path)
{
    return QPixmap::fromImage(ResourceImage(path));
}

QPixmap TransparentGlyph(const QPixmap& bitmap)
{
    if (bitmap.isNull())
        return bitmap;
    const QImage image = bitmap.toImage();
    const QRgb transparent = image.pixel(0, image.height() - 1);
    QPixmap result = bitmap;
    result.setMask(QBitmap::fromImage(image.createMaskFromColor(transparent, Qt::MaskInColor)));
    return result;
}

void MakeGlyphTransparent(QAbstractButton* button)
{
    const QSize size = button->iconSize();
    const QPixmap glyph = button->icon().pixmap(size);
    if (!glyph.isNull())
        button->setIcon(QIcon(TransparentGlyph(glyph)));
}
