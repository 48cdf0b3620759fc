#include "xml/XmlDocument.h"

#include "TempDir.h"

#include "platform/Files.h"

#include <gtest/gtest.h>

using xml::XmlDocument;

namespace {

// Writes down what a document hands over: "<name>" ("<ns:name>" in a namespace), "</>" and the
// texts; gives up at the element named in giveUpAt.
class Trace final : public xml::XmlEvents
{
public:
    std::string events;
    std::string giveUpAt;

    bool startElement(std::string_view localName, std::string_view, bool inNamespace) override
    {
        if (localName == giveUpAt) {
            return false;
        }
        events += std::string(inNamespace ? "<ns:" : "<") + std::string(localName) + ">";
        return true;
    }
    void endElement() override { events += "</>"; }
    void text(std::string_view characters) override { events += characters; }
};

struct Streamed
{
    bool ok = false;
    bool tree = false;
    std::string error;
    std::string events;
};

Streamed stream(const std::string& bytes, const std::string& giveUpAt = {})
{
    testing_support::TempDir folder;
    const std::string path = folder.file("document.xml");
    platform::replaceFile(path, bytes);
    XmlDocument document;
    Trace trace;
    trace.giveUpAt = giveUpAt;
    Streamed result;
    result.ok = document.streamFile(path, trace);
    result.tree = document.isLoaded();
    result.error = document.errorReason();
    result.events = trace.events;
    return result;
}

} // namespace

TEST(XmlStream, HandsOverElementsAndTextAsTheTreeHoldsThem)
{
    const std::pair<const char*, const char*> cases[] = {
        { "<a>x<b>y</b>z</a>", "<a>x<b>y</>z</>" },
        { "<a>\r\n <b/>\t</a>", "<a>\n <b></>\t</>" },
        { "<a><![CDATA[<1>]]>&amp;&#50;<!-- c --><?p i?>3</a>", "<a><1>&23</>" },
        { "<a xmlns:p=\"u\"><p:b/><c xmlns=\"v\"/><d xmlns=\"\"/></a>", "<a><ns:b></><ns:c></><d></></>" },
        { "<a xml:lang=\"nl\" b=\"1\">x</a>", "<a>x</>" },
    };
    for (const auto& [source, events] : cases) {
        SCOPED_TRACE(source);
        const Streamed result = stream(source);
        EXPECT_TRUE(result.ok);
        EXPECT_FALSE(result.tree);
        EXPECT_EQ(result.events, events);
    }
}

TEST(XmlStream, LeavesToTheTreeWhatOnlyTheTreeChecks)
{
    struct Case
    {
        const char* name;
        const char* source;
        const char* giveUpAt;
        bool ok;
    };
    const Case cases[] = {
        { "a document type", "<!DOCTYPE a><a>x</a>", "", true },
        { "an own DTD with an entity", "<!DOCTYPE a [<!ELEMENT a (#PCDATA)><!ENTITY e \"1\">]><a>&e;</a>", "", true },
        { "invalid against its own DTD", "<!DOCTYPE a [<!ELEMENT a EMPTY>]><a>x</a>", "", false },
        { "an xml:id", "<a><b xml:id=\"k\"/></a>", "", true },
        { "an xml:id that is no name", "<a><b xml:id=\"1\"/></a>", "", false },
        { "events giving up", "<a><b/></a>", "b", true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Streamed result = stream(c.source, c.giveUpAt);
        XmlDocument tree;
        const bool treeOk = tree.loadMemory(c.source);
        EXPECT_EQ(result.ok, c.ok);
        EXPECT_EQ(treeOk, c.ok);
        EXPECT_EQ(result.tree, c.ok);
        EXPECT_EQ(result.error, tree.errorReason());
    }
}

TEST(XmlStream, FailsWithTheErrorsOfTheTreeLoad)
{
    const char* cases[] = {
        "<a><b></a>",
        "<a>&nbsp;</a>",
        "<a b=\"1\" b=\"2\"/>",
        "<p:a/>",
        "<a>\x01</a>",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a>\xff</a>",
        "",
        "<a/><b/>",
        // An unclosed comment is quoted from its start, also when a later character is not ASCII.
        "<a><!--tel>\n  <name>M\xc3\xbcller</name>\n</a>",
    };
    for (const char* source : cases) {
        SCOPED_TRACE(source);
        const Streamed result = stream(source);
        XmlDocument tree;
        EXPECT_FALSE(tree.loadMemory(source));
        EXPECT_FALSE(result.ok);
        EXPECT_FALSE(result.tree);
        EXPECT_FALSE(result.error.empty());
        EXPECT_EQ(result.error, tree.errorReason());
    }
}

TEST(XmlStream, ReportsAMissingFileAsTheTreeLoadDoes)
{
    testing_support::TempDir folder;
    const std::string path = folder.file("missing.xml");
    XmlDocument streamed;
    XmlDocument tree;
    Trace trace;
    EXPECT_FALSE(streamed.streamFile(path, trace));
    EXPECT_FALSE(tree.loadFile(path));
    EXPECT_EQ(streamed.errorReason(), tree.errorReason());
}
