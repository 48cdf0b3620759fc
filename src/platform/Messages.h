#pragma once

#include <string>

namespace platform {

enum class MessageIcon { None, Information, Warning, Critical, Question };

// Everything that must tell the user something goes through here. The GUI answers with modal
// message boxes owned by the window that is active; tests record the calls and script answers.
// Texts are UTF-8.
class Messages
{
public:
    virtual ~Messages() = default;

    // Error box: caption "Fout", critical icon, OK button.
    virtual void error(const std::string& text) = 0;

    // Message box with the given caption and icon and an OK button.
    virtual void message(const std::string& text, const std::string& caption, MessageIcon icon) = 0;

    // Question box with Yes and No. Returns true for Yes.
    virtual bool question(const std::string& text, const std::string& caption, MessageIcon icon) = 0;
};

} // namespace platform
