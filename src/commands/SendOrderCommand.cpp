#include "commands/SendOrderCommand.h"

#include "commands/OrderPreview.h"
#include "commands/WorkFolderLock.h"
#include "orderinfo/Orderkop.h"
#include "platform/Files.h"
#include "platform/OpenUrl.h"
#include "platform/Paths.h"
#include "transfer/OrderUpload.h"

#include <new>

namespace commands {

SendOrderCommand::SendOrderCommand(const CommandContext& context, CommandView& view, convert::Conversion& conversion)
    : m_context(context)
    , m_view(view)
    , m_conversion(conversion)
{
}

void SendOrderCommand::run()
{
    platform::Messages& messages = m_context.messages;
    const std::vector<std::string> ticked = m_view.tickedFiles();
    if (ticked.size() > 1) {
        messages.message("Meerdere bestanden niet mogelijk", "Konekta", platform::MessageIcon::Information);
        return;
    }
    const WorkFolderLock lock(m_context);
    if (!lock.mayRun()) {
        return;
    }
    try {
        send(ticked.empty() ? std::string() : ticked.front());
    } catch (const std::bad_alloc&) {
        orderinfo::restoreSetAsideOrderkop(m_context.workFolder);
        reportOutOfMemory(messages);
    }
}

// Nothing ticked: the reader gets an empty path and writes nothing.
void SendOrderCommand::send(const std::string& sourcePath)
{
    platform::Messages& messages = m_context.messages;
    // A header set aside by a run that was stopped before its post belongs to no order yet.
    orderinfo::restoreSetAsideOrderkop(m_context.workFolder);
    const std::optional<platform::FileStamp> read = platform::fileStamp(sourcePath);
    convert(sourcePath);
    if (!hasDocument()) {
        orderinfo::restoreSetAsideOrderkop(m_context.workFolder);
        messages.message("Geen data in " + sourcePath, "Transvo", platform::MessageIcon::Information);
        return;
    }

    BusyScope busy(m_view);
    transfer::OrderUpload upload(m_context.settings, m_context.deployment, m_context.workFolder, messages);
    const bool opened = upload.ORDER_VERZENDEN(m_view.isBelgianShopChosen());
    busy.release();
    if (opened) {
        const std::string reply = upload.CHECK_UPLOAD();
        if (reply.empty()) {
            // The source goes only once the webshop holds the order; after a refusal or a lost
            // connection it stays in the input folder for the next try, as does the header.
            orderinfo::dropSetAsideOrderkop(m_context.workFolder);
            deleteSource(sourcePath, read);
            reportAcceptance();
        } else {
            orderinfo::restoreSetAsideOrderkop(m_context.workFolder);
            reportRefusal(reply);
        }
    } else {
        orderinfo::restoreSetAsideOrderkop(m_context.workFolder);
        m_view.setSendCaption("Error");
        messages.error("Fouten bij verzenden order.");
    }
    m_view.closeWindow();
}

void SendOrderCommand::convert(const std::string& sourcePath)
{
    std::optional<BusyScope> busy;
    // Converted as a preview converts it; only then written, with the header data taken along.
    const convert::ConvertedOrder converted = convertOrder(m_context, m_conversion, sourcePath, [this, &busy] {
        m_view.setSendCaption("Momentje");
        busy.emplace(m_view);
    });
    m_conversion.deliver(converted);
}

bool SendOrderCommand::hasDocument() const
{
    return platform::fileSize(platform::joinPath(m_context.workFolder, "dtbs.xml")) > 0;
}

void SendOrderCommand::deleteSource(const std::string& sourcePath, const std::optional<platform::FileStamp>& read)
{
    if (m_context.settings.Bestand_del != "YES") {
        return;
    }
    // An export that reuses the name may have written the next order meanwhile; only the file
    // that was sent may go.
    if (const auto now = platform::fileStamp(sourcePath); read && now && *now != *read) {
        m_context.messages.message("Bestand " + sourcePath + " is gewijzigd sinds het gelezen werd en is niet gewist.",
            "Upload order", platform::MessageIcon::Warning);
    } else if (!platform::removeFile(sourcePath)) {
        m_context.messages.error("Bestand " + sourcePath + " niet gewist.");
    }
    m_view.refillList();
}

void SendOrderCommand::reportAcceptance()
{
    const config::Settings& settings = m_context.settings;
    platform::Messages& messages = m_context.messages;
    m_view.setSendCaption("Verzonden");
    if (settings.DirectERP != "0") {
        messages.message("Order opgeladen in ERP-systeem.", "Upload order", platform::MessageIcon::Information);
        return;
    }
    const bool started = platform::openInDefaultProgram(loginPage(settings, m_context.deployment));
    messages.message(
        "Order verzonden, zie winkelwagen in browser.", "Upload order", platform::MessageIcon::Information);
    if (!started) {
        messages.error("Kan browser niet starten.");
    }
}

void SendOrderCommand::reportRefusal(const std::string& reply)
{
    m_view.setSendCaption("Fout bij verzenden");
    if (m_context.messages.question(
            reply + "Druk Ja voor meer details", "Fout bij order verzenden", platform::MessageIcon::Critical)) {
        platform::openInDefaultProgram(platform::joinPath(m_context.workFolder, "Page2.htm"));
    }
}

std::string loginPage(const config::Settings& settings, const platform::Deployment& deployment)
{
    if (!settings.isBelgian()) {
        return "https://" + deployment.webshopNl + "/klant/account/login/";
    }
    return "https://" + deployment.webshopBe
        + (settings.lang == "FR" ? "/fr/klant/account/login/" : "/nl/klant/account/login/");
}

} // namespace commands
