#include "orderinfo/OrderkopForm.h"

#include "RecordingMessages.h"
#include "TempDir.h"
#include "platform/Files.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace orderinfo;
using testing_support::RecordingMessages;
using testing_support::TempDir;

namespace {

const platform::Date kThursday { 2026, 12, 10 };

const FieldNames kNames = { "Contractnummer", "Oder referentie", "Referentie 1", "Referentie 2", "Telefoon",
    "Leverdatum", "Naam 1", "Naam 2", "Straat", "Postcode", "Woonplaats", "Land (ISO)" };

Orderkop someForm()
{
    Orderkop form;
    form.orderReference = "REF";
    form.deliveryDate = "2026-12-14";
    form.country = "BE";
    return form;
}

} // namespace

TEST(OrderkopForm, ReportsWhereWritingFailedAndStaysOpen)
{
    TempDir work;
    RecordingMessages messages;
    // No work folder: the file cannot be created.
    EXPECT_FALSE(saveForm(someForm(), kNames, work.file("missing"), kThursday, messages));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages.last().text.rfind("Fout bij aanmaken bestand orderkop.txt ", 0), 0u) << messages.last().text;

    // A folder in the file's place: written aside, but it cannot take the folder's place.
    std::filesystem::create_directory(work.file("orderkop.txt"));
    messages.clear();
    EXPECT_FALSE(saveForm(someForm(), kNames, work.path(), kThursday, messages));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages.last().text.rfind("Fout bij afsluiten orderkop.txt ", 0), 0u) << messages.last().text;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work.path()), {}), 1) << "no temporary file left";
}

TEST(OrderkopForm, RefusesACharacterOutsideTheCodePageAndKeepsTheOldFile)
{
    TempDir work;
    RecordingMessages messages;
    ASSERT_TRUE(saveForm(someForm(), kNames, work.path(), kThursday, messages));
    const auto saved = platform::readFile(orderkopPath(work.path()));

    Orderkop form = someForm();
    form.name1 = "\xC5\x81odz";
    form.town = "GDA\xC5\x83SK";
    EXPECT_FALSE(saveForm(form, kNames, work.path(), kThursday, messages));
    EXPECT_EQ(messages.texts(),
        (std::vector<std::string> { "Het teken \"\xC5\x81\" in Naam 1 kan niet in orderkop.txt bewaard worden.",
            "Het teken \"\xC5\x83\" in Woonplaats kan niet in orderkop.txt bewaard worden." }));
    EXPECT_EQ(platform::readFile(orderkopPath(work.path())), saved);
}

TEST(OrderkopForm, RefusesPastedControlsAndDatesThatAreNoDateNamingTheField)
{
    const std::string lineBreak = "Een regeleinde of ander stuurteken in ";
    const std::string stored = " kan niet in orderkop.txt bewaard worden.";
    struct Case
    {
        std::string Orderkop::*field;
        const char* text;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        { &Orderkop::street, "Straat 1\r\n9000 Gent", { lineBreak + "Straat" + stored } },
        { &Orderkop::name1, "Naam\tBV", { lineBreak + "Naam 1" + stored } },
        { &Orderkop::telephone, "012\x7F", { lineBreak + "Telefoon" + stored } },
        { &Orderkop::reference1, "R\xC2\x85", { lineBreak + "Referentie 1" + stored } }, // NEL, a C1 control
        { &Orderkop::reference1, "\xE2\x82\xAC 5", {} },
        { &Orderkop::deliveryDate, "2026-02-30", { "Leverdatum niet juist" } },
        { &Orderkop::deliveryDate, "2026-12-  ", { "Leverdatum niet juist" } },
        { &Orderkop::deliveryDate, "    -  -  ", {} },
        { &Orderkop::deliveryDate, "2028-02-29", {} },
    };
    TempDir work;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ASSERT_TRUE(platform::replaceFile(orderkopPath(work.path()), "oud\r\n"));
        Orderkop form = someForm();
        form.*c.field = c.text;
        RecordingMessages messages;
        EXPECT_EQ(saveForm(form, kNames, work.path(), kThursday, messages), c.messages.empty());
        EXPECT_EQ(messages.texts(), c.messages);
        EXPECT_EQ(platform::readFile(orderkopPath(work.path())) == "oud\r\n", !c.messages.empty());
    }
}
