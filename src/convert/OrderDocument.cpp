#include "convert/OrderDocument.h"

#include "orderinfo/Windows1252.h"
#include "xml/XmlText.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace convert {

namespace {

// Appends the bytes unchanged but for the characters XML reserves. Control bytes other than
// TAB, CR and LF are dropped: XML cannot carry them at all, not even as references, and one
// stray byte from a scanner file must not make the whole order unreadable for the webshop.
// Bytes 80-9F of a Windows-1252 text are its own characters (the euro sign, curly quotes), not
// the control characters ISO-8859-1 puts there, so they go in as references.
// Text sources take this path for every value of every line, and almost every value needs no
// change, so the bytes that do are found through a table and the rest goes out in runs.
constexpr bool needsChange(unsigned char byte, bool windows1252)
{
    return byte == '&' || byte == '<' || byte == '>' || byte == '"'
        || (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r')
        || (windows1252 && byte >= 0x80 && byte < 0xA0);
}

constexpr auto makeTable(bool windows1252)
{
    std::array<bool, 256> table {};
    for (std::size_t byte = 0; byte < table.size(); ++byte) {
        table[byte] = needsChange(static_cast<unsigned char>(byte), windows1252);
    }
    return table;
}

constexpr auto kNeedsChange = makeTable(false);
constexpr auto kNeedsChangeWindows1252 = makeTable(true);

void appendEscaped(std::string& out, std::string_view value, bool windows1252)
{
    const std::array<bool, 256>& needs = windows1252 ? kNeedsChangeWindows1252 : kNeedsChange;
    std::size_t done = 0;
    std::string reference;
    for (std::size_t at = 0; at < value.size(); ++at) {
        const auto byte = static_cast<unsigned char>(value[at]);
        if (!needs[byte]) {
            continue;
        }
        std::string_view entity; // empty for a dropped control byte
        switch (byte) {
        case '&':
            entity = "&amp;";
            break;
        case '<':
            entity = "&lt;";
            break;
        case '>':
            entity = "&gt;";
            break;
        case '"':
            entity = "&quot;";
            break;
        default:
            if (byte >= 0x80) {
                reference
                    = "&#" + std::to_string(static_cast<std::uint32_t>(orderinfo::windows1252Character(byte))) + ";";
                entity = reference;
            }
            break;
        }
        out.append(value.substr(done, at - done));
        out.append(entity);
        done = at + 1;
    }
    out.append(value.substr(done));
}

// ASCII without a character XML reserves: what most article numbers and quantities are.
bool isPlainAscii(std::string_view text)
{
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 || byte == '&' || byte == '<' || byte == '>' || byte == '"') {
            return false;
        }
    }
    return true;
}

// Gathers the document in pieces of about this size before handing them on, so a long order is
// written while it is made instead of being held whole.
constexpr std::size_t kPieceSize = 1 << 16;

class DocumentBuilder
{
public:
    explicit DocumentBuilder(platform::ByteSink& sink)
        : m_sink(sink)
    {
        m_out.reserve(kPieceSize + 4096);
    }

    // Literal template text.
    DocumentBuilder& operator<<(std::string_view text)
    {
        m_out.append(text);
        return *this;
    }

    DocumentBuilder& value(std::string_view text, TextOrigin origin)
    {
        if (origin == TextOrigin::Utf8 && isPlainAscii(text)) {
            m_out.append(text); // the same in both encodings, nothing to escape
        } else if (origin == TextOrigin::Utf8) {
            // Entities first: the character references the conversion makes must stay intact.
            m_out.append(xml::utf8ToLatin1WithReferences(xml::escapeXml(text, true)));
        } else {
            appendEscaped(m_out, text, origin == TextOrigin::Windows1252);
        }
        return *this;
    }

    // Hands the gathered bytes on once they make a piece; at the end, whatever is left.
    void pieceDone()
    {
        if (m_out.size() >= kPieceSize) {
            flush();
        }
    }
    void flush()
    {
        m_sink.write(m_out);
        m_out.clear();
    }

private:
    platform::ByteSink& m_sink;
    std::string m_out;
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
    // Number and quantity are digits, sign and separator made by the readers, nothing XML
    // reserves; the run's delivery date came with the header data.
    doc << "    <ItemOut lineNumber=\"" << line.lineNumber << "\" requestedDeliveryDate=\"";
    doc.value(line.deliveryDate, dateOrigin)
        << "\" quantity=\"" << line.quantity << "\">\r\n      <ItemID>\r\n        <SupplierPartID>";
    doc.value(line.articleNumber, articleOrigin) << "</SupplierPartID>\r\n      </ItemID>\r\n    </ItemOut>\r\n";
}

class StringSink final : public platform::ByteSink
{
public:
    explicit StringSink(std::string& out)
        : m_out(out)
    {
    }
    void write(std::string_view bytes) override { m_out.append(bytes); }

private:
    std::string& m_out;
};

} // namespace

void writeOrderDocument(const ORDER& order, platform::ByteSink& sink)
{
    DocumentBuilder doc(sink);
    writeHead(doc, order);
    for (const ORDER_LINE line : order.lines) {
        writeLine(doc, line, order.headerOrigin, order.lineOrigin);
        doc.pieceDone();
    }
    doc << "    </OrderRequest>" << kEnd;
    doc << "  </Request>" << kEnd;
    doc << "</cXML>" << kEnd;
    doc.flush();
}

std::string orderDocument(const ORDER& order)
{
    std::string out;
    StringSink sink(out);
    writeOrderDocument(order, sink);
    return out;
}

} // namespace convert
