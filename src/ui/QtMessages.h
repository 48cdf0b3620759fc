#pragma once

#include "platform/Messages.h"

#include <QPointer>
#include <QWidget>

namespace ui {

// Messages shown as modal message boxes. Each box is owned by the current owner window (the
// main window, or the dialog an OwnerScope names), or by the active window when none is set.
class QtMessages final : public platform::Messages
{
public:
    void error(const std::string& text) override;
    void message(const std::string& text, const std::string& caption, platform::MessageIcon icon) override;
    bool question(const std::string& text, const std::string& caption, platform::MessageIcon icon) override;

    QWidget* owner() const { return m_owner; }
    void setOwner(QWidget* owner) { m_owner = owner; }

    // Makes a dialog the owner of every box shown while the scope lives, then gives the
    // ownership back to whoever had it before.
    class OwnerScope
    {
    public:
        OwnerScope(QtMessages& messages, QWidget* owner);
        ~OwnerScope();
        OwnerScope(const OwnerScope&) = delete;
        OwnerScope& operator=(const OwnerScope&) = delete;

    private:
        QtMessages& m_messages;
        QPointer<QWidget> m_previous;
    };

private:
    QWidget* boxOwner() const;

    QPointer<QWidget> m_owner;
};

} // namespace ui
