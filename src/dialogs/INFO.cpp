#include "dialogs/INFO.h"

INFO::INFO(QWidget* owner)
    : QDialog(owner)
{
    // A title bar and a close box, nothing else: no help button, no resizing.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    s_form.build(this, m_controls);
}
