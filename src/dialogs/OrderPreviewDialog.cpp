#include "dialogs/OrderPreviewDialog.h"

#include "dialogs/OrderLinesTable.h"

OrderPreviewDialog::OrderPreviewDialog(
    QWidget* owner, std::shared_ptr<const convert::ConvertedOrder> order, const std::string& webshop)
    : QDialog(owner)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    s_form.build(this, m_controls);
    // Without an order there is no header to show, only why.
    if (order->hasOrder) {
        for (const convert::PreviewField& field : convert::previewHeader(*order, webshop)) {
            m_controls.LBX_KOP->addItem(
                QString::fromLatin1(field.label) + QStringLiteral(": ") + QString::fromStdString(field.value));
        }
    }
    for (const std::string& note : order->notes) {
        m_controls.LBX_OPMERKINGEN->addItem(QString::fromStdString(note));
    }
    for (QListWidget* list : { m_controls.LBX_KOP, m_controls.LBX_OPMERKINGEN }) {
        list->setCurrentRow(0);
    }
    const bool hasLines = !order->order.lines.empty();
    showOrderLines(m_controls.LISTVIEW_REGELS, std::move(order));
    // The lines are what the user came for; without them, the remarks say why.
    (hasLines ? static_cast<QWidget*>(m_controls.LISTVIEW_REGELS) : m_controls.LBX_OPMERKINGEN)->setFocus();
    connect(m_controls.PBT_SLUITEN, &QPushButton::clicked, this, &QDialog::accept);
}
