#pragma once

#include "ui/ControlSet.h"

#include <QDialog>

// The about window: the supplier's logo, the product name and the version. It has no buttons;
// its close box ends it.
class INFO : public QDialog
{
    Q_OBJECT

public:
    explicit INFO(QWidget* owner);

private:
    // Logo and texts are static: nothing for the code to reach.
    struct Controls : ui::ControlSet
    {
    };
    static inline const ui::Form<Controls> s_form { "INFO" };
    Controls m_controls;
};
