#include "config/ConfigReader.h"

#include "config/ConfigFields.h"
#include "config/PasswordCipher.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "xml/XmlDocument.h"

#include <algorithm>

namespace config {

namespace {

// The leading decimal number after any blanks: " 12" and "12abc" give 12, "abc", "" and
// "-3" give 0. A number beyond the field's width saturates at its maximum, so an oversized
// position stays oversized instead of wrapping round to a small, plausible one.
unsigned leadingNumber(std::string_view text, unsigned maximum)
{
    size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t' || text[pos] == '\r' || text[pos] == '\n')) {
        ++pos;
    }
    unsigned value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        value = std::min(maximum, value * 10 + static_cast<unsigned>(text[pos] - '0'));
    }
    return value;
}

std::string trimmedName(std::string name)
{
    const auto first = name.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    return name.substr(first, name.find_last_not_of(" \t\r\n") - first + 1);
}

void store(const ConfigField& field, const std::string& value, Settings& settings, std::string& secretHex)
{
    switch (field.kind) {
    case FieldKind::Text:
        settings.*field.text = value;
        break;
    case FieldKind::Secret:
        secretHex = value;
        break;
    case FieldKind::Number16:
        settings.*field.number16 = static_cast<std::uint16_t>(leadingNumber(value, 0xFFFF));
        break;
    case FieldKind::Number8:
        settings.*field.number8 = static_cast<std::uint8_t>(leadingNumber(value, 0xFF));
        break;
    }
}

bool showLoadResult(bool loaded, const xml::XmlDocument& document, platform::Messages& messages)
{
    if (!loaded) {
        messages.error("XMLDOM ERROR " + document.errorReason());
    }
    return loaded;
}

} // namespace

bool applyConfig(const xml::XmlDocument& document, Settings& settings)
{
    const auto selected = document.select("//VARO_XML/CONFIG");
    if (!selected || selected->empty()) {
        return false;
    }
    const auto children = selected->front().children();
    if (children.empty()) {
        return false;
    }
    std::string secretHex;
    for (const auto& child : children) {
        // Only elements are settings; a comment or processing instruction never is, whatever
        // its name.
        if (!child.isElement()) {
            continue;
        }
        if (const ConfigField* field = findConfigField(trimmedName(child.name()))) {
            store(*field, child.text(), settings, secretHex);
        }
    }
    settings.Secret = PasswordCipher::decipherFromHex(secretHex);
    return true;
}

bool readConfigBytes(std::string_view bytes, Settings& settings, platform::Messages& messages)
{
    if (!xml::XmlDocument::isParserAvailable()) {
        messages.error("Can't open XMLDOM");
        return false;
    }
    xml::XmlDocument document;
    return showLoadResult(document.loadMemory(bytes, "config.xml"), document, messages)
        && applyConfig(document, settings);
}

bool readConfig(const std::string& workFolder, Settings& settings, platform::Messages& messages)
{
    const std::string path = platform::joinPath(workFolder, "config.xml");
    if (!platform::fileExists(path) || platform::fileSize(path) == 0) {
        messages.message("Geen configuratie, zie tabblad in menu.", "Letop ", platform::MessageIcon::None);
        return false;
    }
    if (!xml::XmlDocument::isParserAvailable()) {
        messages.error("Can't open XMLDOM");
        return false;
    }
    xml::XmlDocument document;
    return showLoadResult(document.loadFile(path), document, messages) && applyConfig(document, settings);
}

} // namespace config
