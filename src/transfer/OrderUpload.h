#pragma once

#include "config/Settings.h"
#include "platform/Deployment.h"
#include "platform/Messages.h"
#include "transfer/HttpClient.h"

#include <string>
#include <string_view>

namespace transfer {

// The reply text for a stored response header block: empty when its first line is exactly
// "HTTP/1.1 200 OK", else "Webshop geeft volgende melding:", LF, that line, LF, LF. An empty
// block means no answer came, and the text then says so with noAnswerReason.
std::string replyText(std::string_view header, const std::string& noAnswerReason);

// Posts the order document dtbs.xml of the work folder to the webshop, keeps the reply in
// Header2.txt and Page2.htm beside it, and judges that reply.
class OrderUpload
{
public:
    OrderUpload(const config::Settings& settings, const platform::Deployment& deployment, std::string workFolder,
        platform::Messages& messages);

    // For tests: the network waits of the post.
    void setTimeouts(HttpTimeouts timeouts) { m_timeouts = timeouts; }

    // The webshop an order goes to, as host[:port]: with Webpagina "YES" the Belgian one when
    // the main window's BE button is pressed, else the Dutch one; otherwise the Belgian one for
    // Filiaal "BEL", else the Dutch one.
    static std::string webshopFor(
        const config::Settings& settings, const platform::Deployment& deployment, bool belgianPressed);
    // Whether that is the Belgian webshop.
    static bool goesToBelgium(const config::Settings& settings, bool belgianPressed);

    // Posts dtbs.xml and replaces Header2.txt and Page2.htm with the reply's header block and
    // body (both empty when nothing came back). Returns false only when the HTTP session could
    // not be opened at the first attempt; the post is tried all the same.
    bool ORDER_VERZENDEN(bool belgianPressed);

    // The reply text of the post just made (of Header2.txt when none was made here): empty when
    // the webshop answered "HTTP/1.1 200 OK"; otherwise
    // "Webshop geeft volgende melding:", LF, the status line, LF, LF. When no answer came at all
    // the text starts the same and gives the reason instead of a status line, so it can never be
    // taken for an acceptance.
    std::string CHECK_UPLOAD() const;

    // The reply of the post just made, as stored in Header2.txt and Page2.htm (even when storing
    // them failed): its header block and its body, both empty when nothing came back.
    const std::string& responseHeader() const { return m_responseHeader; }
    const std::string& replyBody() const { return m_replyBody; }

    std::string headerPath() const;
    std::string pagePath() const;
    std::string documentPath() const;

private:
    bool writeReply(const std::string& path, const std::string& bytes);

    const config::Settings& m_settings;
    const platform::Deployment& m_deployment;
    std::string m_workFolder;
    platform::Messages& m_messages;
    HttpTimeouts m_timeouts;

    bool m_posted = false;
    std::string m_responseHeader;
    std::string m_replyBody;
    // Why the last post got no answer; empty when it got one.
    std::string m_failureReason;
};

} // namespace transfer
