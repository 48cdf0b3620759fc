#include "config/ConfigFields.h"

namespace config {

namespace {

using S = Settings;

constexpr ConfigField text(std::string_view name, std::string S::*field)
{
    return { name, FieldKind::Text, field, nullptr, nullptr };
}
constexpr ConfigField secret(std::string_view name, std::string S::*field)
{
    return { name, FieldKind::Secret, field, nullptr, nullptr };
}
constexpr ConfigField number16(std::string_view name, std::uint16_t S::*field)
{
    return { name, FieldKind::Number16, nullptr, field, nullptr };
}
constexpr ConfigField number8(std::string_view name, std::uint8_t S::*field)
{
    return { name, FieldKind::Number8, nullptr, nullptr, field };
}

// The element name and the record's member are one word, written once.
#define SETTING(member) #member, &S::member

// clang-format off
constexpr ConfigField kFields[] = {
    text    (SETTING(Identity)),
    text    (SETTING(DirectERP)),
    secret  (SETTING(Secret)),
    text    (SETTING(lang)),
    text    (SETTING(addressID)),
    text    (SETTING(MapIn)),
    text    (SETTING(Extentie)),
    text    (SETTING(Schema)),
    text    (SETTING(Koprecord)),
    text    (SETTING(Filiaal)),
    text    (SETTING(Webpagina)),
    text    (SETTING(Besteleenheid)),
    text    (SETTING(Bestand_del)),
    text    (SETTING(MC1000_SND)),
    number16(SETTING(SDF_art_van)),
    number16(SETTING(SDF_art_tot)),
    number16(SETTING(SDF_ant_van)),
    number16(SETTING(SDF_ant_tot)),
    text    (SETTING(CSV_char)),
    number16(SETTING(CSV_art)),
    number8 (SETTING(CSV_aant)),
    text    (SETTING(ICM)),
    text    (SETTING(ICM_email)),
    text    (SETTING(ICM_naam)),
    text    (SETTING(ICM_remote)),
    text    (SETTING(XML_1)),
    text    (SETTING(XML_2)),
    text    (SETTING(XML_3)),
    text    (SETTING(XML_4)),
    text    (SETTING(XML_5)),
    text    (SETTING(XML_6)),
    text    (SETTING(XML_7)),
    text    (SETTING(XML_8)),
    text    (SETTING(XML_9)),
    text    (SETTING(XML_10)),
    text    (SETTING(XML_11)),
    text    (SETTING(XML_12)),
    text    (SETTING(XML_13)),
    text    (SETTING(XML_14)),
    text    (SETTING(XML_15)),
    text    (SETTING(XML_16)),
    text    (SETTING(XML_17)),
};
// clang-format on

#undef SETTING

} // namespace

std::span<const ConfigField> configFields()
{
    return kFields;
}

const ConfigField* findConfigField(std::string_view name)
{
    for (const auto& field : kFields) {
        if (field.name == name) {
            return &field;
        }
    }
    return nullptr;
}

std::string fieldText(const Settings& settings, const ConfigField& field)
{
    switch (field.kind) {
    case FieldKind::Number16:
        return std::to_string(settings.*field.number16);
    case FieldKind::Number8:
        return std::to_string(settings.*field.number8);
    case FieldKind::Text:
    case FieldKind::Secret:
        break;
    }
    return settings.*field.text;
}

} // namespace config
