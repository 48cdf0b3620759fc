#pragma once

#include "commands/CommandContext.h"
#include "commands/CommandView.h"
#include "platform/Files.h"

#include <optional>
#include <string>
#include <vector>

namespace commands {

// The e-mail command behind "E-mail": every ticked file travels unchanged as an attachment of
// one message to the supplier's ICM mailbox; files go only after the server took the message.
class IcmMailCommand
{
public:
    IcmMailCommand(const CommandContext& context, CommandView& view);

    // Does nothing while an earlier run of any IcmMailCommand is still under way.
    void run();

private:
    void mail(const std::vector<std::string>& files);
    bool send(const std::vector<std::string>& files);
    // Each file only while it is still the one that was stamped before the message went out.
    void deleteSent(const std::vector<std::string>& files, const std::vector<std::optional<platform::FileStamp>>& read);

    const CommandContext& m_context;
    CommandView& m_view;
};

} // namespace commands
