#include "ConversionRun.h"
#include "Loopback.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

constexpr const char* kTwoLines = "<order><line><art>4711</art><qty>2</qty></line>"
                                  "<line><art>0815</art><qty>3</qty></line></order>";

void mapLines(config::Settings& settings)
{
    settings.XML_16 = "line/art";
    settings.XML_17 = "line/qty";
}

} // namespace

TEST(XmlReader, EndsSilentlyWithoutSourceOrLineMapping)
{
    struct Case
    {
        const char* name;
        const char* source; // nullptr: no file at all
        const char* article;
        const char* quantity;
    };
    const Case cases[] = {
        { "no file", nullptr, "line/art", "line/qty" },
        { "empty file", "", "line/art", "line/qty" },
        { "no article mapping", kTwoLines, "", "line/qty" },
        { "no quantity mapping", kTwoLines, "line/art", "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConversionRun run;
        run.settings.XML_16 = c.article;
        run.settings.XML_17 = c.quantity;
        run.writeOrderkop();
        const std::string path = c.source ? run.source(c.source) : run.input.file("missing.xml");
        run.conversion.VERWERK_XML(path);
        EXPECT_FALSE(run.document());
        EXPECT_TRUE(run.messages.empty());
        // The run ended before taking the header data, so it waits for the next order.
        EXPECT_TRUE(run.orderkopLeft());
    }
}

TEST(XmlReader, ReportsAnUnreadableDocumentAndWritesNone)
{
    const std::pair<const char*, const char*> cases[] = {
        { "not well-formed", "<order><line><art>4711</art></line>" },
        { "not valid against its own DTD", "<!DOCTYPE order [<!ELEMENT order EMPTY>]>\n<order><line/></order>" },
        { "not XML at all", "4711;2\r\n" },
    };
    for (const auto& [name, source] : cases) {
        SCOPED_TRACE(name);
        ConversionRun run;
        mapLines(run.settings);
        run.conversion.VERWERK_XML(run.source(source));
        EXPECT_FALSE(run.document());
        ASSERT_EQ(run.messages.size(), 1u);
        EXPECT_EQ(run.messages.last().text.rfind("XMLDOM ERROR ", 0), 0u) << run.messages.last().text;
        EXPECT_GT(run.messages.last().text.size(), std::string("XMLDOM ERROR ").size());
    }
}

TEST(XmlReader, ReadsADocumentThatIsValidAgainstItsOwnDtd)
{
    ConversionRun run;
    mapLines(run.settings);
    run.conversion.VERWERK_XML(run.source("<!DOCTYPE order [<!ELEMENT order (line*)><!ELEMENT line (art,qty)>"
                                          "<!ELEMENT art (#PCDATA)><!ELEMENT qty (#PCDATA)>]>\n"
        + std::string(kTwoLines)));
    EXPECT_TRUE(run.messages.empty());
    const auto document = run.document();
    ASSERT_TRUE(document);
    EXPECT_NE(document->find("<SupplierPartID>0815</SupplierPartID>"), std::string::npos);
}

TEST(XmlReader, NamesTheSettingWhoseExpressionSelectsNoNodes)
{
    struct Case
    {
        int number;
        const char* expression;
    };
    const Case cases[] = {
        { 3, "head/[" },
        { 6, "'2024-03-05'" },
        { 15, "count(//y)" },
        { 16, "line/art[" },
        { 17, "line/qty)" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        ConversionRun run;
        mapLines(run.settings);
        run.settings.xmlPath(c.number) = c.expression;
        run.conversion.VERWERK_XML(run.source(kTwoLines));
        EXPECT_FALSE(run.document());
        ASSERT_EQ(run.messages.size(), 1u);
        const std::string& text = run.messages.last().text;
        EXPECT_NE(text.find("XML_" + std::to_string(c.number) + " "), std::string::npos) << text;
        EXPECT_NE(text.find(c.expression), std::string::npos) << text;
    }
}

TEST(XmlReader, HeaderDataLeavesTheHeaderExpressionsUnused)
{
    ConversionRun run;
    mapLines(run.settings);
    run.settings.XML_3 = "head/[";
    run.writeOrderkop();
    run.conversion.VERWERK_XML(run.source(kTwoLines));
    EXPECT_TRUE(run.messages.empty());
    const auto document = run.document();
    ASSERT_TRUE(document);
    EXPECT_NE(document->find("requestedDeliveryDate=\"2024-06-01\""), std::string::npos);
}

TEST(XmlReader, BuildsTheDeliveryDateFromItsParts)
{
    struct Case
    {
        const char* name;
        const char* date;
        const char* day;
        const char* expected;
    };
    // Tuesday 2024-03-05: the default is Thursday 2024-03-07.
    const Case cases[] = {
        { "mapped date wins", "h/date", "h/d", "2024-04-30" },
        { "day, month and year", "", "h/d", "05-03-2024" },
        { "blank mapped date", "h/blank", "h/d", "05-03-2024" },
        { "a part missing", "", "h/none", "2024-03-07" },
        { "a part blank", "", "h/blank", "2024-03-07" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConversionRun run;
        run.settings.XML_6 = c.date;
        run.settings.XML_13 = c.day;
        run.settings.XML_14 = "h/m";
        run.settings.XML_15 = "h/y";
        const convert::KOPLIJST header = run.conversion.VERWERK_XML_KOP(
            run.source("<o><h><date>2024-04-30</date><blank> \n </blank><d>05</d><m>03</m><y>2024</y></h></o>"));
        ASSERT_EQ(header.size(), 15u);
        EXPECT_EQ(header[5], c.expected);
        EXPECT_EQ(header[0], " ");
    }
}

TEST(XmlReader, NeverFetchesAnOutsideDtdOrEntity)
{
    testing_support::LoopbackListener listener;
    ASSERT_GT(listener.port(), 0);
    const std::string url = "http://127.0.0.1:" + std::to_string(listener.port());

    ConversionRun run;
    mapLines(run.settings);
    run.conversion.VERWERK_XML(run.source("<!DOCTYPE order SYSTEM \"" + url + "/order.dtd\" [<!ENTITY e SYSTEM \"" + url
        + "/e.xml\">]>\n<order><line><art>&e;</art><qty>1</qty></line></order>"));

    // A connection attempt would be waiting in the backlog by now.
    EXPECT_FALSE(listener.wasContacted(std::chrono::milliseconds(200)));
}
