#include "lengths/UpdateVersionFile.h"

#include "lengths/UpdateList.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace lengths {

namespace {

// The digits of text as a number; nothing when any character is not a digit.
std::optional<int> digits(std::string_view text)
{
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string_view part(std::string_view text, std::size_t from, std::size_t length)
{
    return from < text.size() ? text.substr(from, length) : std::string_view();
}

} // namespace

UpdateVersionFile::UpdateVersionFile(std::string programFolder)
    : m_path(platform::joinPath(programFolder, "lgt_versie.txt"))
{
}

void UpdateVersionFile::read()
{
    const auto text = platform::readFile(m_path);
    m_exists = text.has_value();
    m_text = text.value_or(std::string());
}

std::string UpdateVersionFile::version() const
{
    return std::string(part(m_text, 0, kVersionLength));
}

std::optional<platform::Date> UpdateVersionFile::date() const
{
    return parseDate(part(m_text, kVersionLength + 1, 10));
}

bool UpdateVersionFile::write(std::string_view version, const platform::Date& date, platform::Messages& messages)
{
    const std::string text = format(version, date);
    const platform::WriteResult written = platform::replaceFile(m_path, text);
    if (!written) {
        messages.error("Fout bij aanmaken lgt_versie.txt " + written.osError);
        return false;
    }
    m_text = text;
    m_exists = true;
    return true;
}

std::string UpdateVersionFile::statusText() const
{
    return "Versie " + version();
}

std::string UpdateVersionFile::format(std::string_view version, const platform::Date& date)
{
    std::string text(version.substr(0, kVersionLength));
    text.resize(kVersionLength, ' ');
    return text + ' ' + platform::formatDate(date);
}

std::optional<platform::Date> UpdateVersionFile::parseDate(std::string_view text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return std::nullopt;
    }
    const auto year = digits(text.substr(0, 4));
    const auto month = digits(text.substr(5, 2));
    const auto day = digits(text.substr(8, 2));
    if (!year || !month || !day) {
        return std::nullopt;
    }
    const platform::Date date { *year, *month, *day };
    if (!platform::isValidDate(date)) {
        return std::nullopt;
    }
    return date;
}

} // namespace lengths
