#include "ConversionRun.h"

#include "config/ConfigFields.h"
#include "orderinfo/Orderkop.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#include <libxml/parser.h>

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
    const config::ConfigField* field = config::findConfigField(name);
    if (field == nullptr) {
        return false;
    }
    // Case files are strict where config.xml is lenient: a mistyped number is a broken case.
    switch (field->kind) {
    case config::FieldKind::Number16:
        return parseNumber(value, s.*field->number16);
    case config::FieldKind::Number8:
        return parseNumber(value, s.*field->number8);
    case config::FieldKind::Text:
    case config::FieldKind::Secret:
        s.*field->text = value;
        return true;
    }
    return false;
}

std::string ConversionRun::source(const std::string& bytes)
{
    const std::string path = input.file("order.txt");
    if (!platform::replaceFile(path, bytes)) {
        ADD_FAILURE() << "cannot write " << path;
    }
    return path;
}

void ConversionRun::orderkop(const std::string& bytes)
{
    if (!platform::replaceFile(work.file("orderkop.txt"), bytes)) {
        ADD_FAILURE() << "cannot write orderkop.txt";
    }
}

bool readCaseSettings(const std::string& path, ConversionRun& run, std::string& error)
{
    // A case folder says every setting it needs; the run's own defaults do not apply.
    run.settings = config::Settings {};
    platform::Date today = run.clock.today();
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
            if (value.size() != 10 || !parseNumber(value.substr(0, 4), today.year)
                || !parseNumber(value.substr(5, 2), today.month) || !parseNumber(value.substr(8, 2), today.day)) {
                error = "bad date: " + value;
                return false;
            }
            run.clock.set(today);
        } else if (name == "length") {
            const auto semicolon = value.rfind(';');
            double metres = 0;
            if (semicolon == std::string::npos || !parseNumber(value.substr(semicolon + 1), metres)) {
                error = "bad length row: " + value;
                return false;
            }
            run.lengths.add(value.substr(0, semicolon), metres);
        } else if (!setSetting(run.settings, name, value)) {
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
    // libxml2 in this process rather than xmllint, so the check runs wherever the tests do.
    std::string problems;
    xmlSetStructuredErrorFunc(&problems, [](void* context, auto* error) {
        static_cast<std::string*>(context)->append(error->message != nullptr ? error->message : "?");
    });
    const std::string xml = document.substr(prefix.size());
    xmlDoc* parsed = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "document.xml", nullptr, XML_PARSE_NONET);
    xmlSetStructuredErrorFunc(nullptr, nullptr);
    if (parsed == nullptr && problems.empty()) {
        problems = "not well-formed";
    }
    xmlFreeDoc(parsed);
    return problems;
}

} // namespace testing_support
