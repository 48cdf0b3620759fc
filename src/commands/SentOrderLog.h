#pragma once

#include "platform/Messages.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace commands {

// One post as the log of sent orders keeps it. Texts are stored as given (UTF-8 for what the user
// was told; the source path as the file system's bytes).
struct SentOrder
{
    std::string date; // "YYYY-MM-DD", local time of the post
    std::string time; // "HH:MM:SS"
    std::string source; // the source file's path
    std::string format; // the Schema it was read with
    std::string webshop; // host[:port] the order went to
    std::size_t lines = 0;
    std::string statusLine; // of the webshop's reply; empty when none came
    std::string outcome; // the send button's last caption: "Verzonden", "Fout bij verzenden", "Error"
    std::string told; // the boxes' texts after the post, one after the other
    std::string folder; // where the log keeps it; filled by the log
};

// One order line of a stored order document.
struct SentLine
{
    std::string lineNumber;
    std::string article; // UTF-8
    std::string quantity;
};

// The last orders posted, in the work folder's "Verzonden": one folder per order, named after its
// sequence number and time so that names sort as the orders went, holding the order document as
// posted with the password blanked (dtbs.xml), the reply body (Page2.htm) and a small index
// (order.txt) that alone is read to list the log. The index is written last: a folder without it
// is an order whose recording broke off and is never listed. Everything is the user's alone.
class SentOrderLog
{
public:
    static constexpr std::size_t kKept = 500;

    explicit SentOrderLog(const std::string& workFolder);

    const std::string& folder() const { return m_folder; }

    // Records the order after its post, the password blanked in the document and in the reply,
    // and removes the oldest beyond kKept. False with the OS
    // text in *error when the order could not be kept; nothing half-written stays listed then.
    bool record(const SentOrder& order, std::string_view document, std::string_view reply, std::string* error);

    // The orders kept, newest first.
    std::vector<SentOrder> list() const;

    // The files of an order that list() gave.
    static std::string documentPath(const SentOrder& order);
    static std::string replyPath(const SentOrder& order);

private:
    std::string newEntryName(const SentOrder& order) const;
    void removeOldest() const;

    std::string m_folder;
};

// The order document with the content of every <Secret> element left out.
std::string blankPasswords(std::string_view document);

// How many order lines the document holds.
std::size_t orderLineCount(std::string_view document);

// The order lines of a stored order document, in document order; nothing when it cannot be read
// as one.
std::vector<SentLine> sentLines(std::string_view document);

// The index of an order as stored, and back; a text that is no index gives nothing.
std::string indexText(const SentOrder& order);
std::optional<SentOrder> parseIndex(std::string_view text);

// Passes every box on and keeps the texts shown, so the log can say what the user was told.
class ToldMessages final : public platform::Messages
{
public:
    explicit ToldMessages(platform::Messages& shown)
        : m_shown(shown)
    {
    }

    void error(const std::string& text) override;
    void message(const std::string& text, const std::string& caption, platform::MessageIcon icon) override;
    bool question(const std::string& text, const std::string& caption, platform::MessageIcon icon) override;

    // Every text so far, LF between two.
    const std::string& transcript() const { return m_transcript; }

private:
    void keep(const std::string& text);

    platform::Messages& m_shown;
    std::string m_transcript;
};

} // namespace commands
