#pragma once

#include <QDialog>
#include <QLabel>

// The about window: the supplier's logo, the product name and the version. It has no buttons;
// its close box ends it.
class INFO : public QDialog
{
    Q_OBJECT

public:
    explicit INFO(QWidget* owner);

    QLabel* FIXEDTEXT2 = nullptr;
    QLabel* FIXEDTEXT3 = nullptr;
    QLabel* FIXEDTEXT4 = nullptr;
};
