#pragma once

#include "platform/Clock.h"

#include <optional>
#include <string>
#include <string_view>

namespace lengths {

// lgt_versie.txt in the program folder: 21 characters without a line end, the version of the
// data last accepted (1-10), a blank, and the date of the last successful download or check
// (12-21, "YYYY-MM-DD"). Only these positions are read.
//
// When lgt_versie.txt cannot be replaced after the table was, the record goes to
// lgt_versie_nieuw.txt beside it and is read from there until lgt_versie.txt can be written
// again: the recorded version must stay the version of the table in use, or the start-up check
// would announce the installed list as new at every start.
class UpdateVersionFile
{
public:
    enum class Recorded {
        InFile, // lgt_versie.txt holds the record
        Aside, // lgt_versie.txt could not be written; lgt_versie_nieuw.txt holds the record
        Not, // neither could be written
    };

    explicit UpdateVersionFile(std::string programFolder);

    const std::string& path() const { return m_path; }

    // Reads the record anew; a missing or unreadable file reads as empty text.
    void read();

    bool exists() const { return m_exists; }
    // Characters 1 to 10 as they stand (fewer when the file is shorter).
    std::string version() const;
    // Characters 12 to 21 when they are a real date in the program's format.
    std::optional<platform::Date> date() const;

    // Records version (cut or blank-filled to 10 characters), a blank and the date, through a
    // temporary file. Shows nothing; failureText() then holds "Fout bij aanmaken
    // lgt_versie.txt " with the system's text.
    Recorded write(std::string_view version, const platform::Date& date);
    const std::string& failureText() const { return m_failure; }

    // "Versie " followed by the version, what the update shows at rest and after success.
    std::string statusText() const;

    // The file's content for a version and a date.
    static std::string format(std::string_view version, const platform::Date& date);
    // A strict "YYYY-MM-DD" of a real calendar day.
    static std::optional<platform::Date> parseDate(std::string_view text);

private:
    std::string m_path;
    std::string m_asidePath;
    std::string m_failure;
    std::string m_text;
    bool m_exists = false;
};

} // namespace lengths
