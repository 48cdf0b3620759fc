#include "convert/MappingCheck.h"

#include "convert/XmlMapping.h"

#include <algorithm>

namespace convert {

namespace {

bool isSet(const config::Settings& settings, int number)
{
    return !settings.xmlPath(number).empty();
}

void addHeader(MappingCheck& check, const XmlSelection& selection, const std::string& defaultDeliveryDate)
{
    const KOPLIJST entries = mappedHeader(selection.header, defaultDeliveryDate);
    for (int number = 1; number <= kHeaderExpressions; ++number) {
        check.header.push_back({ number, trimmed(entries[static_cast<std::size_t>(number - 1)]) });
    }
}

void addLines(MappingCheck& check, const XmlSelection& selection)
{
    pairLineNodes(selection.lineNodes, [&check](std::string_view article, Quantity quantity) {
        ++check.lineCount;
        if (check.firstLines.size() < MappingCheck::kShownLines) {
            check.firstLines.push_back({ std::string(trimBlanks(article)), quantity.text(kCommaSeparator) });
        }
    });
}

// Every expression the reader would stop at or find nothing with, in the order of the settings.
void addProblems(MappingCheck& check, const config::Settings& settings, const XmlSelection& selection)
{
    const auto isInvalid = [&](int number) {
        return std::find(selection.invalid.begin(), selection.invalid.end(), number) != selection.invalid.end();
    };
    // The line expressions are evaluated as one union: when either fails, neither selected anything.
    const bool linesEvaluated = !isInvalid(kArticleSetting) && !isInvalid(kQuantitySetting);
    const auto selects = [&](int number) {
        if (number <= kHeaderExpressions) {
            return selection.header[static_cast<std::size_t>(number - 1)].has_value();
        }
        const bool article = number == kArticleSetting;
        return !linesEvaluated || selection.lineNodes.has(article);
    };
    for (int number = 1; number <= kQuantitySetting; ++number) {
        if (isSet(settings, number) && (isInvalid(number) || !selects(number))) {
            check.problems.push_back(badExpressionText(number, settings.xmlPath(number)));
        }
    }
    for (int number : { kArticleSetting, kQuantitySetting }) {
        if (!isSet(settings, number)) {
            check.problems.push_back("Instelling XML_" + std::to_string(number) + " (" + xmlSettingLabel(number)
                + ") is leeg: zonder artikelnummer en aantal wordt geen order gelezen.");
        }
    }
}

} // namespace

std::optional<MappingCheck> checkMapping(const config::Settings& settings, const std::string& samplePath,
    const std::string& defaultDeliveryDate, platform::Messages& messages)
{
    std::optional<XmlSelection> selection = selectXmlOrder(settings, samplePath, true, messages);
    if (!selection) {
        return std::nullopt;
    }
    MappingCheck check;
    addHeader(check, *selection, defaultDeliveryDate);
    addProblems(check, settings, *selection);
    addLines(check, *selection);
    return check;
}

std::string mappingCheckReport(const MappingCheck& check)
{
    std::string report = "Koprecord en leveradres:\n";
    for (const MappingCheck::HeaderField& field : check.header) {
        report += std::string(xmlSettingLabel(field.number)) + " (XML_" + std::to_string(field.number)
            + "): " + field.value + "\n";
    }
    report += "\nAantal orderlijnen: " + std::to_string(check.lineCount) + "\n";
    if (!check.firstLines.empty()) {
        report += check.lineCount > check.firstLines.size()
            ? "Eerste " + std::to_string(check.firstLines.size()) + " orderlijnen (artikelnummer, aantal):\n"
            : std::string("Orderlijnen (artikelnummer, aantal):\n");
        std::size_t number = 0;
        for (const MappingCheck::Line& line : check.firstLines) {
            report += std::to_string(++number) + ". " + line.article + ", " + line.quantity + "\n";
        }
    }
    if (!check.problems.empty()) {
        report += "\nProblemen:\n";
        for (const std::string& problem : check.problems) {
            report += problem + "\n";
        }
    }
    return report;
}

} // namespace convert
