#pragma once

#include <string_view>

namespace platform {

// Walks the lines of a text held in memory, without copying. A line ends at LF; a CR right
// before the LF belongs to the line end. A last line without an end still counts, and an end at
// the very end of the text adds no empty line.
class TextLines
{
public:
    explicit TextLines(std::string_view text)
        : m_text(text)
    {
    }

    // The next line, or false at the end of the text.
    bool next(std::string_view& line)
    {
        if (m_at >= m_text.size()) {
            return false;
        }
        const std::size_t end = m_text.find('\n', m_at);
        if (end == std::string_view::npos) {
            line = m_text.substr(m_at);
            m_at = m_text.size();
            return true;
        }
        std::size_t length = end - m_at;
        if (length > 0 && m_text[end - 1] == '\r') {
            --length;
        }
        line = m_text.substr(m_at, length);
        m_at = end + 1;
        return true;
    }

private:
    std::string_view m_text;
    std::size_t m_at = 0;
};

} // namespace platform
