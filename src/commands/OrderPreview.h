#pragma once

#include "commands/CommandContext.h"
#include "commands/CommandView.h"
#include "convert/Conversion.h"
#include "convert/ConvertedOrder.h"

#include <functional>
#include <optional>
#include <string>

namespace commands {

// Converts the source as "Order verzenden" does, in memory: the pipe-length table opened from the
// program folder when metres are converted (a table that cannot be opened is reported and the run
// goes on without it) and closed after. started runs once the table is settled, just before the
// reader. Writes, consumes and posts nothing.
convert::ConvertedOrder convertOrder(const CommandContext& context, convert::Conversion& conversion,
    const std::string& sourcePath, const std::function<void()>& started = {});

// "BE" or "NL": the webshop a post would go to, by the settings and the window's BE/NL choice.
std::string webshopName(const config::Settings& settings, bool belgianPressed);

// What "Order bekijken" shows: the ticked file as it would be sent, and where to.
struct OrderPreview
{
    convert::ConvertedOrder converted;
    std::string webshop;
};

// The command behind "Order bekijken": the one ticked file converted exactly as a send would,
// with nothing written, consumed or posted; the window shows the result and stays open.
class PreviewOrderCommand
{
public:
    PreviewOrderCommand(const CommandContext& context, CommandView& view);

    // Nothing after the boxes a send shows for more than one ticked file or none.
    std::optional<OrderPreview> run();

private:
    const CommandContext& m_context;
    CommandView& m_view;
};

} // namespace commands
