#include "platform/paths/TextPath.h"

#include <QByteArray>
#include <QString>
#include <algorithm>

namespace TextPath {

namespace {

bool IsUtf8(const std::string& text)
{
    const QByteArray bytes = QByteArray::fromRawData(text.data(), qsizetype(text.size()));
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

template <typename AsciiMap, typename WideMap>
std::string MapCase(const std::string& text, AsciiMap ascii, WideMap wide)
{
    if (IsAscii(text) || !IsUtf8(text)) {
        std::string out = text;
        std::transform(out.begin(), out.end(), out.begin(), ascii);
        return out;
    }
    return wide(QString::fromUtf8(text.data(), qsizetype(text.size()))).toStdString();
}

} // namespace

bool IsAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

char AsciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string LowerText(const std::string& text)
{
    return MapCase(text, AsciiLower, [](const QString& s) { return s.toLower(); });
}

std::string UpperText(const std::string& text)
{
    return MapCase(text, AsciiUpper, [](const QString& s) { return s.toUpper(); });
}

std::string FolderPart(const std::string& path)
{
    const auto end = path.find_last_of("\\:");
    return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

std::string FolderOf(const std::string& path)
{
    const size_t separator = path.find_last_of("\\:");
    if (separator == std::string::npos)
        return {};
    return path.substr(0, path[separator] == ':' ? separator + 1 : separator);
}

std::string WithoutFinalBackslashes(std::string path)
{
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    return path;
}

std::string NameOf(const std::string& path)
{
    const size_t separator = path.find_last_of("\\:");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

} // namespace TextPath
