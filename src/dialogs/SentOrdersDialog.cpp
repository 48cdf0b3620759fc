#include "dialogs/SentOrdersDialog.h"

#include "platform/Files.h"
#include "platform/OpenUrl.h"
#include "platform/Paths.h"
#include "ui/BusyPointer.h"
#include "ui/DialogBuilder.h"

#include <QHeaderView>

namespace {

void setColumns(QTreeWidget* list, const QStringList& captions)
{
    list->setColumnCount(static_cast<int>(captions.size()));
    list->setHeaderLabels(captions);
    list->setRootIsDecorated(false);
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
}

QString shown(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

SentOrdersDialog::SentOrdersDialog(QWidget* owner, const std::string& workFolder, platform::Messages& messages)
    : QDialog(owner)
    , m_messages(messages)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    s_form.build(this, m_controls);
    setColumns(m_controls.LISTVIEW_ORDERS,
        { QStringLiteral("Datum/tijd"), QStringLiteral("Bestand"), QStringLiteral("Webshop"), QStringLiteral("Regels"),
            QStringLiteral("Uitkomst") });
    setColumns(
        m_controls.LISTVIEW_REGELS, { QStringLiteral("Regel"), QStringLiteral("Artikel"), QStringLiteral("Aantal") });
    m_controls.TXT_MELDING->setWordWrap(true);
    m_controls.TXT_MELDING->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    {
        ui::BusyPointer busy;
        m_orders = commands::SentOrderLog(workFolder).list();
    }
    connect(m_controls.LISTVIEW_ORDERS, &QTreeWidget::currentItemChanged, this, &SentOrdersDialog::showOrder);
    connect(m_controls.PBT_ANTWOORD, &QPushButton::clicked, this, &SentOrdersDialog::openReply);
    connect(m_controls.PBT_SLUITEN, &QPushButton::clicked, this, &QDialog::accept);
    fillOrders();
}

void SentOrdersDialog::fillOrders()
{
    QTreeWidget* list = m_controls.LISTVIEW_ORDERS;
    for (const commands::SentOrder& order : m_orders) {
        auto* item = new QTreeWidgetItem(list);
        item->setText(0, shown(order.date + " " + order.time));
        item->setText(1, shown(platform::fileName(order.source)));
        item->setToolTip(1, shown(order.source));
        item->setText(2, shown(order.webshop));
        item->setText(3, QString::number(order.lines));
        item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
        item->setText(4, shown(order.outcome));
    }
    if (m_orders.empty()) {
        ui::setCaption(m_controls.TXT_MELDING, QStringLiteral("Nog geen orders verzonden."));
        m_controls.PBT_ANTWOORD->setEnabled(false);
        m_controls.PBT_SLUITEN->setFocus();
        return;
    }
    list->setCurrentItem(list->topLevelItem(0));
    list->setFocus();
}

const commands::SentOrder* SentOrdersDialog::currentOrder() const
{
    const int row = m_controls.LISTVIEW_ORDERS->indexOfTopLevelItem(m_controls.LISTVIEW_ORDERS->currentItem());
    return row < 0 ? nullptr : &m_orders[static_cast<size_t>(row)];
}

void SentOrdersDialog::showOrder()
{
    QTreeWidget* lines = m_controls.LISTVIEW_REGELS;
    lines->clear();
    const commands::SentOrder* order = currentOrder();
    if (order == nullptr) {
        return;
    }
    ui::BusyPointer busy;
    const std::string document = platform::readFile(commands::SentOrderLog::documentPath(*order)).value_or("");
    QList<QTreeWidgetItem*> items;
    for (const commands::SentLine& line : commands::sentLines(document)) {
        auto* item = new QTreeWidgetItem({ shown(line.lineNumber), shown(line.article), shown(line.quantity) });
        item->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        items << item;
    }
    // One insertion: a long order's lines would otherwise each relayout the list.
    lines->addTopLevelItems(items);
    QString outcome = shown(order->format + ", " + order->webshop);
    outcome += u'\n'
        + (order->statusLine.empty() ? QStringLiteral("Geen antwoord van de webshop ontvangen.")
                                     : shown(order->statusLine));
    if (!order->told.empty()) {
        outcome += u'\n' + shown(order->told);
    }
    ui::setCaption(m_controls.TXT_MELDING, outcome);
    m_controls.PBT_ANTWOORD->setEnabled(platform::fileSize(commands::SentOrderLog::replyPath(*order)) > 0);
}

void SentOrdersDialog::openReply()
{
    if (const commands::SentOrder* order = currentOrder()) {
        if (!platform::openInDefaultProgram(commands::SentOrderLog::replyPath(*order))) {
            m_messages.error("Kan browser niet starten.");
        }
    }
}
