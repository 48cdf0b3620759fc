#pragma once

#include "commands/CommandContext.h"
#include "commands/CommandView.h"
#include "convert/Conversion.h"
#include "platform/Files.h"
#include "transfer/OrderUpload.h"

#include <optional>
#include <string>

namespace commands {

// The send-order command behind "Order verzenden": one ticked source file converted, posted to
// the webshop, the reply judged and the login page opened; after every post the window closes
// and the program ends.
class SendOrderCommand
{
public:
    // conversion is the window's own: the order it holds lives as long as the window.
    SendOrderCommand(const CommandContext& context, CommandView& view, convert::Conversion& conversion);

    // Does nothing but say so while another command runs on the same work folder.
    void run();

private:
    void send(const std::string& sourcePath);
    // Converts the source in memory (the pipe-length table open only meanwhile), then writes
    // dtbs.xml and sets the header data aside.
    void convert(const std::string& sourcePath);
    bool hasDocument() const;
    // After the webshop accepted the order: the source file goes when so configured.
    // Only while it is still the file that was read (stamped before the conversion).
    void deleteSource(const std::string& sourcePath, const std::optional<platform::FileStamp>& read);
    void reportAcceptance(platform::Messages& messages);
    void reportRefusal(const std::string& reply, platform::Messages& messages);
    // Sets the send button's caption that ends a post.
    void showOutcome(const std::string& caption);
    // Keeps the order just posted in the log of sent orders.
    void recordPost(
        const std::string& sourcePath, const transfer::OrderUpload& upload, bool belgian, const std::string& told);

    const CommandContext& m_context;
    CommandView& m_view;
    convert::Conversion& m_conversion;
    std::string m_outcome;
};

// The webshop's login page for the branch and language: https, the branch's host, and
// "/nl/klant/account/login/", "/fr/klant/account/login/" or "/klant/account/login/". The BE/NL
// choice on the window, which picks the host of the post, does not change it.
std::string loginPage(const config::Settings& settings, const platform::Deployment& deployment);

} // namespace commands
