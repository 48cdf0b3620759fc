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
    , m_asidePath(platform::joinPath(platform::dataFolder(programFolder), "lgt_versie_nieuw.txt"))
{
}

void UpdateVersionFile::read()
{
    auto text = platform::readFile(m_asidePath);
    if (!text) {
        text = platform::readFile(m_path);
    }
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

UpdateVersionFile::Recorded UpdateVersionFile::write(std::string_view version, const platform::Date& date)
{
    const std::string text = format(version, date);
    m_failure.clear();
    const platform::WriteResult written = platform::replaceFile(m_path, text);
    if (written) {
        // An aside record left from an earlier failure would shadow this newer one.
        if (platform::fileExists(m_asidePath) && !platform::removeFile(m_asidePath)) {
            platform::replaceFile(m_asidePath, text);
        }
    } else {
        m_failure = "Fout bij aanmaken lgt_versie.txt " + written.osError;
        if (!platform::replaceFile(m_asidePath, text)) {
            return Recorded::Not;
        }
    }
    m_text = text;
    m_exists = true;
    return written ? Recorded::InFile : Recorded::Aside;
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
