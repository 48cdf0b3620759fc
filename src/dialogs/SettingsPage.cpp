#include "dialogs/SettingsPage.h"

#include "config/ConfigFields.h"
#include "ui/DialogBuilder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace {

bool isPlain(const config::ConfigField& field)
{
    return field.shown != config::FieldShown::Special;
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

QWidget* SettingsPage::fieldControl(std::string_view name) const
{
    auto* control = findChild<QWidget*>(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    if (control == nullptr) {
        // The field table and the page's layout are both part of the build; they must agree.
        qFatal("%s has no control %.*s", qPrintable(layoutName()), static_cast<int>(name.size()), name.data());
    }
    return control;
}

void SettingsPage::fill(const config::Settings& settings)
{
    for (const config::ConfigField* field : config::configFieldsOnPage(layoutName().toStdString())) {
        if (!isPlain(*field)) {
            continue;
        }
        const QString value = QString::fromStdString(config::fieldText(settings, *field));
        QWidget* control = fieldControl(field->control);
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
    for (const config::ConfigField* field : config::configFieldsOnPage(layoutName().toStdString())) {
        if (!isPlain(*field)) {
            continue;
        }
        const QWidget* control = fieldControl(field->control);
        if (const auto* check = qobject_cast<const QCheckBox*>(control)) {
            values[*field] = config::tickedValue(check->isChecked());
        } else if (const auto* edit = qobject_cast<const QLineEdit*>(control)) {
            values[*field] = edit->text().toStdString();
        } else if (const auto* combo = qobject_cast<const QComboBox*>(control)) {
            values[*field] = combo->currentText().toStdString();
        }
    }
}
