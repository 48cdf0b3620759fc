#include "config/ConfigFields.h"

namespace config {

namespace {

using S = Settings;
using Shown = FieldShown;

// The settings pages, named as their layouts.
constexpr std::string_view kSchemaPage = "TRANSFER_TABS_SCH";
constexpr std::string_view kSeparatorPage = "TRANSFER_TABS_DEL";
constexpr std::string_view kIcmPage = "TRANSFER_TABS_ICM";
constexpr std::string_view kXmlPage = "TRANSFER_TABS_XML";
constexpr std::string_view kScannerPage = "TRANSFER_TABS_MC1000";
constexpr std::string_view kFolderPage = "TRANSFER_TABS_MAP";

constexpr ConfigField text(std::string_view name, std::string S::*field, std::string_view page,
    std::string_view control, Shown shown = Shown::Text)
{
    return { name, FieldKind::Text, page, control, shown, field, nullptr, nullptr };
}
constexpr ConfigField secret(
    std::string_view name, std::string S::*field, std::string_view page, std::string_view control)
{
    return { name, FieldKind::Secret, page, control, Shown::Text, field, nullptr, nullptr };
}
constexpr ConfigField number16(
    std::string_view name, std::uint16_t S::*field, std::string_view page, std::string_view control)
{
    return { name, FieldKind::Number16, page, control, Shown::Number, nullptr, field, nullptr };
}
constexpr ConfigField number8(
    std::string_view name, std::uint8_t S::*field, std::string_view page, std::string_view control)
{
    return { name, FieldKind::Number8, page, control, Shown::Number, nullptr, nullptr, field };
}

// The element name and the record's member are one word, written once.
#define SETTING(member) #member, &S::member

// clang-format off
constexpr std::array<ConfigField, kConfigFieldCount> kFields = {
    text    (SETTING(Identity),      kFolderPage,    "SLE_INDENTITY"),
    text    (SETTING(DirectERP),     kFolderPage,    "CMB_DIRECTERP",   Shown::Special),
    secret  (SETTING(Secret),        kFolderPage,    "SLE_SECRET"),
    text    (SETTING(lang),          kFolderPage,    "CMB_LANG"),
    text    (SETTING(addressID),     kFolderPage,    "SLE_ADDRESSID"),
    text    (SETTING(MapIn),         kFolderPage,    "SLE_MAPIN"),
    text    (SETTING(Extentie),      kFolderPage,    "SLE_EXTENTIE"),
    text    (SETTING(Schema),        kSchemaPage,    "RBT_SDF",         Shown::Special),
    text    (SETTING(Koprecord),     kSchemaPage,    "CBX_KOP",         Shown::Check),
    text    (SETTING(Filiaal),       kSchemaPage,    "RBT_BEL",         Shown::Special),
    text    (SETTING(Webpagina),     kSchemaPage,    "RBT_YES",         Shown::Special),
    text    (SETTING(Besteleenheid), kSchemaPage,    "RBT_STK",         Shown::Special),
    text    (SETTING(Bestand_del),   kFolderPage,    "CBX_DEL",         Shown::Check),
    text    (SETTING(MC1000_SND),    kScannerPage,   "CBX_SND",         Shown::Check),
    number16(SETTING(SDF_art_van),   kSeparatorPage, "SLE_ARTIKEL_VAN"),
    number16(SETTING(SDF_art_tot),   kSeparatorPage, "SLE_ARTIKEL_TOT"),
    number16(SETTING(SDF_ant_van),   kSeparatorPage, "SLE_AANTAL_VAN"),
    number16(SETTING(SDF_ant_tot),   kSeparatorPage, "SLE_AANTAL_TOT"),
    text    (SETTING(CSV_char),      kSeparatorPage, "RBT_KOMMA",       Shown::Special),
    number16(SETTING(CSV_art),       kSeparatorPage, "SLE_ARTIKEL_NR"),
    number8 (SETTING(CSV_aant),      kSeparatorPage, "SLE_AANTAL_NR"),
    text    (SETTING(ICM),           kIcmPage,       "RBT_ICM_MAIL",    Shown::Special),
    text    (SETTING(ICM_email),     kIcmPage,       "SLE_VAN_EMAIL"),
    text    (SETTING(ICM_naam),      kIcmPage,       "SLE_VAN_NAAM"),
    text    (SETTING(ICM_remote),    kIcmPage,       "SLE_REMOTE"),
    text    (SETTING(XML_1),         kXmlPage,       "SLE_1"),
    text    (SETTING(XML_2),         kXmlPage,       "SLE_2"),
    text    (SETTING(XML_3),         kXmlPage,       "SLE_3"),
    text    (SETTING(XML_4),         kXmlPage,       "SLE_4"),
    text    (SETTING(XML_5),         kXmlPage,       "SLE_5"),
    text    (SETTING(XML_6),         kXmlPage,       "SLE_6"),
    text    (SETTING(XML_7),         kXmlPage,       "SLE_7"),
    text    (SETTING(XML_8),         kXmlPage,       "SLE_8"),
    text    (SETTING(XML_9),         kXmlPage,       "SLE_9"),
    text    (SETTING(XML_10),        kXmlPage,       "SLE_10"),
    text    (SETTING(XML_11),        kXmlPage,       "SLE_11"),
    text    (SETTING(XML_12),        kXmlPage,       "SLE_12"),
    text    (SETTING(XML_13),        kXmlPage,       "SLE_13"),
    text    (SETTING(XML_14),        kXmlPage,       "SLE_14"),
    text    (SETTING(XML_15),        kXmlPage,       "SLE_15"),
    text    (SETTING(XML_16),        kXmlPage,       "SLE_16"),
    text    (SETTING(XML_17),        kXmlPage,       "SLE_17"),
};
// clang-format on

#undef SETTING

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

std::vector<const ConfigField*> configFieldsOnPage(std::string_view page)
{
    std::vector<const ConfigField*> fields;
    for (const auto& field : kFields) {
        if (field.page == page) {
            fields.push_back(&field);
        }
    }
    return fields;
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
