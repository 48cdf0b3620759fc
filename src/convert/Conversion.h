#pragma once

// How a reader uses the shared run (every VERWERK_<source> follows the same course):
//
//   if (!sourceIsPresent(path)) return;                 // silent end: unnamed, missing, empty
//   text sources: auto bytes = openSource(path);        // "Fout bij openen bronbestand " + path
//                 if (!bytes) return;
//   KOPLIJST header;
//   if (!takeHeaderData(header)) { header = ... }       // VERWERK_KOP; true with 12 entries, and
//                                                       // deliveryDate() is then entry 6 trimmed
//   else / or: setDeliveryDate(...)                     // readers with their own header source
//   VERWERK_STRUC(header, TextOrigin::Utf8 for values taken from an XML document);
//   useDefaultDeliveryDateIfEmpty();                    // only the readers that do so
//   beginLines(TextOrigin::Utf8 when articles come from an XML document);
//   reserveLines(expected lines, source bytes);          // optional; spares regrowth of long orders
//   for each line: q = parseQuantity(text, kCommaSeparator);
//                  convertMetres(q, makeKey);           // no-op unless MTR + BEL
//                  addLine(q, article);                 // counts, trims the article, run date
//   VERWERK_MAG();
//
// Text stays bytes; XML readers hand over the UTF-8 that libxml2 gives and say so through the
// TextOrigin arguments, and the writer converts it to ISO-8859-1, as it does the Windows-1252
// of the header list from orderkop.txt.

#include "config/Settings.h"
#include "convert/ConvertedOrder.h"
#include "convert/Order.h"
#include "convert/PipeLengths.h"
#include "convert/TextRules.h"
#include "platform/Clock.h"
#include "platform/Messages.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace convert {

class Conversion
{
public:
    // Larger sources are refused with an error box before they are read whole.
    static constexpr std::uint64_t kMaxSourceBytes = 256ull * 1024 * 1024;
    static constexpr std::size_t kMaxSourceLines = 1'000'000;

    // lengths is the pipe-length table every run of this conversion reads (nullptr: none, every
    // article then counts as not found); a single run may be given its own table instead.
    Conversion(const config::Settings& settings, std::string workFolder, platform::Messages& messages,
        const platform::Clock& clock, PipeLengths* lengths = nullptr);

    const ORDER& order() const { return m_order; }
    ORDER& order() { return m_order; }

    // Runs the reader that the schema names exactly ("SDF", "CSV", "ICM", "XML", "MER",
    // "MC1000") on the source, converting metres with lengths when given (the table is open only
    // for the run), and delivers the order. Returns whether a reader ran; whether it wrote
    // dtbs.xml is told by the file alone.
    bool convert(const std::string& schema, const std::string& sourcePath, PipeLengths* lengths = nullptr);
    // The same run in memory: it writes nothing and leaves orderkop.txt where it is. Messages
    // about the source (cannot open, too large, a bad mapping) are shown as a send shows them.
    // An unknown schema gives no order.
    ConvertedOrder convertInMemory(
        const std::string& schema, const std::string& sourcePath, PipeLengths* lengths = nullptr);
    // What a send does with a converted order before its post: sets orderkop.txt aside when the
    // order took it, then writes dtbs.xml. Returns whether dtbs.xml was written; without an order
    // nothing happens.
    bool deliver(const ConvertedOrder& converted);

    // The work folder path of dtbs.xml and of orderkop.txt.
    std::string documentPath() const;
    std::string orderkopPath() const;

    // Fills the sender, request and header records from the settings, the fixed values and the
    // header list (at least 12 entries, each trimmed); origin tells where the list's bytes came
    // from, by default orderkop.txt.
    void VERWERK_STRUC(const KOPLIJST& header, TextOrigin origin = TextOrigin::Windows1252);
    // Writes dtbs.xml from the order and empties the lines; on failure reports it and keeps them.
    // Within convertInMemory() it hands the order to the run's result instead.
    void VERWERK_MAG();
    // The lines of orderkop.txt, trimmed; empty without the file. Sets the file aside (see
    // orderinfo::restoreSetAsideOrderkop), but within convertInMemory() only notes that it was
    // taken.
    KOPLIJST VERWERK_KOP();
    // The number of whole pipes for a quantity in metres when the key is in the table with a
    // length above 0; the quantity unchanged otherwise.
    Quantity VERWERK_LENGTE(const std::string& key, const Quantity& quantity);
    // Today + 2, or + 4 when that is a Saturday or Sunday, as "YYYY-MM-DD".
    std::string defaultDeliveryDate() const;

