#include "app/TRANSFER.h"
#include "commands/CommandLine.h"
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "ui/QtMessages.h"

#include <QApplication>

#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char* argv[])
{
    // The command-line options run before any Qt object exists: they need no display and must
    // work on a machine without one.
    {
#ifdef _WIN32
        // The document's bytes go out as they are, CR LF and all.
        _setmode(_fileno(stdout), _O_BINARY);
#endif
        const platform::SystemClock clock;
        const std::vector<std::string> args(argv + 1, argv + argc);
        if (const auto status
            = commands::runCommandLine(args, platform::programFolder(), clock, std::cout, std::cerr)) {
            return *status;
        }
    }
    // The text conversion defaults (dates "YYYY-MM-DD", decimal comma, 3 decimals) are the
    // explicit helpers of platform/TextFormat.h and formatDate; the process locale stays as it is
    // so no library writes a file or a request in the user's number format by accident.

    // Screen readers on the desktop find the windows through the accessibility bus; Qt only
    // registers there on request unless the desktop announces one itself.
    if (qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS")
        && !qEnvironmentVariableIsSet("QT_LINUX_ACCESSIBILITY_ALWAYS_ON")) {
        qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    }
    QApplication application(argc, argv);
    // The windows are laid out as classic dialogs; the classic style draws them as such on every
    // platform (group captions on the frame line, flat list header).
    application.setStyle(QStringLiteral("Windows"));
    application.setApplicationName(QStringLiteral("Transvo"));
    application.setApplicationVersion(QStringLiteral("4.14"));
    // Ties the windows to the installed desktop entry, for its name and icon in the task bar.
    application.setDesktopFileName(QStringLiteral("transvo"));

    ui::QtMessages messages;
    const platform::SystemClock clock;
    TRANSFER window(messages, platform::programFolder(), clock);
    window.show();
    return application.exec();
}
