#include "platform/OpenUrl.h"

#ifdef _WIN32
#include "platform/WideText.h"

#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <shellapi.h>
#else
#include <cerrno>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace platform {

bool openInDefaultProgram(const std::string& target)
{
#ifdef _WIN32
    // The shell's "open" action: the browser for an address, the program registered for a file.
    // Wide, so a file name outside the ANSI code page opens too.
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", toWide(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
#else
    // posix_spawnp searches PATH itself; no shell, so the target is never interpreted.
    pid_t pid = 0;
    char program[] = "xdg-open";
    std::string argument = target;
    char* argv[] = { program, argument.data(), nullptr };
    if (posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) != 0) {
        return false;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
#endif
}

} // namespace platform
