#include "lengths/UpdateCheck.h"

#include "lengths/UpdateList.h"
#include "lengths/UpdateSource.h"
#include "lengths/UpdateVersionFile.h"

namespace lengths {

UpdateCheck::UpdateCheck(std::string programFolder, std::string hostPort, const platform::Clock& clock,
    platform::Messages& messages, std::string extraCaFile)
    : m_programFolder(std::move(programFolder))
    , m_hostPort(std::move(hostPort))
    , m_extraCaFile(std::move(extraCaFile))
    , m_clock(clock)
    , m_messages(messages)
{
}

bool UpdateCheck::isDue(const std::optional<platform::Date>& lastCheck, const platform::Date& today)
{
    if (!lastCheck) {
        return true;
    }
    const long days = platform::daysFromCivil(today) - platform::daysFromCivil(*lastCheck);
    return days > 30 || days < 0;
}

UpdateCheck::Outcome UpdateCheck::run()
{
    UpdateVersionFile versionFile(m_programFolder);
    versionFile.read();
    const platform::Date today = m_clock.today();
    if (!isDue(versionFile.date(), today)) {
        return Outcome::NotDue;
    }

    const std::string received = UpdateSource(m_hostPort, m_extraCaFile).fetchBeginning();
    const std::string_view line = firstLine(received).substr(0, kVersionMarker.size() + kVersionLength);
    if (!isVersionLine(line)) {
        m_messages.error("Updatecontrole mislukt !");
        return Outcome::Failed;
    }

    // Without lgt_versie.txt the local version is empty, so the notice comes: the installed
    // table's version is unknown, and only the update can vouch for the data it holds.
    const std::string published = versionOf(line);
    std::string local = versionFile.version();
    local.resize(kVersionLength, ' ');
    if (published != local || !versionFile.exists()) {
        m_messages.message("Er zijn nieuwe updates van buislengten beschikbaar, zie menu Instellingen, Schema, "
                           "Update buislengten",
            "Nieuwe updates beschikbaar", platform::MessageIcon::Information);
        return Outcome::NewVersion;
    }
    if (versionFile.write(published, today) == UpdateVersionFile::Recorded::Not) {
        m_messages.error(versionFile.failureText());
    }
    return Outcome::UpToDate;
}

} // namespace lengths
