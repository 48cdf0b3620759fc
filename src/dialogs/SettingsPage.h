#pragma once

#include "config/ConfigValues.h"
#include "config/Settings.h"
#include "ui/ControlSet.h"
#include "ui/DialogLayout.h"

#include <QString>
#include <QWidget>

// One page of the settings dialog, built from its own layout table and shown in the dialog's tab
// control. Every row of the layout that names a setting (setting=<name>) travels between record,
// control and stored values without code of the page: an edit or combo box as its text, a check
// box as "YES" or "NO", a radio group as the value= of its pressed button. A page adds code only
// for a coded field (a value the control shows otherwise than it is stored) by overriding fill()
// and store() and calling the base first.
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

    // Sets every control that shows a setting from the record.
    virtual void fill(const config::Settings& settings);
    // Turns the same controls back into stored texts.
    virtual void store(config::ConfigValues& values) const;

    QString layoutName() const { return m_layout.name(); }

protected:
    // Points the members of a page's Controls struct at the controls the constructor built. The
    // struct must be the one the page's ui::Form registers, so the layout tests check it too.
    void bind(ui::ControlSet& controls) { ui::bindControls(m_layout, this, controls); }

    const ui::DialogLayout& layout() const { return m_layout; }
    // Presses the button of the radio group (its group= name) whose value= is value, else the
    // group's fallback button, else none.
    void pressValue(const QString& group, const QString& value);

private:
    const ui::DialogLayout m_layout;
};
