// The XML readers read most documents without building their tree; a bare document type
// declaration sends the same document through the tree, so both roads can be compared.

#include "ConversionRun.h"

#include "xml/XmlDocument.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

struct Written
{
    std::optional<std::string> document;
    std::vector<std::string> messages;
};

template <typename Reader>
Written readWith(
    const std::string& source, const std::string& article, const std::string& quantity, bool headerData, Reader reader)
{
    ConversionRun run;
    run.settings.XML_16 = article;
    run.settings.XML_17 = quantity;
    if (headerData) {
        run.writeOrderkop();
        run.settings.XML_1 = "head/c"; // never evaluated with header data
    }
    (run.conversion.*reader)(run.source(source));
    return { run.document(), run.messages.texts() };
}

std::size_t itemCount(const std::optional<std::string>& document)
{
    std::size_t count = 0;
    for (std::size_t at = document ? document->find("<ItemOut ") : std::string::npos; at != std::string::npos;
         at = document->find("<ItemOut ", at + 1)) {
        ++count;
    }
    return count;
}

std::string mercisForm(const std::string& recordTexts)
{
    std::string form = "<DOCUMENT>";
    for (int i = 0; i < 33; ++i) {
        form += "<TEXT>kop " + std::to_string(i) + "</TEXT>";
    }
    form += recordTexts;
    for (int i = 0; i < 16; ++i) {
        form += "<TEXT>voet</TEXT>";
    }
    return form + "</DOCUMENT>";
}

} // namespace

TEST(TreelessReading, XmlLinesAreTheSameWithAndWithoutTheTree)
{
    struct Case
    {
        const char* name;
        const char* source;
        const char* article;
        const char* quantity;
        std::size_t lines;
    };
    const Case cases[] = {
        { "relative paths", "<o>\r\n <l><a>4711</a><q>2,5</q></l>\r\n <l><q>3</q><a>0815</a></l>\r\n</o>", "l/a", "l/q",
            2 },
        { "absolute paths", "<o><l><a>1</a><q>2</q></l><x><l><a>9</a><q>9</q></l></x></o>", "/o/l/a", "/o/l/q", 1 },
        { "the wrong root", "<p><l><a>1</a><q>2</q></l></p>", "/o/l/a", "/o/l/q", 0 },
        { "mixed content", "<o><l><a> 1<b>2</b><![CDATA[3]]>&amp;</a><q>&#52;<!--x-->,5</q></l></o>", "l/a", "l/q", 1 },
        { "namespaces", "<o xmlns:p=\"u\"><l><p:a>1</p:a><a>2</a><q>3</q></l><l xmlns=\"v\"><a>4</a><q>5</q></l></o>",
            "l/a", "l/q", 1 },
        { "a selected node inside another", "<o><l><a>1<l><a>2</a></l></a><q>3</q></l></o>", "l/a", "l/q", 1 },
        { "one path for both", "<o><l><a>1</a><a>2</a></l></o>", "l/a", "l/a", 1 },
        { "pairs shifted by a missing quantity", "<o><l><a>1</a></l><l><a>2</a><q>3</q></l></o>", "l/a", "l/q", 1 },
        { "not plain paths", "<o><l><a>1</a><q>2</q></l></o>", "//l/a", "./l/q", 1 },
    };
    for (const Case& c : cases) {
        for (const bool headerData : { false, true }) {
            SCOPED_TRACE(std::string(c.name) + (headerData ? " with header data" : ""));
            const Written streamed
                = readWith(c.source, c.article, c.quantity, headerData, &convert::Conversion::VERWERK_XML);
            const Written tree = readWith(std::string("<!DOCTYPE o>") + c.source, c.article, c.quantity, headerData,
                &convert::Conversion::VERWERK_XML);
            EXPECT_EQ(itemCount(streamed.document), c.lines);
            EXPECT_EQ(streamed.document, tree.document);
            EXPECT_EQ(streamed.messages, tree.messages);
        }
    }
}

