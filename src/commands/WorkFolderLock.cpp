#include "commands/WorkFolderLock.h"

#include "platform/Paths.h"

namespace commands {

WorkFolderLock::WorkFolderLock(const CommandContext& context)
{
    if (!m_lock.lock(pathFor(context.workFolder)) && m_lock.isHeldElsewhere()) {
        context.messages.error("Transvo verwerkt al een order of e-mail in de map " + context.workFolder
            + " (in een ander venster). Probeer het opnieuw wanneer die klaar is.");
    }
}

std::string WorkFolderLock::pathFor(const std::string& workFolder)
{
    return platform::joinPath(workFolder, "transvo.lock");
}

void reportOutOfMemory(platform::Messages& messages)
{
    messages.error("Onvoldoende geheugen: de opdracht is afgebroken.");
}

} // namespace commands
