#include "config/ConfigWriter.h"

#include "config/ConfigFields.h"
#include "config/PasswordCipher.h"
#include "platform/Paths.h"
#include "xml/XmlText.h"

namespace config {

namespace {

constexpr const char* kEndOfLine = "\r\n";

// Characters XML 1.0 cannot carry at all would make the next start fail on the file, so
// they are left out; a CR is kept as a reference because a raw one reads back as a LF.
std::string elementText(std::string_view value)
{
    std::string result;
    result.reserve(value.size());
    for (const char c : xml::escapeXml(value)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\r') {
            result += "&#13;";
        } else if (byte >= 0x20 || byte == '\t' || byte == '\n') {
            result += c;
        }
    }
    return result;
}

std::string line(const ConfigField& field, const ConfigValues& values)
{
    const std::string& value = values[field];
    const std::string stored
        = field.kind == FieldKind::Secret ? PasswordCipher::encipherToHex(value) : elementText(value);
    return "    <" + std::string(field.name) + ">" + stored + "</" + std::string(field.name) + ">" + kEndOfLine;
}

} // namespace

std::string configText(const ConfigValues& values)
{
    std::string text;
    text += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";
    text += kEndOfLine;
    text += "<VARO_XML xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">";
    text += kEndOfLine;
    text += "  <CONFIG>";
    text += kEndOfLine;
    for (const auto& field : configFields()) {
        text += line(field, values);
    }
    text += "  </CONFIG>";
    text += kEndOfLine;
    text += "</VARO_XML>";
    text += kEndOfLine;
    return text;
}

bool writeConfig(const std::string& workFolder, const ConfigValues& values, platform::Messages& messages)
{
    return writeConfig(workFolder, values, messages, platform::replaceFile);
}

bool writeConfig(
    const std::string& workFolder, const ConfigValues& values, platform::Messages& messages, const FileWriter& writer)
{
    std::string folderError;
    if (!platform::folderExists(workFolder) && !platform::createFolder(workFolder, &folderError)) {
        // Reported, then the file is tried all the same: the folder may have appeared meanwhile.
        messages.error("Fout aanmaken map " + workFolder + " " + folderError);
    }
    const std::string path = platform::joinPath(workFolder, "config.xml");
    const platform::WriteResult written = writer(path, configText(values), platform::Access::OwnerOnly);
    if (!written) {
        messages.error("Fout aanmaken " + path + " " + written.osError);
        return false;
    }
    messages.message("Configuratie opgeslagen, programma opnieuw opstarten om deze actief te maken.", "Configuratie.",
        platform::MessageIcon::Warning);
    return true;
}

} // namespace config
