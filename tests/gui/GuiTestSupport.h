#pragma once

#include "ScopedEnv.h"
#include "config/ConfigValues.h"
#include "config/ConfigWriter.h"
#include "platform/Paths.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>

namespace gui_test {

// The control called name below window, found as a user's tools find it: by its objectName. A
// missing control fails the test and gives null.
template <class T = QWidget> T* control(const QWidget& window, const char* name)
{
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << "no " << T::staticMetaObject.className() << " named " << name;
    return found;
}

// Writes config.xml into folder as the settings dialog would; values not given stay empty.
inline void writeConfig(const std::string& folder, const std::map<std::string, std::string>& values)
{
    config::ConfigValues texts;
    for (const auto& [name, value] : values) {
        texts[name] = value;
    }
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/config.xml", std::ios::binary) << config::configText(texts);
}

// The path is UTF-8, as everywhere in the program.
inline void writeText(const std::string& path, const std::string& text)
{
    std::ofstream(platform::toFsPath(path), std::ios::binary) << text;
}

using ScopedEnv = testing_support::ScopedEnv;

// Runs check on the modal window that opens next, then closes that window: modal loops block the
// test, so the look happens from a timer inside the loop.
inline void onNextModal(std::function<void(QWidget*)> check)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, check]() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        check(modal);
        modal->close();
    });
    timer->start();
}

} // namespace gui_test
