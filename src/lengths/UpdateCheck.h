#pragma once

#include "platform/Clock.h"
#include "platform/Messages.h"

#include <optional>
#include <string>

namespace lengths {

// The start-up check of the pipe-length list: at most once in 30 days it fetches the published
// list from the check server and tells the user when its version differs from the local one.
// It never touches the table.
class UpdateCheck
{
public:
    enum class Outcome {
        NotDue, // the last check lies 30 days or less back
        Failed, // nothing usable came; "Updatecontrole mislukt !" was shown
        NewVersion, // the notice "Nieuwe updates beschikbaar" was shown
        UpToDate, // same version; lgt_versie.txt now carries today's date
    };

    // extraCaFile: a PEM bundle trusted besides the system's CAs for an https check host.
    UpdateCheck(std::string programFolder, std::string hostPort, const platform::Clock& clock,
        platform::Messages& messages, std::string extraCaFile = {});

    // Runs the check and returns what it did.
    Outcome run();

    // True when a check recorded on lastCheck is due today: from the 31st day on, and always
    // when no valid date is recorded or the date lies after today (a clock that was wrong once
    // must not silence the check until that day comes).
    static bool isDue(const std::optional<platform::Date>& lastCheck, const platform::Date& today);

private:
    std::string m_programFolder;
    std::string m_hostPort;
    std::string m_extraCaFile;
    const platform::Clock& m_clock;
    platform::Messages& m_messages;
};

} // namespace lengths
