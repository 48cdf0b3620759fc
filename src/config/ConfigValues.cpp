#include "config/ConfigValues.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace config {

namespace {

size_t indexOf(const ConfigField& field)
{
    return static_cast<size_t>(&field - configFields().data());
}

const ConfigField& fieldNamed(std::string_view name)
{
    const ConfigField* field = findConfigField(name);
    if (field == nullptr) {
        // Names come from code, never from a file: a typo must not write a value into nowhere.
        std::fprintf(stderr, "config.xml has no element %.*s\n", static_cast<int>(name.size()), name.data());
        std::abort();
    }
    return *field;
}

} // namespace

const std::string& ConfigValues::operator[](const ConfigField& field) const
{
    return m_texts.at(indexOf(field));
}

std::string& ConfigValues::operator[](const ConfigField& field)
{
    return m_texts.at(indexOf(field));
}

const std::string& ConfigValues::operator[](std::string_view name) const
{
    return (*this)[fieldNamed(name)];
}

std::string& ConfigValues::operator[](std::string_view name)
{
    return (*this)[fieldNamed(name)];
}

ConfigValues ConfigValues::fromSettings(const Settings& settings)
{
    ConfigValues values;
    for (const auto& field : configFields()) {
        values[field] = fieldText(settings, field);
    }
    return values;
}

} // namespace config
