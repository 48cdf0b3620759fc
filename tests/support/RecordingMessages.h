#pragma once

#include "platform/Messages.h"

#include <deque>
#include <string>
#include <vector>

namespace testing_support {

// Records every message the code under test shows and answers questions from a script
// (No when the script has run out).
class RecordingMessages final : public platform::Messages
{
public:
    enum class Kind { Error, Message, Question };

    struct Entry
    {
        Kind kind;
        std::string text;
        std::string caption;
        platform::MessageIcon icon;
    };

    void error(const std::string& text) override
    {
        m_entries.push_back({ Kind::Error, text, "Fout", platform::MessageIcon::Critical });
    }

    void message(const std::string& text, const std::string& caption, platform::MessageIcon icon) override
    {
        m_entries.push_back({ Kind::Message, text, caption, icon });
    }

    bool question(const std::string& text, const std::string& caption, platform::MessageIcon icon) override
    {
        m_entries.push_back({ Kind::Question, text, caption, icon });
        if (m_answers.empty()) {
            return false;
        }
        const bool answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }

    void setNextAnswer(bool yes) { m_answers.push_back(yes); }

    const std::vector<Entry>& entries() const { return m_entries; }
    bool empty() const { return m_entries.empty(); }
    size_t size() const { return m_entries.size(); }
    const Entry& last() const { return m_entries.back(); }
    void clear() { m_entries.clear(); }

    // The texts alone, in order: what most tests compare.
    std::vector<std::string> texts() const
    {
        std::vector<std::string> result;
        for (const auto& entry : m_entries) {
            result.push_back(entry.text);
        }
        return result;
    }

private:
    std::vector<Entry> m_entries;
    std::deque<bool> m_answers;
};

} // namespace testing_support
