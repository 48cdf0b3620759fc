#include "dialogs/MappingCheckDialog.h"

MappingCheckDialog::MappingCheckDialog(QWidget* owner, const std::string& report)
    : QDialog(owner)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    s_form.build(this, m_controls);
    QStringList lines = QString::fromStdString(report).split(u'\n');
    while (!lines.isEmpty() && lines.back().isEmpty()) {
        lines.removeLast();
    }
    m_controls.LBX_RESULT->addItems(lines);
    m_controls.LBX_RESULT->setSelectionMode(QAbstractItemView::SingleSelection);
    m_controls.LBX_RESULT->setCurrentRow(0);
    m_controls.LBX_RESULT->setFocus();
    connect(m_controls.PBT_SLUITEN, &QPushButton::clicked, this, &QDialog::accept);
}
