#include "ConversionRun.h"

#include "convert/ConvertedOrder.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace testing_support;

namespace {

bool hasNote(const convert::ConvertedOrder& converted, const std::string& note)
{
    return std::find(converted.notes.begin(), converted.notes.end(), note) != converted.notes.end();
}

} // namespace

TEST(ConvertedOrder, ShowsWhereMetresCameFromAndWhatTheReaderPassedOver)
{
    ConversionRun run;
    run.settings.Schema = "CSV";
    run.settings.CSV_char = ";";
    run.settings.CSV_art = 1;
    run.settings.CSV_aant = 2;
    run.settings.Koprecord = "YES";
    run.settings.Filiaal = "BEL";
    run.settings.Besteleenheid = "MTR";
    run.lengths.add(" 123 ", 5.8);
    const std::string source = run.source("artikel;meter\r\n 123 ;12\r\n4711;2,5\r\n;5\r\n\r\n");

    const convert::ConvertedOrder converted = run.conversion.convertInMemory("CSV", source, &run.lengths);
    ASSERT_TRUE(converted.hasOrder);
    ASSERT_EQ(converted.order.lines.size(), 2u);
    EXPECT_FALSE(run.hasDocument());
    EXPECT_EQ(converted.metreLines.size(), 1u);
    EXPECT_EQ(converted.metreLine(1), nullptr);
    EXPECT_TRUE(hasNote(converted, "Bronregel 1 overgeslagen: kopregel (Koprecord)."));
    EXPECT_TRUE(hasNote(converted, "Bronregel 4 overgeslagen: geen artikelnummer in veld CSV_art."));
    EXPECT_TRUE(hasNote(converted, "Regel 2 (4711): geen buislengte gevonden, het aantal blijft in meter."));
    EXPECT_EQ(converted.notes.size(), 3u) << "a blank line is no remark";

    const std::string text = convert::previewText(converted, "BE");
    EXPECT_NE(text.find("Regel\tArtikel\tAantal\tMeter\tBuislengte\n1\t123\t3\t12\t5,8\n2\t4711\t2,5\t\t\n"),
        std::string::npos)
        << text;
    EXPECT_NE(text.find("Leverdatum: 2024-03-07\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Webshop: BE\n"), std::string::npos) << text;
}

TEST(ConvertedOrder, SaysThereIsNoDataWhenTheRunMadeNoOrder)
{
    ConversionRun run;
    run.settings.XML_16 = "line/art";
    run.settings.XML_17 = "line/qty";
    run.writeOrderkop();
    const std::string broken = run.source("<order><line><art>4711</art></line>");
    for (const std::string& path : { run.input.file("missing.xml"), broken }) {
        SCOPED_TRACE(path);
        const convert::ConvertedOrder converted = run.conversion.convertInMemory("XML", path, nullptr);
        EXPECT_FALSE(converted.hasOrder);
        EXPECT_EQ(converted.notes, std::vector<std::string> { "Geen data in " + path });
        EXPECT_EQ(converted.document(), "");
        EXPECT_FALSE(run.conversion.deliver(converted));
        EXPECT_FALSE(run.hasDocument());
        EXPECT_TRUE(run.orderkopLeft());
    }
}
