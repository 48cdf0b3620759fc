#pragma once

#include "config/ConfigValues.h"
#include "config/ConfigWriter.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>

namespace gui_test {

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

inline void writeText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// Sets or clears an environment variable for one test and restores it afterwards.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const char* value)
        : m_name(name)
    {
        if (const char* old = std::getenv(name)) {
            m_old = old;
            m_had = true;
        }
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnv()
    {
        if (m_had) {
            setenv(m_name.c_str(), m_old.c_str(), 1);
        } else {
            unsetenv(m_name.c_str());
        }
    }

private:
    std::string m_name;
    std::string m_old;
    bool m_had = false;
};

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
