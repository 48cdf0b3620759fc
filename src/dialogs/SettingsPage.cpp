#include "dialogs/SettingsPage.h"

#include "config/ConfigFields.h"
#include "ui/DialogBuilder.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

namespace {

const config::ConfigField& shownField(const ui::DialogLayout& layout, const ui::LayoutControl& row)
{
    const QString name = row.flag(QStringLiteral("setting"));
    const config::ConfigField* field = config::findConfigField(name.toStdString());
    if (field == nullptr) {
        // The layouts are part of the build; a setting config.xml does not hold is a typo there.
        qFatal("%s line %d: config.xml has no setting %s", qPrintable(layout.source()), row.line, qPrintable(name));
    }
    return *field;
}

} // namespace

SettingsPage::SettingsPage(const QString& layoutName, QWidget* parent)
    : QWidget(parent)
    , m_layout(ui::DialogLayout::load(layoutName))
{
    ui::build(m_layout, this);
    if (!m_layout.caption().isEmpty()) {
        setAccessibleName(m_layout.caption());
    }
}

void SettingsPage::pressValue(const QString& group, const QString& value)
{
    const QList<const ui::LayoutControl*> rows = m_layout.radioGroup(group);
    const ui::LayoutControl* pressed = nullptr;
    for (const ui::LayoutControl* row : rows) {
        if (row->flag(QStringLiteral("value")) == value) {
            pressed = row;
            break;
        }
        if (row->hasFlag(QStringLiteral("fallback")) && pressed == nullptr) {
            pressed = row;
        }
    }
    for (QRadioButton* button : ui::builtControls<QRadioButton>(this, rows)) {
        // An exclusive group refuses to release its last pressed button, so a value no button
        // stands for would leave the old one pressed.
        QButtonGroup* buttons = button->group();
        if (buttons != nullptr) {
            buttons->setExclusive(false);
        }
        button->setChecked(pressed != nullptr && button->objectName() == pressed->objectName());
        if (buttons != nullptr) {
            buttons->setExclusive(true);
        }
    }
}

void SettingsPage::fill(const config::Settings& settings)
{
    for (const ui::LayoutControl* row : m_layout.settingRows()) {
        const QString value = QString::fromStdString(config::fieldText(settings, shownField(m_layout, *row)));
        if (row->kind == QLatin1String("radiogroup")) {
            pressValue(row->flag(QStringLiteral("group")), value);
            continue;
        }
        QWidget* control = ui::builtControl<QWidget>(this, *row);
        if (auto* check = qobject_cast<QCheckBox*>(control)) {
            check->setChecked(config::isTickedValue(value.toStdString()));
        } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            edit->setText(value);
        } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
            combo->setCurrentText(value);
        }
    }
}

void SettingsPage::store(config::ConfigValues& values) const
{
    for (const ui::LayoutControl* row : m_layout.settingRows()) {
        std::string& value = values[shownField(m_layout, *row)];
        if (row->kind == QLatin1String("radiogroup")) {
            const QList<const ui::LayoutControl*> rows = m_layout.radioGroup(row->flag(QStringLiteral("group")));
            value.clear();
            for (const ui::LayoutControl* button : rows) {
                if (ui::builtControl<QRadioButton>(this, *button)->isChecked()) {
                    value = button->flag(QStringLiteral("value")).toStdString();
                    break;
                }
            }
            continue;
        }
        const QWidget* control = ui::builtControl<QWidget>(this, *row);
        if (const auto* check = qobject_cast<const QCheckBox*>(control)) {
            value = config::tickedValue(check->isChecked());
        } else if (const auto* edit = qobject_cast<const QLineEdit*>(control)) {
            value = edit->text().toStdString();
        } else if (const auto* combo = qobject_cast<const QComboBox*>(control)) {
            value = combo->currentText().toStdString();
        }
    }
}
