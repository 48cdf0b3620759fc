#include "lengths/UpdateList.h"
#include "lengths/UpdateVersionFile.h"

#include <gtest/gtest.h>

using lengths::UpdateList;
using lengths::UpdateVersionFile;

TEST(UpdateList, AcceptsAListWhateverItsLineEnds)
{
    const std::pair<const char*, const char*> cases[] = {
        { "CR LF", "# Versie --->2026-12-01\r\n12345678,6\r\n\"  77\",5\r\n" },
        { "no final line end", "# Versie --->2026-12-01\r\n12345678,6\r\n\"  77\",5" },
        { "LF", "# Versie --->2026-12-01\n12345678,6\n\"  77\",5\n" },
        { "CR", "# Versie --->2026-12-01\r12345678,6\r\"  77\",5\r" },
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        const UpdateList list = lengths::parseUpdateList(bytes);
        EXPECT_EQ(list.fault, lengths::UpdateList::Fault::None);
        EXPECT_EQ(list.version, "2026-12-01");
        EXPECT_EQ(list.csv, "12345678,6\r\n\"  77\",5\r\n");
        EXPECT_EQ(list.rows, 2u);
    }
}

TEST(UpdateList, StopsAtTheFirstRefusedLineKeepingTheRowsBefore)
{
    struct Case
    {
        const char* name;
        const char* bytes;
        UpdateList::Fault fault;
        const char* csv;
    };
    const Case cases[] = {
        { "no marker", "# Version -->2026-12-01\r\n12345678,6\r\n", UpdateList::Fault::InvalidVersionLine, "" },
        { "marker not at the start", " # Versie --->2026-12-01\r\n1,6\r\n", UpdateList::Fault::InvalidVersionLine, "" },
        { "blank first line", "\r\n# Versie --->2026-12-01\r\n", UpdateList::Fault::InvalidVersionLine, "" },
        { "nothing", "", UpdateList::Fault::InvalidVersionLine, "" },
        { "decimal comma", "# Versie --->2026-12-01\r\n1,6\r\n2,4,5\r\n3,6\r\n", UpdateList::Fault::MissingComma,
            "1,6\r\n" },
        { "blank line", "# Versie --->2026-12-01\r\n1,6\r\n\r\n3,6\r\n", UpdateList::Fault::MissingComma, "1,6\r\n" },
        { "blank line at the end", "# Versie --->2026-12-01\r\n1,6\r\n\r\n", UpdateList::Fault::MissingComma,
            "1,6\r\n" },
        { "no comma", "# Versie --->2026-12-01\r\n12345678 6\r\n", UpdateList::Fault::MissingComma, "" },
        // A lone CR must not hide a second row inside an accepted one.
        { "row split by CR", "# Versie --->2026-12-01\r\nAB\rC,6\r\n", UpdateList::Fault::MissingComma, "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const UpdateList list = lengths::parseUpdateList(c.bytes);
        EXPECT_EQ(list.fault, c.fault);
        EXPECT_EQ(list.csv, c.csv);
    }
}

TEST(UpdateList, RefusesRowsThatWouldMakeTheOrderWrong)
{
    const std::pair<const char*, lengths::UpdateList::Fault> cases[] = {
        { "1,0.001", UpdateList::Fault::Implausible },
        { "1,0.499", UpdateList::Fault::Implausible },
        { "1,25.001", UpdateList::Fault::Implausible },
        { "1,-6", UpdateList::Fault::Implausible },
        { "1,", UpdateList::Fault::Implausible },
        { "1,six", UpdateList::Fault::Implausible },
        { "1,6e0", UpdateList::Fault::Implausible },
        { "1,nan", UpdateList::Fault::Implausible },
        { "123456789,6", UpdateList::Fault::Implausible },
        { "\"123456789\",6", UpdateList::Fault::Implausible },
        { "1,0.5", UpdateList::Fault::None },
        { "1,25", UpdateList::Fault::None },
        { "1, \"12.5\" ", UpdateList::Fault::None },
        { "\"  123456\",6", UpdateList::Fault::None },
        { "12345678,6.000", UpdateList::Fault::None },
    };
    for (const auto& [row, fault] : cases) {
        SCOPED_TRACE(row);
        const UpdateList list = lengths::parseUpdateList(std::string("# Versie --->2026-12-01\r\n7,6\r\n") + row, 8);
        EXPECT_EQ(list.fault, fault);
        EXPECT_EQ(list.csv.substr(0, 5), "7,6\r\n");
    }

    std::string many = "# Versie --->2026-12-01\r\n";
    for (std::size_t row = 0; row < lengths::kMaxRows; ++row) {
        many += "1,6\r\n";
    }
    EXPECT_EQ(lengths::parseUpdateList(many, 8).fault, lengths::UpdateList::Fault::None);
    EXPECT_EQ(lengths::parseUpdateList(many + "1,6\r\n", 8).fault, UpdateList::Fault::Implausible);
}

TEST(UpdateList, VersionIsAlwaysTenCharacters)
{
    const std::pair<const char*, const char*> cases[] = {
        { "# Versie --->2026-12-01", "2026-12-01" },
        { "# Versie --->2026-12-01 and more", "2026-12-01" },
        { "# Versie --->v7", "v7        " },
        { "# Versie --->", "          " },
    };
    for (const auto& [line, version] : cases) {
        SCOPED_TRACE(line);
        EXPECT_EQ(lengths::versionOf(line), version);
    }
}

TEST(UpdateVersionFile, FormatsAndReadsOnlyRealDates)
{
    EXPECT_EQ(UpdateVersionFile::format("2026-12-01", { 2027, 1, 5 }), "2026-12-01 2027-01-05");
    EXPECT_EQ(UpdateVersionFile::format("v7", { 2027, 1, 5 }), "v7         2027-01-05");

    const std::pair<const char*, bool> dates[] = {
        { "2027-01-05", true },
        { "2024-02-29", true },
        { "2023-02-29", false },
        { "2027-13-01", false },
        { "2027-1-05", false },
        { "2027/01/05", false },
        { "+027-01-05", false },
        { "", false },
    };
    for (const auto& [text, valid] : dates) {
        SCOPED_TRACE(text);
        EXPECT_EQ(UpdateVersionFile::parseDate(text).has_value(), valid);
    }
}
