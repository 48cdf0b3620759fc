#include "xml/XmlDocument.h"
#include "xml/XmlText.h"

#include "platform/Files.h"

#include "Loopback.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

using xml::XmlDocument;
using xml::XmlNodeKind;

namespace {

// A local file as a document refers to it: its path, or on Windows (where a path with a drive and
// backslashes is no URI) a file: URI.
std::string fileReference(std::string path)
{
#ifdef _WIN32
    std::replace(path.begin(), path.end(), '\\', '/');
    return "file:///" + path;
#else
    return path;
#endif
}

std::vector<std::string> names(const std::vector<xml::XmlNode>& nodes)
{
    std::vector<std::string> result;
    for (const auto& node : nodes) {
        result.push_back(node.name());
    }
    return result;
}

// Every element named tagName ("*": every element) from node down, in document order.
void collectElements(const xml::XmlNode& node, const std::string& tagName, std::vector<xml::XmlNode>& found)
{
    if (!node.isElement()) {
        return;
    }
    if (tagName == "*" || node.name() == tagName) {
        found.push_back(node);
    }
    for (const xml::XmlNode& child : node.children()) {
        collectElements(child, tagName, found);
    }
}

std::vector<xml::XmlNode> elementsByTagName(const XmlDocument& doc, const std::string& tagName)
{
    std::vector<xml::XmlNode> found;
    collectElements(doc.documentElement(), tagName, found);
    return found;
}

} // namespace

TEST(XmlDocument, KeepsWhitespaceAndListsEveryChildInOrder)
{
    XmlDocument doc;
    ASSERT_TRUE(doc.loadMemory("<r>\r\n  <a>\t</a><b> </b><!--c--><?pi data?><![CDATA[x<y]]></r>"));
    const auto children = doc.documentElement().children();
    EXPECT_EQ(names(children), (std::vector<std::string> { "#text", "a", "b", "#comment", "pi", "#cdata-section" }));
    EXPECT_EQ(children[0].kind(), XmlNodeKind::Text);
    EXPECT_EQ(children[1].text(), "\t");
    EXPECT_EQ(children[2].text(), " ");
    EXPECT_EQ(children[4].text(), "data");
    EXPECT_EQ(children[5].text(), "x<y");
}

TEST(XmlDocument, ReportsTheFirstParseErrorWithoutPrintingIt)
{
    const std::pair<const char*, const char*> cases[] = {
        { "<a><b></a>", "Opening and ending tag mismatch" },
        { "", "Document is empty" },
        { "<a>&undefined;</a>", "Entity 'undefined' not defined" },
        { "<p:a/>", "Namespace prefix p on a is not defined" },
        { "<a/><b/>", "Extra content at the end of the document" },
    };
    for (const auto& [text, reason] : cases) {
        SCOPED_TRACE(text);
        XmlDocument doc;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(doc.loadMemory(text));
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_FALSE(doc.isLoaded());
        EXPECT_NE(doc.errorReason().find(reason), std::string::npos) << doc.errorReason();
        EXPECT_EQ(doc.errorReason().find('\n'), std::string::npos);
    }
}

TEST(XmlDocument, ValidatesAgainstItsOwnDtd)
{
    const std::string dtd = "<!DOCTYPE r [<!ELEMENT r (a)*><!ELEMENT a (#PCDATA)>]>";
    XmlDocument valid;
    EXPECT_TRUE(valid.loadMemory(dtd + "<r><a>1</a></r>")) << valid.errorReason();
    XmlDocument invalid;
    EXPECT_FALSE(invalid.loadMemory(dtd + "<r><b>1</b></r>"));
    EXPECT_NE(invalid.errorReason().find("does not follow the DTD"), std::string::npos) << invalid.errorReason();
}

TEST(XmlDocument, NeverFetchesExternalDtdsOrEntities)
{
    testing_support::LoopbackListener listener;
    const std::string url = "http://127.0.0.1:" + std::to_string(listener.port()) + "/x";
    testing_support::TempDir dir;
    {
        std::ofstream(dir.file("secret.txt")) << "local secret";
    }
    const std::string documents[] = {
        "<!DOCTYPE r SYSTEM \"" + url + ".dtd\"><r><a>1</a></r>",
        "<!DOCTYPE r [<!ENTITY e SYSTEM \"" + url + ".ent\">]><r><a>1&e;</a></r>",
        "<!DOCTYPE r [<!ENTITY e SYSTEM \"" + fileReference(dir.file("secret.txt")) + "\">]><r><a>1&e;</a></r>",
        "<!DOCTYPE r [<!ELEMENT r ANY><!ELEMENT a ANY><!ENTITY e SYSTEM \"" + url + ".ent\">]><r><a>1&e;</a></r>",
    };
    for (const auto& text : documents) {
        SCOPED_TRACE(text);
        XmlDocument doc;
        testing::internal::CaptureStderr();
        const bool loaded = doc.loadMemory(text);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_TRUE(loaded) << doc.errorReason();
        if (loaded) {
            const auto a = doc.select("a");
            ASSERT_TRUE(a && a->size() == 1);
            EXPECT_EQ((*a)[0].text(), "1");
        }
    }
    EXPECT_FALSE(listener.wasContacted());
}

