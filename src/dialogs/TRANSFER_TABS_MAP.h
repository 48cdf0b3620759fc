#pragma once

#include "dialogs/SettingsPage.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

// The "Mappen" page: the customer's webshop credentials and options, and where the source order
// files are found.
class TRANSFER_TABS_MAP : public SettingsPage
{
    Q_OBJECT

public:
    explicit TRANSFER_TABS_MAP(QWidget* parent = nullptr);

    void fill(const config::Settings& settings) override;
    void store(config::ConfigValues& values) const override;

    // Lets the user pick the input folder; a chosen folder replaces the edit's text.
    void PBT_MAPIN();

private:
    struct Controls : ui::ControlSet
    {
        UI_CONTROL(QComboBox, CMB_DIRECTERP);
        UI_CONTROL(QComboBox, CMB_LANG);
        UI_CONTROL(QLineEdit, SLE_MAPIN);
        UI_CONTROL(QPushButton, PBT_MAPIN);
    };
    static inline const ui::Form<Controls> s_form { "TRANSFER_TABS_MAP" };

    const QStringList A_DIRECTERP { QStringLiteral("Ja"), QStringLiteral("Nee") };
    const QStringList A_LANG { QStringLiteral("FR"), QStringLiteral("NL") };
    Controls m_controls;
};

// Shows the platform's folder dialog over owner, titled "Selecteer een Folder", at start, or
// where a Windows user expects it when start is empty ("C:\", elsewhere the home folder).
// Returns the chosen folder in native form, or an empty text when the user cancelled.
QString GETFOLDER(QWidget* owner, const QString& start);
