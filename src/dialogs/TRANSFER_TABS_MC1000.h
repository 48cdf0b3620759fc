#pragma once

#include "dialogs/SettingsPage.h"

// The "MC1000" page: whether the scanner's export is sent as soon as the program starts. Its one
// check box is a plain field, so the page needs no code of its own.
class TRANSFER_TABS_MC1000 : public SettingsPage
{
    Q_OBJECT

public:
    explicit TRANSFER_TABS_MC1000(QWidget* parent = nullptr);

private:
    struct Controls : ui::ControlSet
    {
    };
    static inline const ui::Form<Controls> s_form { "TRANSFER_TABS_MC1000" };

    Controls m_controls;
};
