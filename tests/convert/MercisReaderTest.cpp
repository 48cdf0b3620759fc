#include "ConversionRun.h"

#include "xml/XmlDocument.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// A form of count TEXT nodes, each "x" unless given.
std::string form(std::size_t count, const std::vector<std::pair<std::size_t, std::string>>& texts)
{
    std::vector<std::string> nodes(count, "x");
    for (const auto& [number, text] : texts) {
        nodes.at(number) = text;
    }
    std::string xml = "<DOCUMENT>";
    for (const std::string& node : nodes) {
        xml += "<TEXT>" + node + "</TEXT>";
    }
    return xml + "</DOCUMENT>";
}

std::size_t itemCount(const std::string& document)
{
    std::size_t count = 0;
    for (std::size_t at = document.find("<ItemOut "); at != std::string::npos;
         at = document.find("<ItemOut ", at + 1)) {
        ++count;
    }
    return count;
}

} // namespace

TEST(MercisReader, WithoutFormTextsEndsBeforeTakingTheHeaderData)
{
    const std::pair<const char*, const char*> cases[] = {
        { "no TEXT at all", "<DOCUMENT><PAGE/></DOCUMENT>" },
        { "TEXT elsewhere", "<FORM><PAGE><TEXT>1</TEXT></PAGE><DOCUMENT/></FORM>" },
        { "in a default namespace", "<DOCUMENT xmlns=\"urn:form\"><TEXT>1</TEXT></DOCUMENT>" },
        { "with a prefix", "<f:DOCUMENT xmlns:f=\"urn:form\"><f:TEXT>1</f:TEXT></f:DOCUMENT>" },
    };
    for (const auto& [name, source] : cases) {
        SCOPED_TRACE(name);
        ConversionRun run;
        run.writeOrderkop();
        run.conversion.VERWERK_MER(run.source(source));
        EXPECT_FALSE(run.document());
        EXPECT_TRUE(run.messages.empty());
        EXPECT_TRUE(run.orderkopLeft());
    }
}

TEST(MercisReader, FindsTheFormTextsTheXPathFindsInTheSameOrder)
{
    // The contract number is the third form text, wherever the texts stand.
    const char* cases[] = {
        "<X><DOCUMENT><TEXT>a</TEXT></DOCUMENT><Y><DOCUMENT><TEXT>b</TEXT><TEXT>c<TEXT>d</TEXT></TEXT></DOCUMENT></Y></"
        "X>",
        "<DOCUMENT><TEXT>a<DOCUMENT><TEXT>b</TEXT><TEXT>c</TEXT></DOCUMENT></TEXT><TEXT>d</TEXT></DOCUMENT>",
        "<DOCUMENT><TEXT>a</TEXT><P><TEXT>x</TEXT></P><TEXT>b</TEXT><!-- c --><TEXT>c<b>2</b></TEXT></DOCUMENT>",
        "<DOCUMENT><TEXT>a</TEXT><TEXT>b</TEXT><x:TEXT xmlns:x=\"u\">x</x:TEXT><TEXT>c</TEXT></DOCUMENT>",
    };
    for (const char* source : cases) {
        SCOPED_TRACE(source);
        xml::XmlDocument xpath;
        ASSERT_TRUE(xpath.loadMemory(source));
        const auto nodes = xpath.select("//DOCUMENT/TEXT");
        ASSERT_TRUE(nodes && nodes->size() > 2);
        ConversionRun run;
        run.conversion.VERWERK_MER(run.source(source));
        const auto document = run.document();
        ASSERT_TRUE(document);
        EXPECT_NE(document->find("<Contract_number>" + (*nodes)[2].text() + "</Contract_number>"), std::string::npos);
    }
}

TEST(MercisReader, ReportsAnUnreadableDocumentAndKeepsTheHeaderData)
{
    ConversionRun run;
    run.writeOrderkop();
    run.conversion.VERWERK_MER(run.source("<DOCUMENT><TEXT>1</TEXT>"));
    EXPECT_FALSE(run.document());
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_EQ(run.messages.last().text.rfind("XMLDOM ERROR ", 0), 0u);
    EXPECT_TRUE(run.orderkopLeft());
}

TEST(MercisReader, TakesRecordsOnlyBetweenTheFormsHeadAndFooter)
{
    struct Case
    {
        const char* name;
        std::size_t count;
        std::vector<std::pair<std::size_t, std::string>> texts;
        std::size_t lines;
    };
    // Records run from node 33 to node count - 17; "x" never starts one.
    const Case cases[] = {
        { "too short for any record", 49, { { 33, "1" }, { 35, "2" } }, 0 },
        { "one record at the very end", 52, { { 35, "1" }, { 37, "2" } }, 0 },
        { "record ending on the last node", 53, { { 34, "1" }, { 36, "2" } }, 1 },
        { "digits in the head and footer", 70, { { 32, "1" }, { 53, "1" }, { 55, "2" } }, 0 },
        { "a start found late", 70, { { 33, "Art" }, { 40, "7" }, { 42, "1" }, { 46, "8" }, { 48, "1" } }, 2 },
        { "no record start", 70, {}, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConversionRun run;
        run.conversion.VERWERK_MER(run.source(form(c.count, c.texts)));
        EXPECT_TRUE(run.messages.empty());
        // An order without lines is still written.
        const auto document = run.document();
        ASSERT_TRUE(document);
        EXPECT_EQ(itemCount(*document), c.lines);
    }
}
