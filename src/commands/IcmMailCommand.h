#pragma once

#include "commands/CommandContext.h"
#include "commands/CommandView.h"

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
    bool send(const std::vector<std::string>& files);
    void deleteSent(const std::vector<std::string>& files);

    const CommandContext& m_context;
    CommandView& m_view;
};

} // namespace commands
