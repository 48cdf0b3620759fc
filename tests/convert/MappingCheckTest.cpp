#include "ConversionRun.h"

#include "convert/MappingCheck.h"
#include "convert/XmlMapping.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

constexpr const char* kSample = "<order>\n  <head><ref>PO 7</ref><name>Bouw &amp; Co</name></head>\n"
                                "  <line><art> 4711 </art><qty>2,5</qty></line>\n"
                                "  <line><qty>3</qty><art>0815</art></line>\n</order>\n";

struct Checked
{
    std::optional<convert::MappingCheck> check;
    std::string report;
};

Checked check(ConversionRun& run)
{
    Checked result;
    result.check = convert::checkMapping(run.settings, run.source(kSample), "2024-03-07", run.messages);
    if (result.check) {
        result.report = convert::mappingCheckReport(*result.check);
    }
    return result;
}

} // namespace

TEST(MappingCheck, ShowsWhatAGoodMappingSelectsWithoutWritingOrReadingHeaderData)
{
    ConversionRun run;
    run.settings.XML_2 = "head/ref";
    run.settings.XML_7 = "/order/head/name";
    run.settings.XML_16 = "line/art";
    run.settings.XML_17 = "line/qty";
    run.writeOrderkop();
    const Checked result = check(run);
    ASSERT_TRUE(result.check);
    EXPECT_TRUE(run.messages.empty());
    EXPECT_TRUE(result.check->problems.empty()) << result.report;
    EXPECT_EQ(result.check->header[1].value, "PO 7");
    EXPECT_EQ(result.check->header[6].value, "Bouw & Co");
    EXPECT_EQ(result.check->header[5].value, "2024-03-07");
    EXPECT_EQ(result.check->lineCount, 2u);
    ASSERT_EQ(result.check->firstLines.size(), 2u);
    EXPECT_EQ(result.check->firstLines[0].article, "4711");
    EXPECT_EQ(result.check->firstLines[0].quantity, "2,5");
    EXPECT_EQ(result.check->firstLines[1].article, "0815");
    EXPECT_NE(result.report.find("Order ref. num (XML_2): PO 7\n"), std::string::npos) << result.report;
    EXPECT_NE(result.report.find("Aantal orderlijnen: 2\n"), std::string::npos) << result.report;
    EXPECT_NE(result.report.find("1. 4711, 2,5\n2. 0815, 3\n"), std::string::npos) << result.report;
    EXPECT_FALSE(run.document());
    EXPECT_TRUE(run.orderkopLeft());
}

TEST(MappingCheck, NamesEveryExpressionThatIsInvalidOrSelectsNothingAsTheReaderDoes)
{
    struct Case
    {
        const char* name;
        int number;
        const char* expression;
    };
    const Case cases[] = {
        { "invalid header expression", 3, "head/[" },
        { "header expression selecting nothing", 5, "head/phone" },
        { "header expression selecting no node set", 6, "count(//art)" },
        { "invalid line expression", 16, "line/art[" },
        { "line expression selecting nothing", 17, "line/amount" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConversionRun run;
        run.settings.XML_2 = "head/ref";
        run.settings.XML_16 = "line/art";
        run.settings.XML_17 = "line/qty";
        run.settings.xmlPath(c.number) = c.expression;
        const Checked result = check(run);
        ASSERT_TRUE(result.check);
        ASSERT_EQ(result.check->problems.size(), 1u) << result.report;
        const std::string& problem = result.check->problems.front();
        EXPECT_EQ(problem, convert::badExpressionText(c.number, c.expression));
        EXPECT_NE(result.report.find(problem), std::string::npos);
        // The header still shows what the other expressions select.
        EXPECT_EQ(result.check->header[1].value, "PO 7");

        // Where the reader stops on the same mapping, it says the same.
        if (c.number == 3 || c.number == 6 || c.number == 16) {
            run.conversion.VERWERK_XML(run.source(kSample));
            EXPECT_EQ(run.messages.texts(), std::vector<std::string> { problem });
        }
    }
}
