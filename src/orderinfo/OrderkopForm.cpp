#include "orderinfo/OrderkopForm.h"

#include "orderinfo/DeliveryDate.h"
#include "orderinfo/Windows1252.h"
#include "platform/Files.h"
#include "platform/Utf8.h"

namespace orderinfo {

namespace {

constexpr std::size_t kDateField = 5;

bool isBlank(std::string_view text)
{
    return text.find_first_not_of(' ') == std::string_view::npos;
}

// Characters, not bytes: a UTF-8 continuation byte adds nothing.
std::size_t characterCount(std::string_view utf8)
{
    std::size_t count = 0;
    for (const char c : utf8) {
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

bool isKnownCountry(std::string_view country)
{
    for (const std::string_view known : { "NL", "BE", "DE", "FR", "LU" }) {
        if (country == known) {
            return true;
        }
    }
    return false;
}

// C0 and C1 controls, DEL among them. A pasted line break would split the field over two
// lines of the file, and every later field would move one line down.
bool hasControlCharacter(std::string_view utf8)
{
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const char32_t character = platform::decodeUtf8(utf8, pos);
        if (character < 0x20 || (character >= 0x7F && character <= 0x9F)) {
            return true;
        }
    }
    return false;
}

// The form as the file's bytes, or nothing after one message per field that holds a control
// character or a character Windows-1252 cannot carry.
std::optional<Orderkop> encodedForm(const Orderkop& form, const FieldNames& names, platform::Messages& messages)
{
    Orderkop bytes;
    const auto from = orderkopFields(form);
    const auto to = orderkopFields(bytes);
    bool encoded = true;
    for (std::size_t i = 0; i < kOrderkopLineCount; ++i) {
        std::string refused;
        if (hasControlCharacter(*from[i])) {
            messages.error(
                "Een regeleinde of ander stuurteken in " + names[i] + " kan niet in orderkop.txt bewaard worden.");
            encoded = false;
        } else if (auto field = utf8ToWindows1252(*from[i], &refused)) {
            *to[i] = std::move(*field);
        } else {
            messages.error(
                "Het teken \"" + refused + "\" in " + names[i] + " kan niet in orderkop.txt bewaard worden.");
            encoded = false;
        }
    }
    return encoded ? std::optional<Orderkop>(std::move(bytes)) : std::nullopt;
}

bool writeForm(const std::string& path, const Orderkop& bytes, platform::Messages& messages)
{
    const platform::WriteResult written = writeOrderkop(path, bytes);
    if (written) {
        return true;
    }
    if (written.created) {
        messages.error("Fout bij afsluiten orderkop.txt " + written.osError);
    } else {
        messages.error("Fout bij aanmaken bestand orderkop.txt " + written.osError);
    }
    return false;
}

} // namespace

bool isEmptyForm(const Orderkop& form)
{
    const auto fields = orderkopFields(form);
    for (std::size_t i = 0; i < kOrderkopLineCount; ++i) {
        if (i == kDateField ? *fields[i] != kEmptyDateText : !isBlank(*fields[i])) {
            return false;
        }
    }
    return true;
}

std::vector<std::string> inputFaults(const Orderkop& form, const platform::Date& today)
{
    std::vector<std::string> faults;
    if (!CHK_LEVERDATUM(platform::parseDate(form.deliveryDate), today)) {
        faults.emplace_back("Leverdatum moet verder in de toekomst liggen");
    }
    // Counted in characters as the edit shows them: a Dutch postcode is "1234 AB".
    if (form.country == "NL" && characterCount(form.postcode) != 7) {
        faults.emplace_back("Postnummer moet 7 lang zijn");
    }
    if (!form.country.empty() && !isKnownCountry(form.country)) {
        faults.emplace_back("Landcode niet juist");
    }
    // A half-typed or impossible date ("2026-12-  ", "2026-02-30") passes the first check as no
    // date, yet the conversion would send it as it stands.
    if (!isClearedDate(form.deliveryDate) && !platform::parseDate(form.deliveryDate)) {
        faults.emplace_back("Leverdatum niet juist");
    }
    return faults;
}

std::string countryOfBranch(const std::string& filiaal)
{
    if (filiaal == "NED") {
        return "NL";
    }
    if (filiaal == "BEL") {
        return "BE";
    }
    return {};
}

Orderkop openForm(const std::string& workFolder, const std::string& filiaal, const platform::Date& today,
    platform::Messages& messages)
{
    Orderkop form;
    form.deliveryDate = platform::formatDate(earliestDeliveryDate(today));
    const std::string path = orderkopPath(workFolder);
    if (platform::fileSize(path) == 0) {
        return form;
    }
    std::string error;
    const std::optional<std::string> bytes = platform::readFile(path, &error);
    if (!bytes) {
        messages.error("Fout bij openen bestand " + path + " " + error);
        return form;
    }
    std::vector<std::string> lines = orderkopLines(*bytes);
    for (std::string& line : lines) {
        line = windows1252ToUtf8(line);
    }
    form = orderkopFromLines(lines);
    if (form.country.empty()) {
        form.country = countryOfBranch(filiaal);
    }
    return form;
}

bool saveForm(const Orderkop& form, const FieldNames& names, const std::string& workFolder, const platform::Date& today,
    platform::Messages& messages)
{
    const std::vector<std::string> faults = inputFaults(form, today);
    for (const std::string& fault : faults) {
        messages.error(fault);
    }
    const bool empty = isEmptyForm(form);
    // An empty form is only blanks, which every code page carries.
    const std::optional<Orderkop> bytes = empty ? std::nullopt : encodedForm(form, names, messages);
    if (!faults.empty() || (!empty && !bytes)) {
        return false;
    }
    // A file that could not be written or deleted keeps the dialog open with the input, so the
    // user can try again or cancel knowingly.
    return empty ? deleteForm(workFolder, messages) : writeForm(orderkopPath(workFolder), *bytes, messages);
}

bool deleteForm(const std::string& workFolder, platform::Messages& messages)
{
    const std::string path = orderkopPath(workFolder);
    if (platform::fileExists(path) && !platform::removeFile(path)) {
        messages.error("Fout :bestand niet gewist.");
        return false;
    }
    return true;
}

} // namespace orderinfo
