#include "app/HelpWindow.h"

#include "platform/Files.h"
#include "platform/Paths.h"
#include "ui/Images.h"

#include <QUrl>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QWidget* owner)
    : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("HELPWINDOW"));
    setWindowTitle(QStringLiteral("Transvo Help"));
    setAccessibleName(windowTitle());
    setWindowIcon(ui::A_ICOON());
    HELPBROWSER = new QTextBrowser(this);
    HELPBROWSER->setObjectName(QStringLiteral("HELPBROWSER"));
    HELPBROWSER->setAccessibleName(QStringLiteral("Help"));
    // Links to web pages go to the browser; the help itself stays inside this window.
    HELPBROWSER->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(HELPBROWSER);
    resize(640, 560);
}

std::string HelpWindow::helpFile(const std::string& programFolder)
{
    return platform::joinPath(platform::joinPath(programFolder, "help"), "Transvo_v4.html");
}

bool HelpWindow::showTopic(const std::string& file, const QString& topic)
{
    if (!platform::fileExists(file)) {
        return false;
    }
    QUrl url = QUrl::fromLocalFile(QString::fromStdString(file));
    url.setFragment(topic);
    HELPBROWSER->setSource(url);
    show();
    raise();
    activateWindow();
    return true;
}
