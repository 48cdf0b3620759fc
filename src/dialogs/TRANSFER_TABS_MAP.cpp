#include "dialogs/TRANSFER_TABS_MAP.h"

#include <QDir>
#include <QFileDialog>

namespace {

// Sorted, and empty until the settings fill it.
void fillChoices(QComboBox* combo, QStringList choices)
{
    choices.sort();
    combo->addItems(choices);
    combo->setCurrentIndex(-1);
}

} // namespace

TRANSFER_TABS_MAP::TRANSFER_TABS_MAP(QWidget* parent)
    : SettingsPage(s_form.layoutName(), parent)
{
    bind(m_controls);
    fillChoices(m_controls.CMB_DIRECTERP, A_DIRECTERP);
    fillChoices(m_controls.CMB_LANG, A_LANG);
    connect(m_controls.PBT_MAPIN, &QPushButton::clicked, this, &TRANSFER_TABS_MAP::PBT_MAPIN);
}

void TRANSFER_TABS_MAP::fill(const config::Settings& settings)
{
    SettingsPage::fill(settings);
    m_controls.CMB_DIRECTERP->setCurrentText(settings.DirectERP == "1" ? QStringLiteral("Ja") : QStringLiteral("Nee"));
}

void TRANSFER_TABS_MAP::store(config::ConfigValues& values) const
{
    SettingsPage::store(values);
    // Assigned as a string, not a pointer to a literal: GCC 12 at -O2 warns of a bogus overlap there.
    values["DirectERP"] = std::string(m_controls.CMB_DIRECTERP->currentText() == QLatin1String("Ja") ? "1" : "0");
}

void TRANSFER_TABS_MAP::PBT_MAPIN()
{
    const QString folder = GETFOLDER(window(), m_controls.SLE_MAPIN->text());
    // A cancelled dialog returns no folder; the edit keeps what it held.
    if (!folder.isEmpty()) {
        m_controls.SLE_MAPIN->setText(folder);
    }
    m_controls.SLE_MAPIN->setFocus();
}

QString GETFOLDER(QWidget* owner, const QString& start)
{
    QString folder = start;
    if (folder.isEmpty()) {
#ifdef Q_OS_WIN
        folder = QStringLiteral("C:\\");
#else
        folder = QDir::homePath();
#endif
    }
    const QString chosen = QFileDialog::getExistingDirectory(owner, QStringLiteral("Selecteer een Folder"), folder);
    return QDir::toNativeSeparators(chosen);
}
