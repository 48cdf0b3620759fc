#pragma once

#include "config/ConfigValues.h"
#include "config/Settings.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace config {

// How an element's value lands in the settings record.
enum class FieldKind { Text, Number16, Number8, Secret };

// One element of config.xml: its name, how it is read, and where it lives in the record and in
// the values the dialog writes.
struct ConfigField
{
    std::string_view name;
    FieldKind kind;
    std::string ConfigValues::*value;
    std::string Settings::*text; // Text and Secret
    std::uint16_t Settings::*number16; // Number16
    std::uint8_t Settings::*number8; // Number8
};

inline constexpr size_t kConfigFieldCount = 42;

// The 42 elements in the order the file holds them.
const std::array<ConfigField, kConfigFieldCount>& configFields();

// The element of that exact (case-sensitive) name, or nullptr.
const ConfigField* findConfigField(std::string_view name);

} // namespace config
