#include "commands/IcmMailCommand.h"

#include "commands/WorkFolderLock.h"
#include "platform/Files.h"
#include "transfer/SENDMAIL.h"

#include <new>
#include <optional>

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
    const WorkFolderLock lock(m_context);
    if (!lock.mayRun()) {
        return;
    }
    try {
        mail(files);
    } catch (const std::bad_alloc&) {
        reportOutOfMemory(messages);
    }
}

void IcmMailCommand::mail(const std::vector<std::string>& files)
{
    platform::Messages& messages = m_context.messages;
    std::vector<std::optional<platform::FileStamp>> read;
    for (const std::string& path : files) {
        read.push_back(platform::fileStamp(path));
    }
    if (!send(files)) {
        messages.error("ERROR mail niet verzonden.");
        return;
    }
    messages.message(std::to_string(files.size()) + " bestand(en) verzonden naar VARO", kCaption,
        platform::MessageIcon::Information);
    if (m_context.settings.Bestand_del == "YES") {
        deleteSent(files, read);
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

void IcmMailCommand::deleteSent(
    const std::vector<std::string>& files, const std::vector<std::optional<platform::FileStamp>>& read)
{
    for (std::size_t i = 0; i < files.size(); ++i) {
        // A file written anew while the message went out was not mailed in this form.
        if (const auto now = platform::fileStamp(files[i]); read[i] && now && *now != *read[i]) {
            m_context.messages.message(
                "Bestand " + files[i] + " is gewijzigd sinds het verzonden werd en is niet gewist.", kCaption,
                platform::MessageIcon::Warning);
        } else if (!platform::removeFile(files[i])) {
            m_context.messages.error("Bestand niet gewist.");
        }
    }
}

} // namespace commands
