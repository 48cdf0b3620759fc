#pragma once

#include "config/Settings.h"
#include "orderinfo/OrderkopForm.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "ui/ControlSet.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include <array>
#include <string>

// The extra order information of the next order: contract number, references, telephone,
// delivery date and delivery address, kept in orderkop.txt in the work folder until the next
// conversion takes it. Opens on the stored data; closes once a save was not refused.
class TRANSFER_EXTRA : public QDialog
{
    Q_OBJECT

public:
    TRANSFER_EXTRA(QWidget* owner, std::string workFolder, const config::Settings& settings,
        const platform::Clock& clock, platform::Messages& messages);

    void PBT_OPSLAAN();
    void PBT_WIS();
    void PBT_ANNULEREN();

protected:
    // MOUSEBUTTONDOUBLECLICK: a double click on the dialog puts the calendar away.
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void POSTINIT();
    void BUTTONCLICK(QAbstractButton* button);
    void MONTHCALSELECTIONCHANGED();
    // The contract rule, once the focus left SLE_CONTRACT with a changed value.
    void EDITFOCUSCHANGE();

    orderinfo::Orderkop form() const;
    void setForm(const orderinfo::Orderkop& form);
    orderinfo::FieldNames fieldNames() const;
    // The twelve fields in the order of the file's lines.
    std::array<QWidget*, orderinfo::kOrderkopLineCount> fields() const;
    void setAddressEnabled(bool enabled);

    struct Controls : ui::ControlSet
    {
        UI_CONTROL(QLineEdit, SLE_CONTRACT);
        UI_CONTROL(QLineEdit, SLE_ORDERREF);
        UI_CONTROL(QLineEdit, SLE_REF1);
        UI_CONTROL(QLineEdit, SLE_REF2);
        UI_CONTROL(QLineEdit, SLE_TELNR);
        UI_CONTROL(QLineEdit, SLE_DATUM);
        UI_CONTROL(QCheckBox, CBX_KAL);
        UI_CONTROL(QLineEdit, SLE_NAAM1);
        UI_CONTROL(QLineEdit, SLE_NAAM2);
        UI_CONTROL(QLineEdit, SLE_STRAAT);
        UI_CONTROL(QLineEdit, SLE_POSTCODE);
        UI_CONTROL(QLineEdit, SLE_WOONPLAATS);
        UI_CONTROL(QComboBox, CMB_LAND);
        UI_CONTROL(QPushButton, PBT_ANNULEREN);
        UI_CONTROL(QPushButton, PBT_WIS);
        UI_CONTROL(QPushButton, PBT_OPSLAAN);
        UI_CONTROL(QCalendarWidget, MONTHCALENDAR1);
    };
    static inline const ui::Form<Controls> s_form { "TRANSFER_EXTRA" };
    Controls m_controls;
    QList<QWidget*> m_address; // the controls of the address box, SLE_NAAM1 to CMB_LAND

    const std::string m_workFolder;
    const config::Settings& m_settings;
    const platform::Clock& m_clock;
    platform::Messages& m_messages;
    QString m_contractOnEntry;
};
