#include "convert/OrderDocument.h"

#include "orderinfo/Windows1252.h"
#include "xml/XmlText.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace convert {

namespace {

// What stands in the document for one byte of a text value; nothing when the byte goes in as it
// is. Control bytes other than TAB, CR and LF are dropped: XML cannot carry them at all, not even
// as references, and one stray byte from a scanner file must not make the whole order
// unreadable for the webshop.
std::optional<std::string_view> replacement(unsigned char byte, bool windows1252, std::string& buffer)
{
    switch (byte) {
    case '&':
        return "&amp;";
    case '<':
        return "&lt;";
    case '>':
        return "&gt;";
    case '"':
        return "&quot;";
    case '\t':
    case '\n':
    case '\r':
        return std::nullopt;
    default:
        break;
    }
    if (byte < 0x20) {
        return std::string_view();
    }
    if (windows1252 && byte >= 0x80 && byte < 0xA0) {
        buffer = "&#" + std::to_string(static_cast<std::uint32_t>(orderinfo::windows1252Character(byte))) + ";";
        return buffer;
    }
    return std::nullopt;
}

// Appends the bytes unchanged but for their replacements. Text sources take this path for every
// value of every line, so it appends in place.
void appendEscaped(std::string& out, std::string_view value, bool windows1252)
{
    std::size_t done = 0;
    std::string buffer;
    for (std::size_t at = 0; at < value.size(); ++at) {
        const std::optional<std::string_view> entity
            = replacement(static_cast<unsigned char>(value[at]), windows1252, buffer);
        if (!entity) {
            continue;
        }
        out.append(value.substr(done, at - done));
        out.append(*entity);
        done = at + 1;
    }
    out.append(value.substr(done));
}

class DocumentBuilder
{
public:
    explicit DocumentBuilder(std::string& out)
        : m_out(out)
    {
    }

    // Literal template text.
    DocumentBuilder& operator<<(std::string_view text)
    {
        m_out.append(text);
        return *this;
    }

