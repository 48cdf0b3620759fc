#include "lengths/UpdateVersionFile.h"

#include "lengths/UpdateList.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace lengths {

namespace {

std::string_view part(std::string_view text, std::size_t from, std::size_t length)
{
    return from < text.size() ? text.substr(from, length) : std::string_view();
}

} // namespace

UpdateVersionFile::UpdateVersionFile(std::string programFolder)
    : m_path(platform::joinPath(platform::dataFolder(programFolder), "lgt_versie.txt"))
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
    return platform::parseDate(text);
}

} // namespace lengths
