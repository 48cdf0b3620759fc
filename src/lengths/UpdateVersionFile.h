#pragma once

#include "platform/Clock.h"
#include "platform/Messages.h"

#include <optional>
#include <string>
#include <string_view>

namespace lengths {

// lgt_versie.txt in the program folder: 21 characters without a line end, the version of the
// data last accepted (1-10), a blank, and the date of the last successful download or check
// (12-21, "YYYY-MM-DD"). Only these positions are read.
class UpdateVersionFile
{
public:
    explicit UpdateVersionFile(std::string programFolder);

    const std::string& path() const { return m_path; }

    // Reads the file anew; a missing or unreadable file reads as empty text.
    void read();

    bool exists() const { return m_exists; }
    // Characters 1 to 10 as they stand (fewer when the file is shorter).
    std::string version() const;
    // Characters 12 to 21 when they are a real date in the program's format.
    std::optional<platform::Date> date() const;

    // Writes version (cut or blank-filled to 10 characters), a blank and the date, through a
    // temporary file. A failure is reported as "Fout bij aanmaken lgt_versie.txt " with the
    // system's text and returns false.
    bool write(std::string_view version, const platform::Date& date, platform::Messages& messages);

    // "Versie " followed by the version, what the update shows at rest and after success.
    std::string statusText() const;

    // The file's content for a version and a date.
    static std::string format(std::string_view version, const platform::Date& date);
    // A strict "YYYY-MM-DD" of a real calendar day.
    static std::optional<platform::Date> parseDate(std::string_view text);

private:
    std::string m_path;
    std::string m_text;
    bool m_exists = false;
};

} // namespace lengths
