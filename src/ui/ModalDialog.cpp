#include "ui/ModalDialog.h"

#include <QGuiApplication>

namespace ui {

int runModal(QDialog& dialog)
{
    // A dialog or box that opens during a long command must be usable even though the command
    // set the busy pointer.
    const bool busy = QGuiApplication::overrideCursor() != nullptr;
    if (busy) {
        QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    const int result = dialog.exec();
    if (busy) {
        QGuiApplication::restoreOverrideCursor();
    }
    return result;
}

} // namespace ui
