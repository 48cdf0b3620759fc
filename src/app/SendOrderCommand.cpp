#include "app/SendOrderCommand.h"

#include "app/TRANSFER.h"
#include "lengths/PipeLengthLookup.h"
#include "platform/Files.h"
#include "platform/OpenUrl.h"
#include "platform/Paths.h"
#include "transfer/OrderUpload.h"
#include "ui/BusyPointer.h"

SendOrderCommand::SendOrderCommand(TRANSFER& window)
    : m_window(window)
{
}

void SendOrderCommand::run()
{
    const config::Settings& settings = m_window.settings();
    platform::Messages& messages = m_window.messages();

    const std::vector<std::string> ticked = m_window.tickedFiles();
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

    ui::BusyPointer busy;
    transfer::OrderUpload upload(settings, m_window.deployment(), m_window.workFolder(), messages);
    const bool opened = upload.ORDER_VERZENDEN(m_window.isBelgianShopChosen());
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
        setCaption("Error");
        messages.error("Fouten bij verzenden order.");
    }
    m_window.close();
}

void SendOrderCommand::convert(const std::string& sourcePath)
{
    const config::Settings& settings = m_window.settings();
    lengths::PipeLengthLookup table;
    if (settings.convertsMetres()) {
        // A table that cannot be opened is reported; the conversion goes on without it.
        table.open(m_window.programFolder(), m_window.messages());
    }
    setCaption("Momentje");
    ui::BusyPointer busy;
    convert::Conversion& conversion = m_window.conversion();
    conversion.convert(settings.Schema, sourcePath, table.isOpen() ? &table : nullptr);
    table.close();
}

bool SendOrderCommand::hasDocument() const
{
    return platform::fileSize(platform::joinPath(m_window.workFolder(), "dtbs.xml")) > 0;
}

void SendOrderCommand::deleteSource(const std::string& sourcePath)
{
    if (m_window.settings().Bestand_del != "YES") {
        return;
    }
    if (!platform::removeFile(sourcePath)) {
        m_window.messages().error("Bestand " + sourcePath + " niet gewist.");
    }
    m_window.LISTVIEW_FILL();
}

void SendOrderCommand::reportAcceptance()
{
    const config::Settings& settings = m_window.settings();
    platform::Messages& messages = m_window.messages();
    setCaption("Verzonden");
    if (settings.DirectERP != "0") {
        messages.message("Order opgeladen in ERP-systeem.", "Upload order", platform::MessageIcon::Information);
        return;
    }
    const platform::Deployment& deployment = m_window.deployment();
    const bool started = platform::openInDefaultProgram(
        loginPage(settings.Filiaal, settings.lang, deployment.webshopBe, deployment.webshopNl));
    messages.message(
        "Order verzonden, zie winkelwagen in browser.", "Upload order", platform::MessageIcon::Information);
    if (!started) {
        messages.error("Kan browser niet starten.");
    }
}

void SendOrderCommand::reportRefusal(const std::string& reply)
{
    setCaption("Fout bij verzenden");
    if (m_window.messages().question(
            reply + "Druk Ja voor meer details", "Fout bij order verzenden", platform::MessageIcon::Critical)) {
        platform::openInDefaultProgram(platform::joinPath(m_window.workFolder(), "Page2.htm"));
    }
}

void SendOrderCommand::setCaption(const char* caption)
{
    QPushButton* button = m_window.controls.PBT_SENDORDER;
    button->setText(QString::fromUtf8(caption));
    button->setAccessibleName(button->text());
    // The window does not return to its event loop until the command ends; show the caption now.
    button->repaint();
}

std::string SendOrderCommand::loginPage(
    const std::string& filiaal, const std::string& lang, const std::string& belgianHost, const std::string& dutchHost)
{
    if (filiaal != "BEL") {
        return "https://" + dutchHost + "/klant/account/login/";
    }
    return "https://" + belgianHost + (lang == "FR" ? "/fr/klant/account/login/" : "/nl/klant/account/login/");
}
