#pragma once

#include "platform/Messages.h"

#include <QPointer>
#include <QWidget>

namespace ui {

// Messages shown as modal message boxes. Each box is owned by the modal dialog that is open (see
// runModal), else by the owner window set here (the main window), else by the active window.
class QtMessages final : public platform::Messages
{
public:
    void error(const std::string& text) override;
    void message(const std::string& text, const std::string& caption, platform::MessageIcon icon) override;
    bool question(const std::string& text, const std::string& caption, platform::MessageIcon icon) override;

    QWidget* owner() const { return m_owner; }
    void setOwner(QWidget* owner) { m_owner = owner; }

private:
    QWidget* boxOwner() const;

    QPointer<QWidget> m_owner;
};

} // namespace ui
