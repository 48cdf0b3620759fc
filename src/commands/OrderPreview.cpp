#include "commands/OrderPreview.h"

#include "commands/WorkFolderLock.h"
#include "lengths/PipeLengthLookup.h"
#include "transfer/OrderUpload.h"

#include <new>

namespace commands {

convert::ConvertedOrder convertOrder(const CommandContext& context, convert::Conversion& conversion,
    const std::string& sourcePath, const std::function<void()>& started)
{
    lengths::PipeLengthLookup table;
    if (context.settings.convertsMetres()) {
        // A table that cannot be opened is reported; the conversion goes on without it.
        table.open(context.programFolder, context.messages);
    }
    if (started) {
        started();
    }
    convert::ConvertedOrder converted
        = conversion.convertInMemory(context.settings.Schema, sourcePath, table.isOpen() ? &table : nullptr);
    table.close();
    return converted;
}

std::string webshopName(const config::Settings& settings, bool belgianPressed)
{
    return transfer::OrderUpload::goesToBelgium(settings, belgianPressed) ? "BE" : "NL";
}

PreviewOrderCommand::PreviewOrderCommand(const CommandContext& context, CommandView& view)
    : m_context(context)
    , m_view(view)
{
}

std::optional<OrderPreview> PreviewOrderCommand::run()
{
    platform::Messages& messages = m_context.messages;
    const std::vector<std::string> ticked = m_view.tickedFiles();
    if (ticked.size() > 1) {
        messages.message("Meerdere bestanden niet mogelijk", "Konekta", platform::MessageIcon::Information);
        return std::nullopt;
    }
    if (ticked.empty()) {
        // A send runs the reader on no file at all and finds no data; so does the preview, at once.
        messages.message("Geen data in ", "Transvo", platform::MessageIcon::Information);
        return std::nullopt;
    }
    // A conversion of its own: the window's order is the send's and stays as it is.
    convert::Conversion conversion(m_context.settings, m_context.workFolder, messages, m_context.clock);
    try {
        BusyScope busy(m_view);
        return OrderPreview { convertOrder(m_context, conversion, ticked.front()),
            webshopName(m_context.settings, m_view.isBelgianShopChosen()) };
    } catch (const std::bad_alloc&) {
        reportOutOfMemory(messages);
        return std::nullopt;
    }
}

} // namespace commands
