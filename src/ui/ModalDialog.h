#pragma once

#include <QDialog>

#include <utility>

namespace ui {

// Runs dialog modally over its owner (its parent window) and returns how it ended:
// QDialog::Accepted or QDialog::Rejected. While it runs, the boxes QtMessages shows belong to it,
// and a busy pointer set by the caller gives way to the normal one.
int runModal(QDialog& dialog);

// Creates a Dialog owned by owner (its constructor takes the owner first, then args), runs it
// modally and returns how it ended:
//
//     ui::runModal<TRANSFER_EXTRA>(this, m_workFolder, m_settings, m_clock, m_messages);
template <class Dialog, class... Args> int runModal(QWidget* owner, Args&&... args)
{
    Dialog dialog(owner, std::forward<Args>(args)...);
    return runModal(dialog);
}

} // namespace ui
