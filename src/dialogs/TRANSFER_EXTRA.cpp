#include "dialogs/TRANSFER_EXTRA.h"

#include <QEvent>
#include <QFocusEvent>
#include <QSignalBlocker>

#include <algorithm>

using orderinfo::Orderkop;

namespace {

// A field's text as the user sees it. A masked edit's text() leaves out the blanks of its mask,
// and a cleared date field must read "    -  -  ".
QString fieldText(const QWidget* control)
{
    if (const auto* combo = qobject_cast<const QComboBox*>(control)) {
        return combo->currentText();
    }
    const auto* edit = qobject_cast<const QLineEdit*>(control);
    return edit->inputMask().isEmpty() ? edit->text() : edit->displayText();
}

void setFieldText(QWidget* control, const QString& text)
{
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        combo->setCurrentIndex(combo->findText(text));
        combo->setEditText(text);
        return;
    }
    qobject_cast<QLineEdit*>(control)->setText(text);
}

} // namespace

TRANSFER_EXTRA::TRANSFER_EXTRA(QWidget* owner, std::string workFolder, const config::Settings& settings,
    const platform::Clock& clock, platform::Messages& messages)
    : QDialog(owner)
    , m_workFolder(std::move(workFolder))
    , m_settings(settings)
    , m_clock(clock)
    , m_messages(messages)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    const ui::DialogLayout layout = s_form.build(this, m_controls);
    m_address = ui::builtControls<QWidget>(this, layout.rowsInside(QStringLiteral("GROUPBOX2")));

    connect(m_controls.PBT_OPSLAAN, &QPushButton::clicked, this, &TRANSFER_EXTRA::PBT_OPSLAAN);
    connect(m_controls.PBT_WIS, &QPushButton::clicked, this, &TRANSFER_EXTRA::PBT_WIS);
    connect(m_controls.PBT_ANNULEREN, &QPushButton::clicked, this, &TRANSFER_EXTRA::PBT_ANNULEREN);
    connect(m_controls.CBX_KAL, &QCheckBox::clicked, this, [this]() { BUTTONCLICK(m_controls.CBX_KAL); });
    connect(
        m_controls.MONTHCALENDAR1, &QCalendarWidget::selectionChanged, this, &TRANSFER_EXTRA::MONTHCALSELECTIONCHANGED);
    // A click on the date that is already selected changes no selection, yet it is a choice.
    connect(m_controls.MONTHCALENDAR1, &QCalendarWidget::clicked, this, &TRANSFER_EXTRA::MONTHCALSELECTIONCHANGED);
    m_controls.SLE_CONTRACT->installEventFilter(this);
    m_controls.SLE_DATUM->installEventFilter(this);

    POSTINIT();
}

void TRANSFER_EXTRA::POSTINIT()
{
    setForm(orderinfo::openForm(m_workFolder, m_settings.Filiaal, m_clock.today(), m_messages));
    // Whatever contract number was stored, the address can be entered until it is confirmed.
    for (QWidget* control : m_address) {
        if (control != m_controls.CMB_LAND) {
            control->setEnabled(true);
        }
    }
}

void TRANSFER_EXTRA::PBT_OPSLAAN()
{
    if (orderinfo::saveForm(form(), fieldNames(), m_workFolder, m_clock.today(), m_messages)) {
        accept();
    }
}

void TRANSFER_EXTRA::PBT_WIS()
{
    orderinfo::deleteForm(m_workFolder, m_messages);
    setForm(Orderkop {});
    // The contract number is gone with the rest, so the address is open again.
    setAddressEnabled(true);
}

void TRANSFER_EXTRA::PBT_ANNULEREN()
{
    reject();
}

void TRANSFER_EXTRA::BUTTONCLICK(QAbstractButton* button)
{
    if (button != m_controls.CBX_KAL) {
        return;
    }
    // The calendar opens on the field's date; that choice is the field's own, so it is not
    // handed back to it.
    if (const auto date = platform::parseDate(fieldText(m_controls.SLE_DATUM).toStdString())) {
        const QSignalBlocker quiet(m_controls.MONTHCALENDAR1);
        m_controls.MONTHCALENDAR1->setSelectedDate(QDate(date->year, date->month, date->day));
    }
    m_controls.MONTHCALENDAR1->setVisible(m_controls.CBX_KAL->isChecked());
}

