#include "xml/TagList.h"

#include "TempDir.h"

#include "platform/Files.h"

#include <gtest/gtest.h>

using xml::TagList;

namespace {

using Paths = std::vector<std::string>;

constexpr const char* kOneLine
    = "<Order><Header><Nr>1</Nr></Header><Line><Art>A</Art><Qty>1</Qty></Line><Line><Art>B</Art><Qty>2</Qty></Line>"
      "</Order>";
constexpr const char* kIndented = "<Order>\n"
                                  "  <Header>\n    <Nr>1</Nr>\n  </Header>\n"
                                  "  <Line>\n    <Art>A</Art>\n    <Qty>1</Qty>\n  </Line>\n"
                                  "</Order>\n";

// The paths the tree walk gives: what the read must give however it reads.
Paths treeWalk(const std::string& path)
{
    xml::XmlDocument document;
    EXPECT_TRUE(document.loadFile(path)) << document.errorReason();
    TagList tags;
    tags.GETNODES(document.documentElement(), std::string());
    return tags.paths();
}

} // namespace

TEST(TagList, ListsEachLeafPathOnceInTheOrderFirstFound)
{
    struct Case
    {
        const char* name;
        std::string sample;
        Paths expected;
    };
    const Case cases[] = {
        { "one line", kOneLine, { "Header/Nr", "Line/Art", "Line/Qty" } },
        { "indented", kIndented, { "#text", "Header", "Header/Nr", "Line", "Line/Art", "Line/Qty" } },
        { "comment", "<Order><Header><!-- c --><Nr>1</Nr></Header></Order>", { "Header/#comment", "Header/Nr" } },
        { "only the document element", "<Order a='1'/>", {} },
        { "attributes, empty elements, prefixes",
            "<o xmlns:p='urn:p'><p:h id='1'/><e></e><t>x<![CDATA[y]]><?pi d?></t></o>",
            { "p:h", "e", "t", "t/#cdata-section", "t/pi" } },
        { "nothing outside the document element", "<!-- before --><?pi?><o><a/></o><!-- after -->", { "a" } },
        { "a document type reads as a tree",
            "<!DOCTYPE o [<!ELEMENT o ANY><!ELEMENT a ANY><!ELEMENT b EMPTY><!ENTITY e 'x'>]><o><a>&e;</a>\n<b/></o>",
            { "a/e", "#text", "b" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing_support::TempDir folder;
        const std::string path = folder.file("sample.xml");
        platform::replaceFile(path, c.sample);
        TagList tags;
        ASSERT_TRUE(tags.read(path)) << tags.errorReason();
        EXPECT_EQ(tags.paths(), c.expected);
        EXPECT_EQ(tags.paths(), treeWalk(path));
    }
}

TEST(TagList, KeepsThePreviousPathsWhenASampleCannotBeRead)
{
    testing_support::TempDir folder;
    const std::string good = folder.file("good.xml");
    platform::replaceFile(good, kOneLine);
    const std::string broken = folder.file("broken.xml");
    platform::replaceFile(broken, "<Order><Header></Order>");
    TagList tags;
    ASSERT_TRUE(tags.read(good));
    for (const std::string& path : { broken, folder.file("missing.xml") }) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(tags.read(path));
        EXPECT_FALSE(tags.errorReason().empty());
        EXPECT_EQ(tags.paths(), (Paths { "Header/Nr", "Line/Art", "Line/Qty" }));
    }
    // A later sample replaces the list as a whole.
    platform::replaceFile(good, "<Order><Other/></Order>");
    ASSERT_TRUE(tags.read(good));
    EXPECT_EQ(tags.paths(), (Paths { "Other" }));
}
