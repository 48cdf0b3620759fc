#pragma once

#include "config/ConfigFields.h"
#include "config/Settings.h"

#include <string>
#include <string_view>
#include <vector>

namespace config {

// What the settings dialog hands to the writer: every config.xml value as the text to store,
// one per row of the field table. Numbers stand as typed in their edits, Schema and CSV_char
// already chosen from the radio buttons, DirectERP already "1" or "0", and the password in plain
// (the writer enciphers it). A field never set is empty.
class ConfigValues
{
public:
    // The field must be a row of configFields().
    const std::string& operator[](const ConfigField& field) const;
    std::string& operator[](const ConfigField& field);
    // By element name; a name outside the table is a programming error and stops the program.
    const std::string& operator[](std::string_view name) const;
    std::string& operator[](std::string_view name);

    // The values of a settings record, numbers in decimal: saving them writes what was read.
    static ConfigValues fromSettings(const Settings& settings);

    friend bool operator==(const ConfigValues&, const ConfigValues&) = default;

private:
    std::vector<std::string> m_texts = std::vector<std::string>(configFields().size());
};

} // namespace config
