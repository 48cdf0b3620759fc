#include "config/Settings.h"

#include "config/ConfigFields.h"

namespace config {

namespace {

// XML_1 ... XML_17 follow each other in the field table.
std::string Settings::*xmlPathMember(int number)
{
    static const size_t first = static_cast<size_t>(findConfigField("XML_1") - configFields().data());
    return configFields()[first + static_cast<size_t>(number < 1 || number > 17 ? 1 : number) - 1].text;
}

} // namespace

const std::string& Settings::xmlPath(int number) const
{
    return this->*xmlPathMember(number);
}

std::string& Settings::xmlPath(int number)
{
    return this->*xmlPathMember(number);
}

} // namespace config
