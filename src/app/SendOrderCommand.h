#pragma once

#include <string>

class TRANSFER;

// The send-order command behind "Order verzenden": one ticked source file converted, posted to
// the webshop, the reply judged and the login page opened; after every post the main window
// closes and the program ends.
class SendOrderCommand
{
public:
    explicit SendOrderCommand(TRANSFER& window);

    void run();

    // The webshop's login page for the branch and language: https, the branch's host, and
    // "/nl/klant/account/login/", "/fr/klant/account/login/" or "/klant/account/login/".
    static std::string loginPage(const std::string& filiaal, const std::string& lang, const std::string& belgianHost,
        const std::string& dutchHost);

private:
    // Converts the source into dtbs.xml; the pipe-length table is open only meanwhile.
    void convert(const std::string& sourcePath);
    bool hasDocument() const;
    // After the webshop accepted the order: the source file goes when so configured.
    void deleteSource(const std::string& sourcePath);
    void reportAcceptance();
    void reportRefusal(const std::string& reply);
    void setCaption(const char* caption);

    TRANSFER& m_window;
};
