#include "orderinfo/Orderkop.h"

#include "platform/Paths.h"
#include "platform/TextLines.h"

#include <utility>

namespace orderinfo {

namespace {

// Orderkop or const Orderkop alike.
template <class Fields> std::array<decltype(&std::declval<Fields&>().contract), kOrderkopLineCount> fieldsOf(Fields& f)
{
    return { &f.contract, &f.orderReference, &f.reference1, &f.reference2, &f.telephone, &f.deliveryDate, &f.name1,
        &f.name2, &f.street, &f.postcode, &f.town, &f.country };
}

} // namespace

std::array<std::string*, kOrderkopLineCount> orderkopFields(Orderkop& fields)
{
    return fieldsOf(fields);
}

std::array<const std::string*, kOrderkopLineCount> orderkopFields(const Orderkop& fields)
{
    return fieldsOf(fields);
}

std::vector<std::string> orderkopLines(std::string_view bytes)
{
    std::vector<std::string> lines;
    platform::TextLines cursor(bytes);
    std::string_view line;
    while (cursor.next(line)) {
        lines.emplace_back(line);
    }
    return lines;
}

Orderkop orderkopFromLines(const std::vector<std::string>& lines)
{
    Orderkop fields;
    const auto targets = orderkopFields(fields);
    for (std::size_t i = 0; i < targets.size() && i < lines.size(); ++i) {
        *targets[i] = lines[i];
    }
    return fields;
}

std::string orderkopText(const Orderkop& fields)
{
    std::string text;
    for (const std::string* field : orderkopFields(fields)) {
        text.append(*field);
        text.append("\r\n");
    }
    return text;
}

std::string orderkopAsidePath(const std::string& workFolder)
{
    return platform::joinPath(workFolder, "orderkop_verwerkt.txt");
}

bool dropSetAsideOrderkop(const std::string& workFolder)
{
    const std::string aside = orderkopAsidePath(workFolder);
    return !platform::fileExists(aside) || platform::removeFile(aside);
}

bool restoreSetAsideOrderkop(const std::string& workFolder)
{
    const std::string aside = orderkopAsidePath(workFolder);
    if (!platform::fileExists(aside)) {
        return true;
    }
    if (platform::fileExists(orderkopPath(workFolder))) {
        return platform::removeFile(aside);
    }
    return platform::renameFile(aside, orderkopPath(workFolder));
}

std::string orderkopPath(const std::string& workFolder)
{
    return platform::joinPath(workFolder, "orderkop.txt");
}

platform::WriteResult writeOrderkop(const std::string& path, const Orderkop& fields)
{
    return platform::replaceFile(path, orderkopText(fields));
}

} // namespace orderinfo
