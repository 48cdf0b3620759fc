#pragma once

#include <QTextBrowser>
#include <QWidget>

#include <string>

// The help window: the program's HTML help from the program folder in a browser pane.
class HelpWindow : public QWidget
{
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* owner = nullptr);

    // The help file of a program folder: help/Transvo_v4.html.
    static std::string helpFile(const std::string& programFolder);

    // Opens the file at the topic (an anchor in it) and raises the window. False when the file
    // is missing.
    bool showTopic(const std::string& file, const QString& topic);

    QTextBrowser* HELPBROWSER = nullptr;
};
