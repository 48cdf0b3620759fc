#pragma once

#include "ui/ControlSet.h"

#include <QDialog>
#include <QListWidget>
#include <QPushButton>

#include <string>

// A read-only window with the report of a mapping check, one report line per row, so screen
// readers and the keyboard go through it line by line.
class MappingCheckDialog : public QDialog
{
    Q_OBJECT

public:
    MappingCheckDialog(QWidget* owner, const std::string& report);

private:
    struct Controls : ui::ControlSet
    {
        UI_CONTROL(QListWidget, LBX_RESULT);
        UI_CONTROL(QPushButton, PBT_SLUITEN);
    };
    static inline const ui::Form<Controls> s_form { "MAPPINGCHECK" };
    Controls m_controls;
};
