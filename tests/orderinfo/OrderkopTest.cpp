#include "orderinfo/Orderkop.h"

#include "TempDir.h"

#include "platform/Files.h"

#include <gtest/gtest.h>

using namespace orderinfo;

namespace {

// The fields of the file at path, or nothing with the OS error text in *error.
std::optional<Orderkop> readOrderkop(const std::string& path, std::string* error = nullptr)
{
    const std::optional<std::string> bytes = platform::readFile(path, error);
    if (!bytes) {
        return std::nullopt;
    }
    return orderkopFromLines(orderkopLines(*bytes));
}

} // namespace

TEST(Orderkop, WritesTwelveCrLfLinesAsTheFieldsHoldThem)
{
    Orderkop fields;
    fields.contract = " C1 ";
    fields.deliveryDate = std::string(kEmptyDateText);
    fields.postcode = "1234 AB";
    fields.country = "NL";
    EXPECT_EQ(orderkopText(fields), " C1 \r\n\r\n\r\n\r\n\r\n    -  -  \r\n\r\n\r\n\r\n1234 AB\r\n\r\nNL\r\n");
}

TEST(Orderkop, ReadsFieldsBackByPosition)
{
    Orderkop fields;
    fields.contract = "C1";
    fields.orderReference = "REF";
    fields.deliveryDate = "2024-03-20";
    fields.town = "GENT";
    fields.country = "BE";
    const auto lines = orderkopLines(orderkopText(fields));
    ASSERT_EQ(lines.size(), kOrderkopLineCount);
    const Orderkop back = orderkopFromLines(lines);
    EXPECT_EQ(back.contract, "C1");
    EXPECT_EQ(back.orderReference, "REF");
    EXPECT_EQ(back.deliveryDate, "2024-03-20");
    EXPECT_EQ(back.town, "GENT");
    EXPECT_EQ(back.country, "BE");
}

TEST(Orderkop, SplitsLinesAtLineFeedsOnly)
{
    // clang-format off
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\n\r\n", {"a", ""}},
        {"a\nb\r\nc", {"a", "b", "c"}},
        {"a\rb\r\n", {"a\rb"}},
        {"  x  \r\n", {"  x  "}},
    };
    // clang-format on
    for (const auto& [bytes, expected] : cases) {
        SCOPED_TRACE(bytes);
        EXPECT_EQ(orderkopLines(bytes), expected);
    }
}

TEST(Orderkop, MissingLinesGiveEmptyFields)
{
    const Orderkop fields = orderkopFromLines({ "C1", "REF" });
    EXPECT_EQ(fields.orderReference, "REF");
    EXPECT_EQ(fields.telephone, "");
    EXPECT_EQ(fields.country, "");
}

TEST(Orderkop, WritesTheFileAndReadsItBack)
{
    testing_support::TempDir work;
    const std::string path = orderkopPath(work.path());
    Orderkop fields;
    fields.contract = "C1";
    fields.deliveryDate = std::string(kEmptyDateText);
    fields.country = "BE";
    ASSERT_TRUE(writeOrderkop(path, fields));
    const auto back = readOrderkop(path);
    ASSERT_TRUE(back);
    EXPECT_EQ(orderkopText(*back), orderkopText(fields));

    std::string error;
    EXPECT_FALSE(readOrderkop(work.file("missing.txt"), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(writeOrderkop(work.file("gone/orderkop.txt"), fields));
}
