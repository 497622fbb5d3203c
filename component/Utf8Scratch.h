#pragma once

#include <QString>
#include <QStringEncoder>

#include <cstddef>
#include <vector>

namespace orb {

// UTF-8 of a text in a buffer reused across calls: writing a 100k-row document would
// otherwise allocate one byte array per cell.
class Utf8Scratch
{
public:
    // The text's bytes, null-terminated; valid until the next call.
    const char* convert(QStringView text, std::size_t& length)
    {
        const std::size_t needed = std::size_t(text.size()) * 3 + 1;
        if (m_buffer.size() < needed)
            m_buffer.resize(needed);
        char* end = m_encoder.appendToBuffer(m_buffer.data(), text);
        length = std::size_t(end - m_buffer.data());
        *end = '\0';
        return m_buffer.data();
    }

private:
    QStringEncoder m_encoder{QStringEncoder::Utf8, QStringEncoder::Flag::Stateless};
    std::vector<char> m_buffer;
};

} // namespace orb
