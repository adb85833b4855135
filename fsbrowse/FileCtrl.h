#pragma once
// Basic idea: the path helpers that the drive, directory and file lists share (unit FileCtrl):
// splitting and joining path texts, the drive part, the directory test, and the I/O error rule
// (every failure to make a directory current raises EInOutError with the platform's code). Also
// the pieces of the lists' look that all three share: the order of names, the locale's
// case mapping, glyph loading with a transparent colour, and the font's line height. UI thread
// only, like the emulated current directory these helpers read and change.

#include "platform/paths/TextPath.h"

#include <QFont>
#include <QPixmap>
#include <string>
#include <string_view>
#include <vector>

namespace FileCtrl {

// "c:" for "c:\x"; "\\server\share" for a network path; else empty.
std::string DrivePart(const std::string& text);
// dir + name, with one "\" between them.
std::string JoinPath(const std::string& dir, const std::string& name);
// The path names an existing directory (DirExists) or an existing file (FileExists). When the
// path's drive did not answer in time, raise EInOutError (not ready) with a message that names the
// drive.
bool DirExists(const std::string& path);
bool FileExists(const std::string& path);
// The number of "\" in a text.
int BackslashCount(const std::string& text);

// Makes a directory current; raises EInOutError with the platform's code when that fails (naming
// the drive when it did not answer).
void MakeCurrent(const std::string& path);

struct SplitResult
{
    char Drive = 0; // the letter as written, or 0 for none (a network path)
    std::string Dir;
    std::string File;
};
// Splits a path text into drive, directory and file part, resolving a relative text against the
// current directory and taking a last component that names a directory into the directory part.
// The current directory is the same afterwards. Raises EInOutError on a directory that cannot be
// made current.
SplitResult SplitPath(const std::string& text);

// The locale's case mapping of a byte text (UTF-8 where valid, ASCII rules elsewhere).
using TextPath::LowerText;
using TextPath::UpperText;
// The order in which the lists show names: the user locale's collation (a fixed French one when
// the locale is C or POSIX), letter case ignored, accents a secondary difference, digits compared
// as text. Names that collate equal (they differ only in case, or show the same text) follow in
// the order of their bytes, so the order is total and the same at every run. A name that is not
// UTF-8 collates by the text it shows. Each name's key is computed once, so a listing costs one
// key per name and n log n comparisons of keys. Returns the indices of `names` in that order.
std::vector<size_t> SortedOrder(const std::vector<std::string_view>& names);

// The text a byte name shows: UTF-8 where valid, replacement characters elsewhere. The signs that
// carry a "\" or ":" of a name stay as they are, so that such a name never reads as two.
QString DisplayText(const std::string& text);

// A path text shortened to fit `maxWidth` pixels in `font`: the directories after the drive give
// way to "..." one by one from the left; the last name is always kept.
std::string MinimizeName(const std::string& path, const QFont& font, int maxWidth);

// A 16-colour glyph of the lists' resources (":/fsbrowse/glyphs/NAME.bmp"), with the colour of
// its lower-left pixel made transparent.
QPixmap LoadGlyph(const char* name);
// The height of one line of text of a font.
int FontLineHeight(const QFont& font);

} // namespace FileCtrl
