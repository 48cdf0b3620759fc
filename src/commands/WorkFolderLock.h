#pragma once

#include "commands/CommandContext.h"
#include "platform/Files.h"

namespace commands {

// One command at a time per work folder. A user may start the program twice on the same work
// folder; two commands at once would post through the same dtbs.xml, and one could delete the
// source or the header the other is sending. The lock is transvo.lock in the work folder, held
// for the whole command; another instance's command is refused with an error box.
class WorkFolderLock
{
public:
    explicit WorkFolderLock(const CommandContext& context);

    // False while another instance's command holds the work folder. A lock that cannot be
    // taken at all (no work folder yet) stops nothing: the command then reports what fails.
    bool mayRun() const { return m_lock.isLocked() || !m_lock.isHeldElsewhere(); }

    // The lock file of the work folder.
    static std::string pathFor(const std::string& workFolder);

private:
    platform::ExclusiveLock m_lock;
};

// The error box of a command that ran out of memory; the command ends with it.
void reportOutOfMemory(platform::Messages& messages);

} // namespace commands
