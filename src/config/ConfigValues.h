#pragma once

#include "config/Settings.h"

#include <string>

namespace config {

// What the settings dialog hands to the writer: every config.xml value as the text to store,
// numbers as typed in their edits, Schema and CSV_char already chosen from the radio buttons,
// DirectERP already "1" or "0", and the password in plain (the writer enciphers it).
struct ConfigValues
{
    std::string Identity;
    std::string DirectERP;
    std::string Secret;
    std::string lang;
    std::string addressID;
    std::string MapIn;
    std::string Extentie;
    std::string Schema;
    std::string Koprecord;
    std::string Filiaal;
    std::string Webpagina;
    std::string Besteleenheid;
    std::string Bestand_del;
    std::string MC1000_SND;
    std::string SDF_art_van;
    std::string SDF_art_tot;
    std::string SDF_ant_van;
    std::string SDF_ant_tot;
    std::string CSV_char;
    std::string CSV_art;
    std::string CSV_aant;
    std::string ICM;
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

    // The values of a settings record, numbers in decimal: saving them writes what was read.
    static ConfigValues fromSettings(const Settings& settings);

    friend bool operator==(const ConfigValues&, const ConfigValues&) = default;
};

} // namespace config