    DocumentBuilder& value(std::string_view text, TextOrigin origin)
    {
        if (origin == TextOrigin::Utf8) {
            // Entities first: the character references the conversion makes must stay intact.
            m_out.append(xml::utf8ToLatin1WithReferences(xml::escapeXml(text, true)));
        } else {
            appendEscaped(m_out, text, origin == TextOrigin::Windows1252);
        }
        return *this;
    }

private:
    std::string& m_out;
};

constexpr std::string_view kEnd = "\r\n";

void writeHead(DocumentBuilder& doc, const ORDER& order)
{
    // Settings come from config.xml and are UTF-8.
    constexpr TextOrigin settings = TextOrigin::Utf8;
    const TextOrigin header = order.headerOrigin;
    const ORDER_HEADER& h = order.header;
    doc << "bcdata=<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" << kEnd;
    doc << "<!DOCTYPE cXML SYSTEM \"http://xml.cxml.org/schemas/cXML/1.2.011/cXML.dtd\">" << kEnd;
    doc << "<cXML xml:lang=\"nl\" timestamp=\"\" payloadID=\"\">" << kEnd;
    doc << "  <Header>" << kEnd;
    doc << "    <From>" << kEnd;
    doc << "      <Credential domain=\"";
    doc.value(order.from.domain, settings) << "\">" << kEnd;
    doc << "        <Identity>";
    doc.value(order.from.Identity, settings) << "</Identity>" << kEnd;
    doc << "        <Secret>";
    doc.value(order.from.Secret, settings) << "</Secret>" << kEnd;
    doc << "      </Credential>" << kEnd;
    doc << "    </From>" << kEnd;
    doc << "  </Header>" << kEnd;
    doc << "  <Request deploymentMode=\"";
    doc.value(order.request.deploymentMode, settings) << "\" DirectERP=\"";
    doc.value(order.request.DirectERP, settings) << "\">" << kEnd;
    doc << "  <OrderRequest>" << kEnd;
    doc << "    <OrderRequestHeader type=\"";
    doc.value(h.type, settings) << "\" OrderDate=\"";
    doc.value(h.OrderDate, settings) << "\" OrderID=\"";
    doc.value(h.OrderDate, settings) << "\">" << kEnd;
    doc << "      <Total>" << kEnd;
    doc << "        <Money currency=\"";
    doc.value(h.currency, settings) << "\"/>" << kEnd;
    doc << "      </Total>" << kEnd;
    doc << "      <Shipping_method>";
    doc.value(h.Shipping_method, settings) << "</Shipping_method>" << kEnd;
    doc << "      <Contract_number>";
    doc.value(h.Contract_number, header) << "</Contract_number>" << kEnd;
    doc << "      <Order_reference_number>";
    doc.value(h.Order_reference_number, header) << "</Order_reference_number>" << kEnd;
    doc << "      <Additional_reference_1>";
    doc.value(h.Additional_reference_1, header) << "</Additional_reference_1>" << kEnd;
    doc << "      <Additional_reference_2>";
    doc.value(h.Additional_reference_2, header) << "</Additional_reference_2>" << kEnd;
    doc << "      <Tel_number>";
    doc.value(h.Tel_number, header) << "</Tel_number>" << kEnd;
    doc << "      <ShipTo>" << kEnd;
    doc << "        <Address addressID=\"";
    doc.value(h.addressID, settings) << "\">" << kEnd;
    doc << "          <Name xml:lang=\"";
    doc.value(h.lang, settings) << "\"/>" << kEnd;
    doc << "          <PostalAddress name=\"";
    doc.value(h.name, header) << "\">" << kEnd;
    doc << "            <DeliverTo>";
    doc.value(h.DeliverTo, header) << "</DeliverTo>" << kEnd;
    doc << "            <Street>";
    doc.value(h.Street, header) << "</Street>" << kEnd;
    doc << "            <City>";
    doc.value(h.City, header) << "</City>" << kEnd;
    doc << "            <PostalCode>";
    doc.value(h.PostalCode, header) << "</PostalCode>" << kEnd;
    doc << "            <Country isoCountryCode=\"";
    doc.value(h.isoCountryCode, header) << "\"> </Country>" << kEnd;
    doc << "          </PostalAddress>" << kEnd;
    doc << "        </Address>" << kEnd;
    doc << "      </ShipTo>" << kEnd;
    doc << "      <Extrinsic Name=\"AcceptAllOrderLines\">yes</Extrinsic>" << kEnd;
    doc << "    </OrderRequestHeader>" << kEnd;
}

void writeLine(DocumentBuilder& doc, const ORDER_LINE& line, TextOrigin dateOrigin, TextOrigin articleOrigin)
{
    // The hot loop of a long order: the template between two values goes out in one piece.
    // Number and quantity are digits made by the readers; the run's delivery date came with
    // the header data.
    doc << "    <ItemOut lineNumber=\"";
    doc.value(line.lineNumber, TextOrigin::Bytes) << "\" requestedDeliveryDate=\"";
    doc.value(line.deliveryDate, dateOrigin) << "\" quantity=\"";
    doc.value(line.quantity, TextOrigin::Bytes) << "\">\r\n      <ItemID>\r\n        <SupplierPartID>";
    doc.value(line.articleNumber, articleOrigin) << "</SupplierPartID>\r\n      </ItemID>\r\n    </ItemOut>\r\n";
}

std::size_t sizeEstimate(const ORDER& order)
{
    // The template text of a line is about 150 bytes; escaping rarely adds more.
    return 4096 + order.lines.size() * 160 + order.lines.textSize();
}

} // namespace

std::string orderDocument(const ORDER& order)
{
    std::string out;
    out.reserve(sizeEstimate(order));
    DocumentBuilder doc(out);
    writeHead(doc, order);
    for (const ORDER_LINE line : order.lines) {
        writeLine(doc, line, order.headerOrigin, order.lineOrigin);
    }
    doc << "    </OrderRequest>" << kEnd;
    doc << "  </Request>" << kEnd;
    doc << "</cXML>" << kEnd;
    return out;
}

} // namespace convert
