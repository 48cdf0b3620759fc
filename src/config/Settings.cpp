#include "config/Settings.h"

namespace config {

namespace {
    // clang-format off
    std::string Settings::* const kXmlPaths[17] = {
        &Settings::XML_1,  &Settings::XML_2,  &Settings::XML_3,  &Settings::XML_4,  &Settings::XML_5,
        &Settings::XML_6,  &Settings::XML_7,  &Settings::XML_8,  &Settings::XML_9,  &Settings::XML_10,
        &Settings::XML_11, &Settings::XML_12, &Settings::XML_13, &Settings::XML_14, &Settings::XML_15,
        &Settings::XML_16, &Settings::XML_17,
    };
    // clang-format on
} // namespace

const std::string& Settings::xmlPath(int number) const
{
    return this->*kXmlPaths[(number < 1 || number > 17 ? 1 : number) - 1];
}

std::string& Settings::xmlPath(int number)
{
    return this->*kXmlPaths[(number < 1 || number > 17 ? 1 : number) - 1];
}

} // namespace config