TEST(XmlDocument, StopsRunawayEntityExpansion)
{
    std::string nested = "<!DOCTYPE r [<!ENTITY e0 \"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\">";
    for (int i = 1; i < 12; ++i) {
        const std::string previous = "&e" + std::to_string(i - 1) + ";";
        nested += "<!ENTITY e" + std::to_string(i) + " \"";
        for (int j = 0; j < 10; ++j) {
            nested += previous;
        }
        nested += "\">";
    }
    nested += "]><r>&e11;</r>";
    std::string repeated = "<!DOCTYPE r [<!ENTITY e \"" + std::string(20000, 'x') + "\">]><r>";
    for (int i = 0; i < 10000; ++i) {
        repeated += "&e;";
    }
    repeated += "</r>";
    // The same flat blow-up inside an attribute value, which a mapping may select.
    std::string inAttribute = "<!DOCTYPE r [<!ENTITY e \"" + std::string(1000, 'x') + "\">]><r><h a=\"";
    for (int i = 0; i < 7000; ++i) {
        inAttribute += "&e;";
    }
    inAttribute += "\"/></r>";
    for (const auto& text : { nested, repeated, inAttribute }) {
        XmlDocument doc;
        EXPECT_FALSE(doc.loadMemory(text));
        EXPECT_FALSE(doc.errorReason().empty());
    }

    XmlDocument ordinary;
    ASSERT_TRUE(ordinary.loadMemory("<!DOCTYPE r [<!ENTITY co \"Pipes &amp; Co\"><!ENTITY both \"&co;/&co;\">]>"
                                    "<r><a n=\"&both;\">&co; &both;</a></r>"));
    EXPECT_EQ((*ordinary.select("a"))[0].text(), "Pipes & Co Pipes & Co/Pipes & Co");
    EXPECT_EQ((*ordinary.select("a/@n"))[0].text(), "Pipes & Co/Pipes & Co");
}

TEST(XmlDocument, SelectsRelativeToTheDocumentElementInDocumentOrder)
{
    XmlDocument doc;
    ASSERT_TRUE(doc.loadMemory("<r><l><n>1</n><q>2</q></l><l><q>4</q><n>3</n></l></r>"));
    const auto both = doc.select("l/n|l/q");
    ASSERT_TRUE(both);
    EXPECT_EQ(names(*both), (std::vector<std::string> { "n", "q", "q", "n" }));
    EXPECT_EQ((*both)[3].text(), "3");

    const auto root = doc.select("/");
    ASSERT_TRUE(root && root->size() == 1);
    EXPECT_EQ((*root)[0].kind(), XmlNodeKind::Document);
    EXPECT_EQ((*root)[0].text(), "1243");

    EXPECT_EQ(doc.select("nothing")->size(), 0u);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(doc.select("l[")) << "invalid expression";
    EXPECT_FALSE(doc.select("count(l)")) << "not a node set";
    EXPECT_FALSE(doc.select("unknown(l)"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(XmlDocument, ListsAllElementsByTagName)
{
    XmlDocument doc;
    ASSERT_TRUE(doc.loadMemory("<r xmlns:p=\"urn:p\"><a><p:b/></a><c>t</c><a/></r>"));
    EXPECT_EQ(names(elementsByTagName(doc, "*")), (std::vector<std::string> { "r", "a", "p:b", "c", "a" }));
    EXPECT_EQ(elementsByTagName(doc, "a").size(), 2u);
    EXPECT_EQ(doc.select("@*|namespace::*")->size(), 2u); // the xml and p namespaces
}

TEST(XmlDocument, ReportsAMissingFileWithTheSystemText)
{
    testing_support::TempDir dir;
    XmlDocument doc;
    EXPECT_FALSE(doc.loadFile(dir.file("absent.xml")));
#ifdef _WIN32
    EXPECT_EQ(doc.errorReason(), platform::errorText(2)); // ERROR_FILE_NOT_FOUND
#else
    EXPECT_EQ(doc.errorReason(), "No such file or directory");
#endif
}

TEST(XmlDocument, ReadsWindows1252AsEveryPlatformDoes)
{
    // The bytes 80-9F are where Windows-1252 differs from ISO-8859-1; a Windows build of the
    // parser has no converter of its own for them.
    for (const char* name : { "windows-1252", "Windows-1252", "cp1252" }) {
        SCOPED_TRACE(name);
        XmlDocument doc;
        ASSERT_TRUE(doc.loadMemory(
            std::string("<?xml version=\"1.0\" encoding=\"") + name + "\"?><r a=\"\x80\">caf\xE9 \x93x\x94 \x81</r>"))
            << doc.errorReason();
        EXPECT_EQ(doc.documentElement().text(), "caf\xC3\xA9 \xE2\x80\x9Cx\xE2\x80\x9D \xC2\x81");
        const auto attribute = doc.select("@a");
        ASSERT_TRUE(attribute && attribute->size() == 1);
        EXPECT_EQ(attribute->front().text(), "\xE2\x82\xAC");
    }
}

TEST(XmlText, EscapesMarkupCharacters)
{
    EXPECT_EQ(xml::escapeXml("a&b<c>d\"e"), "a&amp;b&lt;c&gt;d\"e");
    EXPECT_EQ(xml::escapeXml("\"", true), "&quot;");
}

TEST(XmlText, TurnsWhatLatin1CannotHoldIntoReferences)
{
    const std::pair<std::string, std::string> cases[] = {
        { "abc", "abc" },
        { "caf\xC3\xA9", "caf\xE9" },
        { "\xE2\x82\xAC", "&#8364;" },
        { "\xF0\x9F\x98\x80", "&#128512;" },
        { "a\xFF"
          "b",
            "a&#65533;b" },
        { "\xC3", "&#65533;" },
        { "\xC0\xAF", "&#65533;&#65533;" },
        { "\xED\xA0\x80", "&#65533;&#65533;&#65533;" },
    };
    for (const auto& [utf8, latin1] : cases) {
        SCOPED_TRACE(utf8);
        EXPECT_EQ(xml::utf8ToLatin1WithReferences(utf8), latin1);
    }
}
