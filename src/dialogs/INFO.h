#pragma once

#include "ui/ControlSet.h"

#include <QDialog>
#include <QLabel>

// The about window: the supplier's logo, the product name and the version. It has no buttons;
// its close box ends it.
class INFO : public QDialog
{
    Q_OBJECT

public:
    explicit INFO(QWidget* owner);

private:
    struct Controls : ui::ControlSet
    {
        UI_CONTROL(QLabel, FIXEDTEXT2);
        UI_CONTROL(QLabel, FIXEDTEXT3);
        UI_CONTROL(QLabel, FIXEDTEXT4);
    };
    static inline const ui::Form<Controls> s_form { "INFO" };
    Controls m_controls;
};
