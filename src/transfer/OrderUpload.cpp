#include "transfer/OrderUpload.h"

#include "platform/Files.h"
#include "platform/Paths.h"
#include "transfer/CHttp.h"
#include "transfer/ResponseHeader.h"

namespace transfer {

namespace {

constexpr const char* kOrderPath = "/barcodescanner/index/xml";
constexpr std::uint16_t kHttpsPort = 443;
constexpr const char* kReplyIntro = "Webshop geeft volgende melding:\n";

} // namespace

OrderUpload::OrderUpload(const config::Settings& settings, const platform::Deployment& deployment,
    std::string workFolder, platform::Messages& messages)
    : m_settings(settings)
    , m_deployment(deployment)
    , m_workFolder(std::move(workFolder))
    , m_messages(messages)
{
}

std::string OrderUpload::webshopFor(
    const config::Settings& settings, const platform::Deployment& deployment, bool belgianPressed)
{
    return goesToBelgium(settings, belgianPressed) ? deployment.webshopBe : deployment.webshopNl;
}

bool OrderUpload::goesToBelgium(const config::Settings& settings, bool belgianPressed)
{
    return settings.Webpagina == "YES" ? belgianPressed : settings.isBelgian();
}

std::string OrderUpload::headerPath() const
{
    return platform::joinPath(m_workFolder, "Header2.txt");
}

std::string OrderUpload::pagePath() const
{
    return platform::joinPath(m_workFolder, "Page2.htm");
}

std::string OrderUpload::documentPath() const
{
    return platform::joinPath(m_workFolder, "dtbs.xml");
}

bool OrderUpload::ORDER_VERZENDEN(bool belgianPressed)
{
    bool result = true;
    CHttp session("VARO", m_deployment.tlsCaFile);
    session.setTimeouts(m_timeouts);
    m_posted = true;
    m_failureReason.clear();
    m_responseHeader.clear();
    m_replyBody.clear();

    const platform::HostPort webshop
        = platform::splitHostPort(webshopFor(m_settings, m_deployment, belgianPressed), kHttpsPort);
    if (!session.open()) {
        m_messages.error("Eror: INTERNET_OPEN_TYPE_PRECONFIG");
        result = false;
    }

    // Sent from the file as it is read: a long order's document need not lie in memory twice.
    m_replyBody = session.ORDER_UPLOAD(
        webshop.host, kOrderPath, documentPath(), static_cast<std::uint16_t>(webshop.port), CHttp::Secure);
    const HttpResponse& response = session.lastResponse();
    m_responseHeader = response.headerBlock;
    if (response.statusLine().empty()) {
        m_failureReason = response.reason;
    }

    writeReply(headerPath(), m_responseHeader);
    writeReply(pagePath(), m_replyBody);
    session.close();
    return result;
}

bool OrderUpload::writeReply(const std::string& path, const std::string& bytes)
{
    // The reply may echo the order, password included.
    const platform::WriteResult written = platform::replaceFile(path, bytes, platform::Access::OwnerOnly);
    if (!written) {
        m_messages.error("Fout bij aanmaken bestand " + path + " " + written.osError);
        return false;
    }
    return true;
}

std::string replyText(std::string_view header, const std::string& noAnswerReason)
{
    const std::string line = statusLineOf(header);
    if (line.empty()) {
        std::string text = std::string(kReplyIntro) + "Geen antwoord van de webshop ontvangen.";
        if (!noAnswerReason.empty()) {
            text += "\n" + noAnswerReason;
        }
        return text + "\n\n";
    }
    return line == "HTTP/1.1 200 OK" ? std::string() : kReplyIntro + line + "\n\n";
}

std::string OrderUpload::CHECK_UPLOAD() const
{
    // After a post its own response counts: Header2.txt may meanwhile hold another post's reply
    // (a second instance of the program on the same work folder).
    if (m_posted) {
        return replyText(m_responseHeader, m_failureReason);
    }
    const std::string path = headerPath();
    std::string header;
    if (platform::fileExists(path) && platform::fileSize(path) > 0) {
        std::string error;
        const auto text = platform::readFile(path, &error);
        if (!text) {
            m_messages.error("Fout bij openen logbestand " + path + " " + error);
            // Whether the webshop took the order is unknown; the user must look, not assume it went.
            return kReplyIntro + ("Fout bij openen logbestand " + path) + "\n\n";
        }
        header = *text;
    }
    return replyText(header, m_failureReason);
}

} // namespace transfer
