#pragma once

#include "config/ConfigValues.h"
#include "config/Settings.h"
#include "ui/ControlSet.h"
#include "ui/DialogLayout.h"

#include <QString>
#include <QWidget>

// One page of the settings dialog, built from its own layout table and shown in the dialog's tab
// control. The plain fields of the page (texts, numbers, check boxes) travel between record,
// controls and stored values through the field table alone; a page adds only its special fields
// (radio groups, coded combo boxes) by overriding fill() and store().
//
// The base builds the layout; a page binds its Controls struct to it, and declares the struct's
// form as every window does, so the layout tests check the page too:
//
//     static inline const ui::Form<Controls> s_form { "TRANSFER_TABS_DEL" };
//
//     TRANSFER_TABS_DEL::TRANSFER_TABS_DEL(QWidget* parent)
//         : SettingsPage(s_form.layoutName(), parent)
//     {
//         bind(m_controls);
//     }
class SettingsPage : public QWidget
{
    Q_OBJECT

public:
    // The page as built from resources/layouts/<layoutName>.layout, inside the tab control.
    SettingsPage(const QString& layoutName, QWidget* parent = nullptr);

    // Sets the controls from the record: every Text, Number and Check field of the field
    // table that lives on this page; pages override to add their Special fields (call base).
    virtual void fill(const config::Settings& settings);
    // Turns the controls back into stored texts, the same fields; pages override likewise.
    virtual void store(config::ConfigValues& values) const;

    // The name of the page's layout, which is also the page name the field table uses.
    QString layoutName() const { return m_layout.name(); }

protected:
    // Points the members of a page's Controls struct at the controls the constructor built. The
    // struct must be the one the page's ui::Form registers, so the layout tests check it too.
    void bind(ui::ControlSet& controls) { ui::bindControls(m_layout, this, controls); }

private:
    QWidget* fieldControl(std::string_view name) const;

    const ui::DialogLayout m_layout;
};