    void VERWERK_SDF(const std::string& sourcePath);
    void VERWERK_CSV(const std::string& sourcePath);
    void VERWERK_ICM(const std::string& sourcePath);
    void VERWERK_XML(const std::string& sourcePath);
    KOPLIJST VERWERK_XML_KOP(const std::string& sourcePath);
    void VERWERK_MER(const std::string& sourcePath);
    void VERWERK_MC1000(const std::string& sourcePath);

    // The text readers' work on the source bytes, after the source checks; the VERWERK_ reader
    // opens the file and calls them. Also the entry points for fuzzing.
    void convertSdf(std::string_view source);
    void convertCsv(std::string_view source);
    void convertIcm(std::string_view source);

    // Cuts a delimited record: the article is field CSV_art as split (quotation marks removed),
    // the quantity the number in field CSV_aant. A separator of several characters splits on the
    // whole text; an empty separator leaves the record one field.
    void FC_SPLIT_REC(std::string_view record, std::string& article, Quantity& quantity) const;

    // --- The shared course of a conversion run ---

    // False (silently) when the path is empty, the file does not exist or is empty.
    bool sourceIsPresent(const std::string& sourcePath) const;
    // The whole text source, or nothing after "Fout bij openen bronbestand " + path.
    std::optional<std::string> openSource(const std::string& sourcePath);
    // VERWERK_KOP; true when it gave exactly 12 entries: header is then that list and the run's
    // delivery date its entry 6 trimmed. Otherwise header is left alone and the date emptied.
    bool takeHeaderData(KOPLIJST& header);
    // 12 empty texts, the header list of a run without header data.
    static KOPLIJST emptyHeader();

    const std::string& deliveryDate() const { return m_deliveryDate; }
    void setDeliveryDate(std::string date) { m_deliveryDate = std::move(date); }
    // The default delivery date when the run's date is empty or blank.
    void useDefaultDeliveryDateIfEmpty();

    // Empties the lines and the count; origin is where the article numbers' bytes come from.
    void beginLines(TextOrigin origin = TextOrigin::Bytes);
    // Room for about this many lines whose article and quantity texts take sourceBytes in all,
    // so a long order is not moved around while it grows.
    void reserveLines(std::size_t count, std::size_t sourceBytes);
    // Applies VERWERK_LENGTE when Besteleenheid is "MTR" and Filiaal is "BEL", with the table key
    // makeKey() gives; only then is the key made, as most runs convert nothing.
    template <typename MakeKey> void convertMetres(Quantity& quantity, MakeKey makeKey)
    {
        if (m_settings.convertsMetres()) {
            quantity = VERWERK_LENGTE(makeKey(), quantity);
        }
    }
    // Counts an accepted line and appends it: quantity text with the run's decimal separator,
    // the run's delivery date, the count, the article trimmed.
    void addLine(const Quantity& quantity, std::string_view article);

    const config::Settings& settings() const { return m_settings; }
    platform::Messages& messages() { return m_messages; }
    const std::string& workFolder() const { return m_workFolder; }

private:
    struct Pending
    {
        enum class Kind { None, Converted, NotFound } kind = Kind::None;
        std::string metres;
        double length = 0;
    };

    // Keeps a remark for the in-memory run's result; a long order's remarks stop at a limit.
    void note(std::string text);
    void noteSkipped(std::size_t sourceLine, const char* why);
    KOPLIJST readOrderkop();
    // dtbs.xml from the order; false after reporting a failure.
    bool writeDocument(const ORDER& order);
    // The source checks and opening of a text reader, then its work on the bytes.
    void runTextSource(const std::string& sourcePath, void (Conversion::*read)(std::string_view));
    // The ICM file's own header lines h[1..19], trimmed, put straight into the order.
    void fillIcmHeader(const std::array<std::string, 20>& h);

    const config::Settings& m_settings;
    std::string m_workFolder;
    platform::Messages& m_messages;
    const platform::Clock& m_clock;
    PipeLengths* m_pipeLengths = nullptr;

    ORDER m_order;
    std::string m_deliveryDate;
    std::size_t m_lineCount = 0;
    char m_decimalSeparator = kCommaSeparator;

    // The result of the convertInMemory() run under way, else null.
    ConvertedOrder* m_run = nullptr;
    // What the metre conversion made of the line about to be added.
    Pending m_pending;
    std::size_t m_droppedNotes = 0;
};

} // namespace convert
