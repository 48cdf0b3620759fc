#include "commands/SendOrderCommand.h"

#include "lengths/PipeLengthLookup.h"
#include "platform/Files.h"
#include "platform/OpenUrl.h"
#include "platform/Paths.h"
#include "transfer/OrderUpload.h"

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
    // Nothing ticked: the reader gets an empty path and writes nothing.
    const std::string sourcePath = ticked.empty() ? std::string() : ticked.front();

    convert(sourcePath);
    if (!hasDocument()) {
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
            // connection it stays in the input folder for the next try.
            deleteSource(sourcePath);
            reportAcceptance();
        } else {
            reportRefusal(reply);
        }
    } else {
        m_view.setSendCaption("Error");
        messages.error("Fouten bij verzenden order.");
    }
    m_view.closeWindow();
}

void SendOrderCommand::convert(const std::string& sourcePath)
{
    lengths::PipeLengthLookup table;
    if (m_context.settings.convertsMetres()) {
        // A table that cannot be opened is reported; the conversion goes on without it.
        table.open(m_context.programFolder, m_context.messages);
    }
    m_view.setSendCaption("Momentje");
    BusyScope busy(m_view);
    m_conversion.convert(m_context.settings.Schema, sourcePath, table.isOpen() ? &table : nullptr);
    table.close();
}

bool SendOrderCommand::hasDocument() const
{
    return platform::fileSize(platform::joinPath(m_context.workFolder, "dtbs.xml")) > 0;
}

void SendOrderCommand::deleteSource(const std::string& sourcePath)
{
    if (m_context.settings.Bestand_del != "YES") {
        return;
    }
    if (!platform::removeFile(sourcePath)) {
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
