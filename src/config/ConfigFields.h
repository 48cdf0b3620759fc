#pragma once

#include "config/Settings.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace config {

// How an element's value lands in the settings record.
enum class FieldKind { Text, Number16, Number8, Secret };

// How the settings dialog shows a field in its control and turns the control back into the text
// it stores.
enum class FieldShown {
    Text, // the control's text both ways (edit, password edit, combo box text)
    Number, // the record's number as decimal text; stored as typed, checked only when read
    Check, // ticked when the value is "YES"; stored as "YES" or "NO"
    Special, // radio buttons or a combo box with codes: the page's own code reads and writes it
};

// One element of config.xml: its name, how it is read, where it lives in the record, and the
// settings page and control that show it. Page and control are the names the layouts give them;
// for a Special field the control is the first of the group that shows it.
struct ConfigField
{
    std::string_view name;
    FieldKind kind;
    std::string_view page;
    std::string_view control;
    FieldShown shown;
    std::string Settings::*text; // Text and Secret
    std::uint16_t Settings::*number16; // Number16
    std::uint8_t Settings::*number8; // Number8
};

inline constexpr size_t kConfigFieldCount = 42;

// The 42 elements in the order the file holds them.
const std::array<ConfigField, kConfigFieldCount>& configFields();

// The element of that exact (case-sensitive) name, or nullptr.
const ConfigField* findConfigField(std::string_view name);

// The fields a settings page shows, in file order.
std::vector<const ConfigField*> configFieldsOnPage(std::string_view page);

// The record's value of the field as the file and the dialog hold it: numbers in decimal.
std::string fieldText(const Settings& settings, const ConfigField& field);

// A check box stands for "YES" when ticked and "NO" otherwise; only the exact "YES" ticks it.
inline bool isTickedValue(std::string_view value)
{
    return value == "YES";
}
inline const char* tickedValue(bool ticked)
{
    return ticked ? "YES" : "NO";
}

} // namespace config
