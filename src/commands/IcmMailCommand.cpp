#include "commands/IcmMailCommand.h"

#include "platform/Files.h"
#include "transfer/SENDMAIL.h"

namespace commands {

namespace {

constexpr const char* kCaption = "ICM_mail";

// A message box runs an event loop of its own; a second click that gets through while one
// run is under way must not send the files again.
bool s_running = false;

struct RunningScope
{
    RunningScope() { s_running = true; }
    ~RunningScope() { s_running = false; }
};

} // namespace

IcmMailCommand::IcmMailCommand(const CommandContext& context, CommandView& view)
    : m_context(context)
    , m_view(view)
{
}

void IcmMailCommand::run()
{
    if (s_running) {
        return;
    }
    const RunningScope running;
    const std::vector<std::string> files = m_view.tickedFiles();
    m_view.clearTicks();
    platform::Messages& messages = m_context.messages;
    if (files.empty()) {
        messages.message("Geen bestanden in selectie.", kCaption, platform::MessageIcon::Information);
        return;
    }
    if (!send(files)) {
        messages.error("ERROR mail niet verzonden.");
        return;
    }
    messages.message(std::to_string(files.size()) + " bestand(en) verzonden naar VARO", kCaption,
        platform::MessageIcon::Information);
    if (m_context.settings.Bestand_del == "YES") {
        deleteSent(files);
    }
    m_view.refillList();
    // The refill ticks the first file; with the sent files kept in the folder, a second press
    // would mail it again.
    m_view.clearTicks();
}

bool IcmMailCommand::send(const std::vector<std::string>& files)
{
    const config::Settings& settings = m_context.settings;
    const BusyScope busy(m_view);
    return transfer::SENDMAIL(settings.ICM_remote, "ICM-bestanden", m_context.deployment.icmMailbox, "",
        "ICM-bestand(en) in bijlage.", settings.ICM_email, &files, settings.ICM_naam);
}

void IcmMailCommand::deleteSent(const std::vector<std::string>& files)
{
    for (const std::string& path : files) {
        if (!platform::removeFile(path)) {
            m_context.messages.error("Bestand niet gewist.");
        }
    }
}

} // namespace commands
