#include "commands/SendOrderCommand.h"

#include "commands/OrderPreview.h"
#include "commands/SentOrderLog.h"
#include "commands/WorkFolderLock.h"
#include "orderinfo/Orderkop.h"
#include "platform/Files.h"
#include "platform/OpenUrl.h"
#include "platform/Paths.h"
#include "transfer/OrderUpload.h"
#include "transfer/ResponseHeader.h"

#include <ctime>
#include <exception>
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
    // What the user is told from here on is what the log of sent orders keeps as the outcome.
    ToldMessages told(messages);
    const bool belgian = m_view.isBelgianShopChosen();
    transfer::OrderUpload upload(m_context.settings, m_context.deployment, m_context.workFolder, told);
    const bool opened = upload.ORDER_VERZENDEN(belgian);
    busy.release();
    if (opened) {
        const std::string reply = upload.CHECK_UPLOAD();
        if (reply.empty()) {
            // The source goes only once the webshop holds the order; after a refusal or a lost
            // connection it stays in the input folder for the next try, as does the header.
            orderinfo::dropSetAsideOrderkop(m_context.workFolder);
            deleteSource(sourcePath, read);
            reportAcceptance(told);
        } else {
            orderinfo::restoreSetAsideOrderkop(m_context.workFolder);
            reportRefusal(reply, told);
        }
    } else {
        orderinfo::restoreSetAsideOrderkop(m_context.workFolder);
        showOutcome("Error");
        told.error("Fouten bij verzenden order.");
    }
    recordPost(sourcePath, upload, belgian, told.transcript());
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

void SendOrderCommand::reportAcceptance(platform::Messages& messages)
{
    const config::Settings& settings = m_context.settings;
    showOutcome("Verzonden");
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

void SendOrderCommand::reportRefusal(const std::string& reply, platform::Messages& messages)
{
    showOutcome("Fout bij verzenden");
    if (messages.question(
            reply + "Druk Ja voor meer details", "Fout bij order verzenden", platform::MessageIcon::Critical)) {
        platform::openInDefaultProgram(platform::joinPath(m_context.workFolder, "Page2.htm"));
    }
}

void SendOrderCommand::showOutcome(const std::string& caption)
{
    m_outcome = caption;
    m_view.setSendCaption(caption);
}

// After the user heard how the post went: a log that cannot be written is told then, once, and
// changes nothing about the order.
void SendOrderCommand::recordPost(
    const std::string& sourcePath, const transfer::OrderUpload& upload, bool belgian, const std::string& told)
{
    SentOrderLog sentLog(m_context.workFolder);
    std::string error;
    try {
        const std::string document = platform::readFile(upload.documentPath()).value_or(std::string());
        SentOrder order;
        const platform::LocalTime now = platform::localTime(std::time(nullptr));
        order.date = platform::formatDate(now.date);
        order.time = platform::formatClockTime(now);
        order.source = sourcePath;
        order.format = m_context.settings.Schema;
        order.webshop = transfer::OrderUpload::webshopFor(m_context.settings, m_context.deployment, belgian);
        order.lines = orderLineCount(document);
        order.statusLine = transfer::statusLineOf(upload.responseHeader());
        order.outcome = m_outcome;
        order.told = told;
        if (sentLog.record(order, document, upload.replyBody(), &error)) {
            return;
        }
    } catch (const std::exception&) {
        // Out of memory or a file system error thrown: the order went all the same.
        error.clear();
    }
    m_context.messages.error(
        "Fout bij bewaren verzonden order in " + sentLog.folder() + (error.empty() ? "" : " " + error));
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
