#include "ConversionRun.h"

#include "convert/OrderDocument.h"

#include <gtest/gtest.h>

using namespace convert;
using testing_support::xmlProblems;

namespace {

std::vector<std::string> documentLines(const std::string& document)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < document.size()) {
        const std::size_t end = document.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(document.substr(start) + "<no CR LF>");
            break;
        }
        lines.push_back(document.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

ORDER orderWithFixedValues()
{
    ORDER order;
    order.from = { "billToAddressCode", "", "" };
    order.request = { "0", "production" };
    order.header.OrderDate = "2024-03-05";
    order.header.type = "new";
    order.header.currency = "0";
    order.header.Shipping_method = "1";
    return order;
}

} // namespace

TEST(OrderDocument, AnOrderWithoutLinesHasFortyLinesAllEndedByCrLf)
{
    const std::string document = orderDocument(orderWithFixedValues());
    const auto lines = documentLines(document);
    ASSERT_EQ(lines.size(), 40u);
    EXPECT_EQ(lines[0], "bcdata=<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>");
    EXPECT_EQ(lines[13], "    <OrderRequestHeader type=\"new\" OrderDate=\"2024-03-05\" OrderID=\"2024-03-05\">");
    EXPECT_EQ(lines[18], "      <Contract_number></Contract_number>");
    EXPECT_EQ(lines[24], "        <Address addressID=\"\">");
    EXPECT_EQ(lines[31], "            <Country isoCountryCode=\"\"> </Country>");
    EXPECT_EQ(lines[36], "    </OrderRequestHeader>");
    EXPECT_EQ(lines[37], "    </OrderRequest>");
    EXPECT_EQ(lines[38], "  </Request>");
    EXPECT_EQ(lines[39], "</cXML>");
    EXPECT_EQ(xmlProblems(document), "");
}

TEST(OrderDocument, EscapesReservedCharactersAndKeepsOtherBytes)
{
    ORDER order = orderWithFixedValues();
    order.header.name = "A & \"B\" <C>";
    order.header.Street = "Stra\xdf"
                          "e 1"; // ISO-8859-1 from a text source, passed unchanged
    order.lines.push_back({ "1", "2024-03-07", "1", "a&b" });
    const std::string document = orderDocument(order);
    EXPECT_NE(document.find("<PostalAddress name=\"A &amp; &quot;B&quot; &lt;C&gt;\">"), std::string::npos);
    EXPECT_NE(document.find("<Street>Stra\xdf"
                            "e 1</Street>"),
        std::string::npos);
    EXPECT_NE(document.find("<SupplierPartID>a&amp;b</SupplierPartID>"), std::string::npos);
    EXPECT_EQ(xmlProblems(document), "");
}

TEST(OrderDocument, DropsControlBytesThatXmlCannotCarry)
{
    ORDER order = orderWithFixedValues();
    order.header.DeliverTo = std::string("Dok\x01 3\tB", 9);
    order.lines.push_back({ "1", "2024-03-07", "1", std::string("4711\x0f\0\x1f", 7) });
    const std::string document = orderDocument(order);
    EXPECT_NE(document.find("<DeliverTo>Dok 3\tB</DeliverTo>"), std::string::npos);
    EXPECT_NE(document.find("<SupplierPartID>4711</SupplierPartID>"), std::string::npos);
    EXPECT_EQ(xmlProblems(document), "");
}

TEST(OrderDocument, ConvertsXmlSourcedValuesToLatin1WithReferences)
{
    ORDER order = orderWithFixedValues();
    order.from.Identity = "J\xc3\xb6rg"; // settings are UTF-8
    order.header.name = "caf\xc3\xa9 \xe2\x82\xac & co";
    order.headerOrigin = TextOrigin::Utf8;
    order.lineOrigin = TextOrigin::Utf8;
    order.lines.push_back({ "2", "2024-03-07", "1", "\xc3\x85<1>" });
    const std::string document = orderDocument(order);
    EXPECT_NE(document.find("<Identity>J\xf6rg</Identity>"), std::string::npos);
    EXPECT_NE(document.find("name=\"caf\xe9 &#8364; &amp; co\""), std::string::npos);
    EXPECT_NE(document.find("<SupplierPartID>\xc5&lt;1&gt;</SupplierPartID>"), std::string::npos);
    EXPECT_EQ(xmlProblems(document), "");
}

TEST(OrderDocument, WritesLinesInOrderWithFiveLinesEach)
{
    ORDER order = orderWithFixedValues();
    order.lines.push_back({ "2,5", "2024-03-07", "1", "4711" });
    order.lines.push_back({ "3", "2024-03-07", "2", "4712" });
    const auto lines = documentLines(orderDocument(order));
    ASSERT_EQ(lines.size(), 50u);
    EXPECT_EQ(lines[37], "    <ItemOut lineNumber=\"1\" requestedDeliveryDate=\"2024-03-07\" quantity=\"2,5\">");
    EXPECT_EQ(lines[38], "      <ItemID>");
    EXPECT_EQ(lines[39], "        <SupplierPartID>4711</SupplierPartID>");
    EXPECT_EQ(lines[40], "      </ItemID>");
    EXPECT_EQ(lines[41], "    </ItemOut>");
    EXPECT_EQ(lines[42], "    <ItemOut lineNumber=\"2\" requestedDeliveryDate=\"2024-03-07\" quantity=\"3\">");
}
