#include "dialogs/TRANSFER_TABS_MC1000.h"

TRANSFER_TABS_MC1000::TRANSFER_TABS_MC1000(QWidget* parent)
    : SettingsPage(s_form.layoutName(), parent)
{
    bind(m_controls);
}
