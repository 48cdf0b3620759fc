#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>

namespace gui_test {

// Writes config.xml into folder in the program's 47-line layout; values not given stay empty.
inline void writeConfig(const std::string& folder, const std::map<std::string, std::string>& values)
{
    // clang-format off
    static const char* const names[] = {
        "Identity", "DirectERP", "Secret", "lang", "addressID", "MapIn", "Extentie", "Schema", "Koprecord",
        "Filiaal", "Webpagina", "Besteleenheid", "Bestand_del", "MC1000_SND", "SDF_art_van", "SDF_art_tot",
        "SDF_ant_van", "SDF_ant_tot", "CSV_char", "CSV_art", "CSV_aant", "ICM", "ICM_email", "ICM_naam",
        "ICM_remote",
    };
    // clang-format on
    std::filesystem::create_directories(folder);
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
                       "<VARO_XML xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\r\n"
                       "  <CONFIG>\r\n";
    auto line = [&](const std::string& name) {
        const auto found = values.find(name);
        text += "    <" + name + ">" + (found == values.end() ? "" : found->second) + "</" + name + ">\r\n";
    };
    for (const char* name : names) {
        line(name);
    }
    for (int i = 1; i <= 17; ++i) {
        line("XML_" + std::to_string(i));
    }
    text += "  </CONFIG>\r\n</VARO_XML>\r\n";
    std::ofstream(folder + "/config.xml", std::ios::binary) << text;
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
