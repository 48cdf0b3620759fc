#include "config/ConfigFields.h"

namespace config {

namespace {

using V = ConfigValues;
using S = Settings;

constexpr ConfigField text(std::string_view name, std::string V::*value, std::string S::*field)
{
    return { name, FieldKind::Text, value, field, nullptr, nullptr };
}
constexpr ConfigField number16(std::string_view name, std::string V::*value, std::uint16_t S::*field)
{
    return { name, FieldKind::Number16, value, nullptr, field, nullptr };
}
constexpr ConfigField number8(std::string_view name, std::string V::*value, std::uint8_t S::*field)
{
    return { name, FieldKind::Number8, value, nullptr, nullptr, field };
}

// clang-format off
constexpr std::array<ConfigField, kConfigFieldCount> kFields = {
    text("Identity", &V::Identity, &S::Identity),
    text("DirectERP", &V::DirectERP, &S::DirectERP),
    ConfigField{ "Secret", FieldKind::Secret, &V::Secret, &S::Secret, nullptr, nullptr },
    text("lang", &V::lang, &S::lang),
    text("addressID", &V::addressID, &S::addressID),
    text("MapIn", &V::MapIn, &S::MapIn),
    text("Extentie", &V::Extentie, &S::Extentie),
    text("Schema", &V::Schema, &S::Schema),
    text("Koprecord", &V::Koprecord, &S::Koprecord),
    text("Filiaal", &V::Filiaal, &S::Filiaal),
    text("Webpagina", &V::Webpagina, &S::Webpagina),
    text("Besteleenheid", &V::Besteleenheid, &S::Besteleenheid),
    text("Bestand_del", &V::Bestand_del, &S::Bestand_del),
    text("MC1000_SND", &V::MC1000_SND, &S::MC1000_SND),
    number16("SDF_art_van", &V::SDF_art_van, &S::SDF_art_van),
    number16("SDF_art_tot", &V::SDF_art_tot, &S::SDF_art_tot),
    number16("SDF_ant_van", &V::SDF_ant_van, &S::SDF_ant_van),
    number16("SDF_ant_tot", &V::SDF_ant_tot, &S::SDF_ant_tot),
    text("CSV_char", &V::CSV_char, &S::CSV_char),
    number16("CSV_art", &V::CSV_art, &S::CSV_art),
    number8("CSV_aant", &V::CSV_aant, &S::CSV_aant),
    text("ICM", &V::ICM, &S::ICM),
    text("ICM_email", &V::ICM_email, &S::ICM_email),
    text("ICM_naam", &V::ICM_naam, &S::ICM_naam),
    text("ICM_remote", &V::ICM_remote, &S::ICM_remote),
    text("XML_1", &V::XML_1, &S::XML_1),
    text("XML_2", &V::XML_2, &S::XML_2),
    text("XML_3", &V::XML_3, &S::XML_3),
    text("XML_4", &V::XML_4, &S::XML_4),
    text("XML_5", &V::XML_5, &S::XML_5),
    text("XML_6", &V::XML_6, &S::XML_6),
    text("XML_7", &V::XML_7, &S::XML_7),
    text("XML_8", &V::XML_8, &S::XML_8),
    text("XML_9", &V::XML_9, &S::XML_9),
    text("XML_10", &V::XML_10, &S::XML_10),
    text("XML_11", &V::XML_11, &S::XML_11),
    text("XML_12", &V::XML_12, &S::XML_12),
    text("XML_13", &V::XML_13, &S::XML_13),
    text("XML_14", &V::XML_14, &S::XML_14),
    text("XML_15", &V::XML_15, &S::XML_15),
    text("XML_16", &V::XML_16, &S::XML_16),
    text("XML_17", &V::XML_17, &S::XML_17),
};
// clang-format on

} // namespace

const std::array<ConfigField, kConfigFieldCount>& configFields()
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

} // namespace config
