#pragma once
// Basic idea: the little binary form in which the reading program hands the window what it took
// from a help file: 32-bit numbers and texts with a 32-bit length, in the machine's byte order
// (both ends are the same build). Every read fails once the bytes run out, so damaged bytes give
// nothing rather than something wrong. Plain C++; any thread.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace ByteCodec {

inline void PutNumber(std::string& out, uint32_t value)
{
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

inline void PutText(std::string& out, const std::string& text)
{
    PutNumber(out, uint32_t(text.size()));
    out += text;
}

class Reader
{
public:
    explicit Reader(std::string_view bytes) : m_Bytes(bytes) {}
    bool Number(uint32_t& value)
    {
        if (m_Bytes.size() - m_At < sizeof value)
            return false;
        std::memcpy(&value, m_Bytes.data() + m_At, sizeof value);
        m_At += sizeof value;
        return true;
    }
    bool Text(std::string& text)
    {
        uint32_t length = 0;
        if (!Number(length) || length > m_Bytes.size() - m_At)
            return false;
        text.assign(m_Bytes.substr(m_At, length));
        m_At += length;
        return true;
    }
    bool AtEnd() const { return m_At == m_Bytes.size(); }
    size_t Left() const { return m_Bytes.size() - m_At; }

private:
    std::string_view m_Bytes;
    size_t m_At = 0;
};

} // namespace ByteCodec
