#include "dialogs/INFO.h"

#include "ui/DialogLayout.h"

INFO::INFO(QWidget* owner)
    : QDialog(owner)
{
    // A title bar and a close box, nothing else: no help button, no resizing.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    const ui::DialogLayout layout = ui::DialogLayout::load(QStringLiteral("INFO"));
    layout.build(this);
    layout.bind(this, "FIXEDTEXT2", FIXEDTEXT2);
    layout.bind(this, "FIXEDTEXT3", FIXEDTEXT3);
    layout.bind(this, "FIXEDTEXT4", FIXEDTEXT4);
}