void TRANSFER_EXTRA::mouseDoubleClickEvent(QMouseEvent* event)
{
    QDialog::mouseDoubleClickEvent(event);
    m_controls.MONTHCALENDAR1->hide();
    m_controls.CBX_KAL->setChecked(false);
}

void TRANSFER_EXTRA::MONTHCALSELECTIONCHANGED()
{
    const QDate date = m_controls.MONTHCALENDAR1->selectedDate();
    m_controls.SLE_DATUM->setText(
        QString::fromStdString(platform::formatDate({ date.year(), date.month(), date.day() })));
}

bool TRANSFER_EXTRA::eventFilter(QObject* watched, QEvent* event)
{
    // The date field always holds a full mask, so typing goes over what stands there: begin at
    // its start when the focus comes other than by a click, which places the cursor itself.
    if (watched == m_controls.SLE_DATUM && event->type() == QEvent::FocusIn
        && static_cast<QFocusEvent*>(event)->reason() != Qt::MouseFocusReason) {
        m_controls.SLE_DATUM->setCursorPosition(0);
    }
    if (watched == m_controls.SLE_CONTRACT) {
        if (event->type() == QEvent::FocusIn) {
            m_contractOnEntry = m_controls.SLE_CONTRACT->text();
        } else if (event->type() == QEvent::FocusOut) {
            // Another window taking the focus, or a popup, does not leave the field.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason
                && m_controls.SLE_CONTRACT->text() != m_contractOnEntry) {
                m_contractOnEntry = m_controls.SLE_CONTRACT->text();
                EDITFOCUSCHANGE();
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TRANSFER_EXTRA::EDITFOCUSCHANGE()
{
    if (m_controls.SLE_CONTRACT->text().isEmpty()) {
        setAddressEnabled(true);
        return;
    }
    const QList<QWidget*>& address = m_address;
    const bool hasAddress
        = std::any_of(address.begin(), address.end(), [](QWidget* control) { return !fieldText(control).isEmpty(); });
    if (!hasAddress) {
        setAddressEnabled(false);
    } else if (m_messages.question("Bij een contract wordt het afleveradres gewist ?", "Afleveradres",
                   platform::MessageIcon::Question)) {
        for (QWidget* control : address) {
            setFieldText(control, QString());
        }
        setAddressEnabled(false);
    } else {
        m_controls.SLE_CONTRACT->clear();
        m_contractOnEntry.clear();
    }
}

Orderkop TRANSFER_EXTRA::form() const
{
    Orderkop form;
    const auto texts = orderinfo::orderkopFields(form);
    const auto controls = fields();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        *texts[i] = fieldText(controls[i]).toStdString();
    }
    return form;
}

void TRANSFER_EXTRA::setForm(const Orderkop& form)
{
    const auto texts = orderinfo::orderkopFields(form);
    const auto controls = fields();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        setFieldText(controls[i], QString::fromStdString(*texts[i]));
    }
}

orderinfo::FieldNames TRANSFER_EXTRA::fieldNames() const
{
    orderinfo::FieldNames names;
    const auto controls = fields();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        names[i] = controls[i]->accessibleName().toStdString();
    }
    return names;
}

std::array<QWidget*, orderinfo::kOrderkopLineCount> TRANSFER_EXTRA::fields() const
{
    const Controls& c = m_controls;
    return { c.SLE_CONTRACT, c.SLE_ORDERREF, c.SLE_REF1, c.SLE_REF2, c.SLE_TELNR, c.SLE_DATUM, c.SLE_NAAM1, c.SLE_NAAM2,
        c.SLE_STRAAT, c.SLE_POSTCODE, c.SLE_WOONPLAATS, c.CMB_LAND };
}

void TRANSFER_EXTRA::setAddressEnabled(bool enabled)
{
    for (QWidget* control : m_address) {
        control->setEnabled(enabled);
    }
}