TEST(TreelessReading, XmlHeaderIsTheSameWithAndWithoutTheTree)
{
    struct Case
    {
        const char* name;
        const char* source;
        std::vector<std::pair<int, const char*>> expressions;
        const char* expected; // a part of the document
    };
    const Case cases[] = {
        { "first nodes", "<o><h><c>C1</c><c>C2</c><n>\r\nN\r\n</n></h><l><a>1</a><q>2</q></l><r>R</r></o>",
            { { 1, "h/c" }, { 2, "r" }, { 7, "h/n" } }, "<Contract_number>C1</Contract_number>" },
        { "a date from its parts", "<o><x><d>05</d><m>03</m><y>2024</y></x><l><a>1</a><q>2</q></l></o>",
            { { 6, "x/e" }, { 13, "x/d" }, { 14, "x/m" }, { 15, "/o/x/y" } }, "05-03-2024" },
        { "blank values", "<o><h><c> </c></h><l><a>1</a><q>2</q></l></o>", { { 1, "h/c" }, { 2, "h/none" } },
            "<Contract_number></Contract_number>" },
        { "a header node inside a line node", "<o><l><a>1<h>in</h></a><q>2</q></l><h>out</h></o>",
            { { 1, "l/a/h" }, { 2, "h" } }, "<Contract_number>in</Contract_number>" },
        { "a line node inside a header node", "<o><h>1<l><a>5</a><q>6</q></l></h></o>", { { 1, "h" }, { 2, "h/l" } },
            "<Contract_number>156</Contract_number>" },
        { "the same node for both", "<o><l><a>7</a><q>2</q></l></o>", { { 1, "l/a" } },
            "<Contract_number>7</Contract_number>" },
        { "an expression for the tree", "<o><h><c>C</c></h><l><a>1</a><q>2</q></l></o>", { { 1, "h/c[1]" } },
            "<Contract_number>C</Contract_number>" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Written written[2];
        for (const bool tree : { false, true }) {
            ConversionRun run;
            run.settings.XML_16 = "l/a";
            run.settings.XML_17 = "l/q";
            for (const auto& [number, expression] : c.expressions) {
                run.settings.xmlPath(number) = expression;
            }
            run.conversion.VERWERK_XML(run.source(std::string(tree ? "<!DOCTYPE o>" : "") + c.source));
            written[tree] = { run.document(), run.messages.texts() };
        }
        ASSERT_TRUE(written[0].document);
        EXPECT_NE(written[0].document->find(c.expected), std::string::npos) << *written[0].document;
        EXPECT_EQ(written[0].document, written[1].document);
        EXPECT_EQ(written[0].messages, written[1].messages);
    }
}

TEST(TreelessReading, XmlErrorsAreTheSameWithAndWithoutTheTree)
{
    // The same malformed body behind a document type fails at the same place with the same reason.
    const char* cases[] = { "<o><l><a>1</a></l>", "<o><l><a>&x;</a></l></o>", "<o><l xml:id=\"1\"/></o>" };
    for (const char* source : cases) {
        SCOPED_TRACE(source);
        const Written streamed = readWith(source, "l/a", "l/q", false, &convert::Conversion::VERWERK_XML);
        EXPECT_FALSE(streamed.document);
        ASSERT_EQ(streamed.messages.size(), 1u);
        EXPECT_EQ(streamed.messages[0].rfind("XMLDOM ERROR ", 0), 0u);
        xml::XmlDocument tree;
        EXPECT_FALSE(tree.loadMemory(source));
        EXPECT_EQ(streamed.messages[0], "XMLDOM ERROR " + tree.errorReason());
    }
}

TEST(TreelessReading, MercisFormsAreTheSameWithAndWithoutTheTree)
{
    const std::pair<const char*, std::string> cases[] = {
        { "plain records",
            mercisForm("<TEXT>4711</TEXT><TEXT>-</TEXT><TEXT>2,5</TEXT><TEXT/><TEXT/><TEXT/>"
                       "<TEXT>0815</TEXT><TEXT>-</TEXT><TEXT>3</TEXT><TEXT/><TEXT/><TEXT/>") },
        { "mixed content",
            mercisForm("<TEXT>47<b>11</b></TEXT><TEXT>-</TEXT><TEXT><![CDATA[2]]>&#44;5\r\n</TEXT>"
                       "<TEXT/><TEXT/><TEXT/>") },
        { "a text in another", "<DOCUMENT><TEXT>a<DOCUMENT><TEXT>b</TEXT><TEXT>c</TEXT></DOCUMENT></TEXT></DOCUMENT>" },
        { "texts elsewhere", "<X><TEXT>1</TEXT><DOCUMENT><P><TEXT>2</TEXT></P><TEXT>3</TEXT></DOCUMENT></X>" },
    };
    for (const auto& [name, source] : cases) {
        for (const bool headerData : { false, true }) {
            SCOPED_TRACE(std::string(name) + (headerData ? " with header data" : ""));
            const Written streamed = readWith(source, "", "", headerData, &convert::Conversion::VERWERK_MER);
            const Written tree
                = readWith("<!DOCTYPE DOCUMENT>" + source, "", "", headerData, &convert::Conversion::VERWERK_MER);
            EXPECT_TRUE(streamed.document);
            EXPECT_EQ(streamed.document, tree.document);
            EXPECT_EQ(streamed.messages, tree.messages);
        }
    }
}
