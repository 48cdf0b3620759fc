#include "ui/QtMessages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
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
    // A box that pops up during a long command must be answerable even though the command set
    // the busy pointer.
    const bool busy = QGuiApplication::overrideCursor() != nullptr;
    if (busy) {
        QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    const int answer = box.exec();
    if (busy) {
        QGuiApplication::restoreOverrideCursor();
    }
    return answer;
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
    return m_owner ? m_owner.data() : QApplication::activeWindow();
}

QtMessages::OwnerScope::OwnerScope(QtMessages& messages, QWidget* owner)
    : m_messages(messages)
    , m_previous(messages.owner())
{
    m_messages.setOwner(owner);
}

QtMessages::OwnerScope::~OwnerScope()
{
    m_messages.setOwner(m_previous);
}

} // namespace ui
