#pragma once

#include <cstdint>
#include <string>

namespace config {

// The settings record: one field per element of config.xml, named like the element. Filled once
// at start-up and only read afterwards. Texts are empty and numbers 0 until a configuration has
// been read. Text values are UTF-8, as the file holds them; the password is held in plain.
struct Settings
{
    std::string Identity;
    std::string Secret;
    std::string DirectERP; // "1" straight into the ERP system, "0" shopping cart
    std::string lang; // "NL" or "FR"
    std::string addressID;
    std::string MapIn; // input folder, no trailing separator
    std::string Extentie; // file name pattern in MapIn
    std::string Schema; // "SDF" "CSV" "XML" "ICM" "MER" "MC1000"
    std::string Koprecord; // "YES": skip the first record of SDF/CSV
    std::string Filiaal; // "BEL" or "NED"
    std::string Webpagina; // "YES": BE/NL choice on the main window
    std::string Besteleenheid; // "STK" or "MTR"
    std::string Bestand_del; // "YES": delete the source after processing
    std::string MC1000_SND; // "YES" or "NO"
    std::uint16_t SDF_art_van = 0;
    std::uint16_t SDF_art_tot = 0;
    std::uint16_t SDF_ant_van = 0;
    std::uint16_t SDF_ant_tot = 0;
    std::string CSV_char;
    std::uint16_t CSV_art = 0;
    std::uint8_t CSV_aant = 0;
    std::string ICM; // "ML" by e-mail, "KN" converted
    std::string ICM_email;
    std::string ICM_naam;
    std::string ICM_remote;
    std::string XML_1;
    std::string XML_2;
    std::string XML_3;
    std::string XML_4;
    std::string XML_5;
    std::string XML_6;
    std::string XML_7;
    std::string XML_8;
    std::string XML_9;
    std::string XML_10;
    std::string XML_11;
    std::string XML_12;
    std::string XML_13;
    std::string XML_14;
    std::string XML_15;
    std::string XML_16;
    std::string XML_17;

    // XML_1 ... XML_17 by number (1..17).
    const std::string& xmlPath(int number) const;
    std::string& xmlPath(int number);

    // Only the exact "on" value switches an option on.
    bool isBelgian() const { return Filiaal == "BEL"; }
    bool convertsMetres() const { return Besteleenheid == "MTR" && Filiaal == "BEL"; }
};

} // namespace config
