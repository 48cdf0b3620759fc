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

TEST(OrderkopForm, ReportsWhereWritingFailedAndStillCloses)
{
    TempDir work;
    RecordingMessages messages;
    // No work folder: the file cannot be created.
    EXPECT_TRUE(saveForm(someForm(), kNames, work.file("missing"), kThursday, messages));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages.last().text.rfind("Fout bij aanmaken bestand orderkop.txt ", 0), 0u) << messages.last().text;

    // A folder in the file's place: written aside, but it cannot take the folder's place.
    std::filesystem::create_directory(work.file("orderkop.txt"));
    messages.clear();
    EXPECT_TRUE(saveForm(someForm(), kNames, work.path(), kThursday, messages));
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
