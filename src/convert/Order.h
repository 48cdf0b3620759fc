#pragma once

#include <string>
#include <vector>

namespace convert {

// Where the bytes of a group of values come from. Text sources (orderkop.txt, SDF, CSV, ICM,
// MC1000) hand over bytes that go into dtbs.xml unchanged; XML sources (and config.xml) hand
// over UTF-8 that the writer turns into ISO-8859-1 with character references.
enum class TextOrigin { Bytes, Utf8 };

// Sender credentials. Identity and Secret come from the settings (UTF-8).
struct ORDER_FROM
{
    std::string domain;
    std::string Identity;
    std::string Secret;
};

// Request attributes. DirectERP comes from the settings (UTF-8).
struct ORDER_REQUEST
{
    std::string DirectERP;
    std::string deploymentMode;
};

// The order header, in writing order. addressID and lang come from the settings (UTF-8); the
// fields taken from the header list carry ORDER::headerOrigin.
struct ORDER_HEADER
{
    std::string OrderDate;
    std::string type;
    std::string currency;
    std::string Shipping_method;
    std::string Contract_number;
    std::string Order_reference_number;
    std::string Additional_reference_1;
    std::string Additional_reference_2;
    std::string Tel_number;
    std::string addressID;
    std::string lang;
    std::string name;
    std::string DeliverTo;
    std::string Street;
    std::string City;
    std::string PostalCode;
    std::string isoCountryCode;
};

struct ORDER_LINE
{
    std::string quantity;
    std::string deliveryDate;
    std::string lineNumber;
    std::string articleNumber;
};

using ORDER_LINES = std::vector<ORDER_LINE>;

// The header list: 1 contract, 2 order reference, 3 and 4 references, 5 telephone, 6 delivery
// date, 7 and 8 name lines, 9 street, 10 postal code, 11 city, 12 country (the XML mapping adds
// 13 to 15: day, month, year).
using KOPLIJST = std::vector<std::string>;

struct ORDER
{
    ORDER_FROM from;
    ORDER_REQUEST request;
    ORDER_HEADER header;
    ORDER_LINES lines;

    // Origin of the header fields that came from the header list (or the ICM file's own header).
    TextOrigin headerOrigin = TextOrigin::Bytes;
    // Origin of every line's article number (the other line fields are made here, ASCII).
    TextOrigin lineOrigin = TextOrigin::Bytes;
};

} // namespace convert
