#pragma once
// Basic idea: glyphs are small bitmaps whose lower-left pixel gives the colour drawn as
// transparent, as bitmap buttons and owner-drawn lists show them.

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

class QAbstractButton;

// A bitmap of the program's resources (".bmp", else ".png"), read as that format: an image whose
// format is left to guess is offered to every image plugin, each loaded for it, which costs the
// start-up several milliseconds. A null image when it cannot be read. Throws nothing.
QImage ResourceImage(const QString& path);
// The same as a pixmap, for icons. Throws nothing.
QPixmap ResourceBitmap(const QString& path);

// The bitmap with every pixel of its lower-left pixel's colour made transparent; a null bitmap
// comes back as it is. Throws nothing.
QPixmap TransparentGlyph(const QPixmap& bitmap);

// Gives a button's icon (the button must not be null) the transparent colour of its glyph; a
// button without an icon is left as it is. Throws nothing.
void MakeGlyphTransparent(QAbstractButton* button);
