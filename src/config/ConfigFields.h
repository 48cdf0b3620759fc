#pragma once

#include "config/Settings.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace config {

// How an element's value lands in the settings record.
enum class FieldKind { Text, Number16, Number8, Secret };

// One element of config.xml: its name, how it is read and written, and where it lives in the
// record. Which control shows it is said by the layout row that names it (setting=<name>).
struct ConfigField
{
    std::string_view name;
    FieldKind kind;
    std::string Settings::*text; // Text and Secret
    std::uint16_t Settings::*number16; // Number16
    std::uint8_t Settings::*number8; // Number8
};

// The elements in the order the file holds them.
std::span<const ConfigField> configFields();

// The element of that exact (case-sensitive) name, or nullptr.
const ConfigField* findConfigField(std::string_view name);

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
