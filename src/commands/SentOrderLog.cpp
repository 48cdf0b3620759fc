#include "commands/SentOrderLog.h"

#include "platform/Files.h"
#include "platform/Folders.h"
#include "platform/Paths.h"
#include "platform/TextLines.h"
#include "xml/XmlDocument.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <utility>

namespace commands {

namespace {

constexpr const char* kIndex = "order.txt";
constexpr const char* kDocument = "dtbs.xml";
constexpr const char* kReply = "Page2.htm";
constexpr std::string_view kPrefix = "bcdata=";

// The sequence number that starts an entry's folder name ("00000042-20261208-165812"); nothing
// for a name of anything else.
std::optional<std::uint64_t> sequenceOf(std::string_view name)
{
    std::uint64_t number = 0;
    const auto [end, failure] = std::from_chars(name.data(), name.data() + name.size(), number);
    if (failure != std::errc() || end == name.data() || (end != name.data() + name.size() && *end != '-')) {
        return std::nullopt;
    }
    return number;
}

// The entries' folder names with their sequence numbers, oldest first.
std::vector<std::pair<std::uint64_t, std::string>> entriesOf(const std::string& folder)
{
    std::vector<std::pair<std::uint64_t, std::string>> entries;
    for (std::string& name : platform::subfolderNames(folder)) {
        if (const auto sequence = sequenceOf(name)) {
            entries.emplace_back(*sequence, std::move(name));
        }
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

struct IndexField
{
    const char* key;
    std::string SentOrder::*text;
};

// The index file: one "key=value" line per field, in this order, the line count last.
// clang-format off
constexpr IndexField kIndexFields[] = {
    {"datum",    &SentOrder::date},
    {"tijd",     &SentOrder::time},
    {"bestand",  &SentOrder::source},
    {"formaat",  &SentOrder::format},
    {"webshop",  &SentOrder::webshop},
    {"status",   &SentOrder::statusLine},
    {"uitkomst", &SentOrder::outcome},
    {"melding",  &SentOrder::told},
};
// clang-format on
constexpr std::string_view kLinesKey = "regels";

// Index values stay on one line: line ends and the escape character itself are escaped.
std::string escaped(std::string_view value)
{
    std::string text;
    text.reserve(value.size());
    for (const char c : value) {
        switch (c) {
        case '\\':
            text += "\\\\";
            break;
        case '\n':
            text += "\\n";
            break;
        case '\r':
            text += "\\r";
            break;
        default:
            text += c;
        }
    }
    return text;
}

std::string unescaped(std::string_view value)
{
    std::string text;
    text.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        const char next = value[++i];
        text += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return text;
}

std::string attribute(const xml::XmlNode& node, const char* name)
{
    xmlChar* value = xmlGetProp(node.raw(), reinterpret_cast<const xmlChar*>(name));
    if (value == nullptr) {
        return {};
    }
    std::string text(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return text;
}

// The text of the first descendant element called name, depth first.
std::string descendantText(const xml::XmlNode& node, std::string_view name)
{
    for (const xml::XmlNode& child : node.children()) {
        if (!child.isElement()) {
            continue;
        }
        if (child.name() == name) {
            return child.text();
        }
        if (std::string text = descendantText(child, name); !text.empty()) {
            return text;
        }
    }
    return {};
}

} // namespace

SentOrderLog::SentOrderLog(const std::string& workFolder)
    : m_folder(platform::joinPath(workFolder, "Verzonden"))
{
}

std::string SentOrderLog::documentPath(const SentOrder& order)
{
    return platform::joinPath(order.folder, kDocument);
}

std::string SentOrderLog::replyPath(const SentOrder& order)
{
    return platform::joinPath(order.folder, kReply);
}

std::string SentOrderLog::newEntryName(const SentOrder& order) const
{
    const auto entries = entriesOf(m_folder);
    std::string name = std::to_string(entries.empty() ? 1 : entries.back().first + 1);
    name.insert(0, name.size() < 8 ? 8 - name.size() : 0, '0');
    // The time in the name is for whoever browses the folder; the order of entries is the number's.
    for (const std::string* part : { &order.date, &order.time }) {
        name += '-';
        std::copy_if(part->begin(), part->end(), std::back_inserter(name), [](char c) { return c >= '0' && c <= '9'; });
    }
    return name;
}

bool SentOrderLog::record(const SentOrder& order, std::string_view document, std::string_view reply, std::string* error)
{
    if (!platform::createOwnerOnlyFolder(m_folder, error)) {
        return false;
    }
    const std::string entry = platform::joinPath(m_folder, newEntryName(order));
    if (!platform::createOwnerOnlyFolder(entry, error)) {
        return false;
    }
    // The index goes last: until it stands, the entry is not listed.
    const std::pair<const char*, std::string> files[] = {
        { kDocument, blankPasswords(document) },
        // A webshop that echoes the order it got would echo the password as well.
        { kReply, blankPasswords(reply) },
        { kIndex, indexText(order) },
    };
    for (const auto& [file, bytes] : files) {
        const platform::WriteResult written
            = platform::replaceFile(platform::joinPath(entry, file), bytes, platform::Access::OwnerOnly);
        if (!written) {
            if (error != nullptr) {
                *error = written.osError;
            }
            platform::removeFolderTree(entry);
            return false;
        }
    }
    removeOldest();
    return true;
}

// A removal that fails is tried again after the next post; the new order is kept either way.
void SentOrderLog::removeOldest() const
{
    const auto entries = entriesOf(m_folder);
    for (std::size_t i = 0; i + kKept < entries.size(); ++i) {
        platform::removeFolderTree(platform::joinPath(m_folder, entries[i].second));
    }
}

std::vector<SentOrder> SentOrderLog::list() const
{
    const auto entries = entriesOf(m_folder);
    std::vector<SentOrder> orders;
    orders.reserve(entries.size());
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        const std::string entry = platform::joinPath(m_folder, it->second);
        const std::optional<std::string> text = platform::readFile(platform::joinPath(entry, kIndex));
        if (!text) {
            continue;
        }
        if (std::optional<SentOrder> order = parseIndex(*text)) {
            order->folder = entry;
            orders.push_back(std::move(*order));
        }
    }
    return orders;
}

std::string blankPasswords(std::string_view document)
{
    constexpr std::string_view open = "<Secret>";
    constexpr std::string_view close = "</Secret>";
    std::string text;
    text.reserve(document.size());
    std::size_t at = 0;
    for (std::size_t start; (start = document.find(open, at)) != std::string_view::npos;) {
        const std::size_t valueStart = start + open.size();
        const std::size_t end = document.find(close, valueStart);
        text.append(document.substr(at, valueStart - at));
        // An element left open blanks the rest: better lose the tail of a copy than keep a password.
        at = end == std::string_view::npos ? document.size() : end;
    }
    text.append(document.substr(at));
    return text;
}

std::size_t orderLineCount(std::string_view document)
{
    // Every line is one element of the writer's, which starts with exactly this text.
    constexpr std::string_view item = "<ItemOut ";
    std::size_t count = 0;
    for (std::size_t at = document.find(item); at != std::string_view::npos;
         at = document.find(item, at + item.size())) {
        ++count;
    }
    return count;
}

std::vector<SentLine> sentLines(std::string_view document)
{
    if (document.starts_with(kPrefix)) {
        document.remove_prefix(kPrefix.size());
    }
    xml::XmlDocument xmlDocument;
    if (!xmlDocument.loadMemory(document, kDocument)) {
        return {};
    }
    std::vector<SentLine> lines;
    const auto items = xmlDocument.select("//ItemOut");
    if (!items) {
        return {};
    }
    for (const xml::XmlNode& item : *items) {
        lines.push_back(
            { attribute(item, "lineNumber"), descendantText(item, "SupplierPartID"), attribute(item, "quantity") });
    }
    return lines;
}

std::string indexText(const SentOrder& order)
{
    std::string text;
    for (const IndexField& field : kIndexFields) {
        text += std::string(field.key) + "=" + escaped(order.*field.text) + "\n";
    }
    return text + std::string(kLinesKey) + "=" + std::to_string(order.lines) + "\n";
}

std::optional<SentOrder> parseIndex(std::string_view text)
{
    SentOrder order;
    bool hasLines = false;
    platform::TextLines lines(text);
    for (std::string_view line; lines.next(line);) {
        const std::size_t cut = line.find('=');
        const std::string_view key = line.substr(0, cut);
        const std::string_view value = cut == std::string_view::npos ? std::string_view() : line.substr(cut + 1);
        if (key == kLinesKey) {
            const auto [end, failure] = std::from_chars(value.data(), value.data() + value.size(), order.lines);
            hasLines = failure == std::errc() && end == value.data() + value.size();
            continue;
        }
        const auto field = std::find_if(std::begin(kIndexFields), std::end(kIndexFields),
            [key](const IndexField& candidate) { return key == candidate.key; });
        if (field != std::end(kIndexFields)) {
            order.*field->text = unescaped(value);
        }
    }
    // The count is written with every index; a file without it is no index of ours.
    if (!hasLines) {
        return std::nullopt;
    }
    return order;
}

void ToldMessages::keep(const std::string& text)
{
    if (!m_transcript.empty()) {
        m_transcript += '\n';
    }
    m_transcript += text;
}

void ToldMessages::error(const std::string& text)
{
    keep(text);
    m_shown.error(text);
}

void ToldMessages::message(const std::string& text, const std::string& caption, platform::MessageIcon icon)
{
    keep(text);
    m_shown.message(text, caption, icon);
}

bool ToldMessages::question(const std::string& text, const std::string& caption, platform::MessageIcon icon)
{
    keep(text);
    return m_shown.question(text, caption, icon);
}

} // namespace commands
