#include "ui/QtMessages.h"

#include "ui/ModalDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

namespace ui {

namespace {

QMessageBox::Icon boxIcon(platform::MessageIcon icon)
{
    switch (icon) {
    case platform::MessageIcon::Information:
        return QMessageBox::Information;
    case platform::MessageIcon::Warning:
        return QMessageBox::Warning;
    case platform::MessageIcon::Critical:
        return QMessageBox::Critical;
    case platform::MessageIcon::Question:
        return QMessageBox::Question;
    case platform::MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

int showBox(QWidget* owner, QMessageBox::Icon icon, const std::string& caption, const std::string& text,
    QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, QString::fromStdString(caption), QString::fromStdString(text), buttons, owner);
    box.setObjectName(QStringLiteral("MESSAGEBOX"));
    box.setAccessibleName(QString::fromStdString(caption));
    box.setTextFormat(Qt::PlainText);
    // The interface is Dutch whatever language Qt's own texts are in: "Druk Ja ..." asks for Ja.
    if (QAbstractButton* yes = box.button(QMessageBox::Yes)) {
        yes->setText(QStringLiteral("Ja"));
        yes->setAccessibleName(yes->text());
    }
    if (QAbstractButton* no = box.button(QMessageBox::No)) {
        no->setText(QStringLiteral("Nee"));
        no->setAccessibleName(no->text());
    }
    return runModal(box);
}

} // namespace

void QtMessages::error(const std::string& text)
{
    showBox(boxOwner(), QMessageBox::Critical, "Fout", text, QMessageBox::Ok);
}

void QtMessages::message(const std::string& text, const std::string& caption, platform::MessageIcon icon)
{
    showBox(boxOwner(), boxIcon(icon), caption, text, QMessageBox::Ok);
}

bool QtMessages::question(const std::string& text, const std::string& caption, platform::MessageIcon icon)
{
    return showBox(boxOwner(), boxIcon(icon), caption, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

QWidget* QtMessages::boxOwner() const
{
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    return m_owner ? m_owner.data() : QApplication::activeWindow();
}

} // namespace ui
