#pragma once

#include "dialogs/SettingsPage.h"

#include <QLineEdit>
#include <QRadioButton>

// The "CSV - SDF" page: the separator and field numbers of delimited files and the character
// positions of fixed-width files.
class TRANSFER_TABS_DEL : public SettingsPage
{
    Q_OBJECT

public:
    explicit TRANSFER_TABS_DEL(QWidget* parent = nullptr);

    void fill(const config::Settings& settings) override;
    void store(config::ConfigValues& values) const override;

private:
    struct Controls : ui::ControlSet
    {
        UI_CONTROL(QRadioButton, RBT_ANDER);
        UI_CONTROL(QLineEdit, SLE_TEKEN);
    };
    static inline const ui::Form<Controls> s_form { "TRANSFER_TABS_DEL" };

    void BUTTONCLICK(QRadioButton* button);

    Controls m_controls;
};
