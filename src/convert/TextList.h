#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace convert {

// Many short texts kept back to back in one string, for the values of a long order: one
// allocation grows instead of one per value.
class TextList
{
public:
    std::size_t count() const { return m_ends.size(); }

    std::string_view at(std::size_t index) const
    {
        const std::size_t begin = index == 0 ? 0 : m_ends[index - 1];
        return std::string_view(m_texts).substr(begin, m_ends[index] - begin);
    }

    // A text may be handed over in parts; endText closes it.
    void append(std::string_view part) { m_texts.append(part); }
    void endText() { m_ends.push_back(m_texts.size()); }

    void add(std::string_view text)
    {
        append(text);
        endText();
    }

    void clear()
    {
        m_texts.clear();
        m_ends.clear();
    }

private:
    std::string m_texts;
    std::vector<std::size_t> m_ends;
};

} // namespace convert
