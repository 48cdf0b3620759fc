#include "ConversionCase.h"

#include "orderinfo/Orderkop.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace testing_support {

std::optional<std::string> readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::string> splitLines(const std::string& bytes)
{
    return orderinfo::orderkopLines(bytes);
}

namespace {

template <typename Number> bool parseNumber(const std::string& text, Number& number)
{
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), number);
    return parsed.ec == std::errc() && parsed.ptr == text.data() + text.size();
}

} // namespace

bool setSetting(config::Settings& s, const std::string& name, const std::string& value)
{
    // clang-format off
    const std::map<std::string, std::string*> texts = {
        {"Identity", &s.Identity}, {"Secret", &s.Secret}, {"DirectERP", &s.DirectERP}, {"lang", &s.lang},
        {"addressID", &s.addressID}, {"MapIn", &s.MapIn}, {"Extentie", &s.Extentie}, {"Schema", &s.Schema},
        {"Koprecord", &s.Koprecord}, {"Filiaal", &s.Filiaal}, {"Webpagina", &s.Webpagina},
        {"Besteleenheid", &s.Besteleenheid}, {"Bestand_del", &s.Bestand_del}, {"MC1000_SND", &s.MC1000_SND},
        {"CSV_char", &s.CSV_char}, {"ICM", &s.ICM}, {"ICM_email", &s.ICM_email}, {"ICM_naam", &s.ICM_naam},
        {"ICM_remote", &s.ICM_remote},
    };
    const std::map<std::string, std::uint16_t*> numbers = {
        {"SDF_art_van", &s.SDF_art_van}, {"SDF_art_tot", &s.SDF_art_tot}, {"SDF_ant_van", &s.SDF_ant_van},
        {"SDF_ant_tot", &s.SDF_ant_tot}, {"CSV_art", &s.CSV_art},
    };
    // clang-format on
    if (const auto text = texts.find(name); text != texts.end()) {
        *text->second = value;
        return true;
    }
    if (const auto number = numbers.find(name); number != numbers.end()) {
        return parseNumber(value, *number->second);
    }
    if (name == "CSV_aant") {
        return parseNumber(value, s.CSV_aant);
    }
    if (name.rfind("XML_", 0) == 0) {
        int index = 0;
        if (parseNumber(name.substr(4), index) && index >= 1 && index <= 17) {
            s.xmlPath(index) = value;
            return true;
        }
    }
    return false;
}

bool readCaseSettings(const std::string& path, CaseSetup& setup, std::string& error)
{
    const auto bytes = readBytes(path);
    if (!bytes) {
        error = "cannot read " + path;
        return false;
    }
    for (const std::string& line : splitLines(*bytes)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string::npos) {
            error = "no '=' in: " + line;
            return false;
        }
        const std::string name = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        if (name == "today") {
            if (value.size() != 10 || !parseNumber(value.substr(0, 4), setup.today.year)
                || !parseNumber(value.substr(5, 2), setup.today.month)
                || !parseNumber(value.substr(8, 2), setup.today.day)) {
                error = "bad date: " + value;
                return false;
            }
        } else if (name == "length") {
            const auto semicolon = value.rfind(';');
            double metres = 0;
            if (semicolon == std::string::npos || !parseNumber(value.substr(semicolon + 1), metres)) {
                error = "bad length row: " + value;
                return false;
            }
            setup.lengths.add(value.substr(0, semicolon), metres);
        } else if (!setSetting(setup.settings, name, value)) {
            error = "unknown setting: " + name;
            return false;
        }
    }
    return true;
}

std::string xmlProblems(const std::string& document)
{
    constexpr std::string_view prefix = "bcdata=";
    if (document.compare(0, prefix.size(), prefix) != 0) {
        return "no bcdata= prefix";
    }
    TempDir folder;
    const std::string xmlPath = folder.file("document.xml");
    const std::string reportPath = folder.file("report.txt");
    {
        std::ofstream out(xmlPath, std::ios::binary);
        out << document.substr(prefix.size());
    }
    const std::string command = "xmllint --noout --nonet '" + xmlPath + "' > '" + reportPath + "' 2>&1";
    const int status = std::system(command.c_str());
    if (status == 0) {
        return {};
    }
    const std::string report = readBytes(reportPath).value_or("");
    return report.empty() ? "xmllint exited with " + std::to_string(status) : report;
}

} // namespace testing_support
