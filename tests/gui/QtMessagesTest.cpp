#include "ui/QtMessages.h"

#include "GuiTestSupport.h"
#include "ui/BusyPointer.h"
#include "ui/ModalDialog.h"

#include <QAbstractButton>
#include <QDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <gtest/gtest.h>

using gui_test::onNextModal;

namespace {

struct Seen
{
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QList<QMessageBox::StandardButton> buttons;
    QStringList buttonTexts;
    QWidget* owner = nullptr;
};

void recordNextBox(Seen& seen, QMessageBox::StandardButton press = QMessageBox::NoButton)
{
    onNextModal([&seen, press](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        seen.caption = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        for (QAbstractButton* button : box->buttons()) {
            seen.buttons << box->standardButton(button);
            seen.buttonTexts << button->text();
        }
        seen.owner = box->parentWidget();
        if (press != QMessageBox::NoButton) {
            box->button(press)->click();
        }
    });
}

} // namespace

TEST(QtMessages, ShowsErrorsAsCriticalBoxesCaptionedFout)
{
    ui::QtMessages messages;
    QWidget window;
    messages.setOwner(&window);
    Seen seen;
    recordNextBox(seen);
    messages.error("Bestand x niet gewist.");
    EXPECT_EQ(seen.caption, "Fout");
    EXPECT_EQ(seen.text, "Bestand x niet gewist.");
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.buttons, QList<QMessageBox::StandardButton> { QMessageBox::Ok });
    EXPECT_EQ(seen.owner, &window);
}

TEST(QtMessages, ShowsMessagesWithTheirCaptionAndIcon)
{
    ui::QtMessages messages;
    const std::pair<platform::MessageIcon, QMessageBox::Icon> icons[] = {
        { platform::MessageIcon::None, QMessageBox::NoIcon },
        { platform::MessageIcon::Warning, QMessageBox::Warning },
        { platform::MessageIcon::Information, QMessageBox::Information },
    };
    for (const auto& [icon, expected] : icons) {
        Seen seen;
        recordNextBox(seen);
        messages.message("Geen configuratie, zie tabblad in menu.", "Letop ", icon);
        EXPECT_EQ(seen.caption, "Letop ");
        EXPECT_EQ(seen.icon, expected);
        EXPECT_EQ(seen.buttons, QList<QMessageBox::StandardButton> { QMessageBox::Ok });
    }
}

TEST(QtMessages, AnswersQuestionsWithTheButtonPressed)
{
    ui::QtMessages messages;
    for (const auto& [press, answer] : { std::pair { QMessageBox::Yes, true }, std::pair { QMessageBox::No, false } }) {
        Seen seen;
        recordNextBox(seen, press);
        EXPECT_EQ(
            messages.question("Druk Ja voor meer details", "Fout bij order verzenden", platform::MessageIcon::Question),
            answer);
        EXPECT_EQ(seen.buttons.size(), 2);
        EXPECT_TRUE(seen.buttonTexts.contains("Ja") && seen.buttonTexts.contains("Nee"))
            << seen.buttonTexts.join(' ').toStdString();
    }
}

TEST(QtMessages, LetsAModalDialogOwnItsBoxesWhileItIsOpen)
{
    ui::QtMessages messages;
    QWidget window;
    messages.setOwner(&window);
    QDialog dialog(&window);
    Seen seen;
    Qt::CursorShape pointer = Qt::WaitCursor;
    ui::BusyPointer busy;
    onNextModal([&](QWidget* modal) {
        EXPECT_EQ(modal, &dialog);
        pointer = QGuiApplication::overrideCursor()->shape();
        recordNextBox(seen);
        messages.error("x");
    });
    EXPECT_EQ(ui::runModal(dialog), QDialog::Rejected);
    EXPECT_EQ(seen.owner, &dialog);
    // The dialog must be usable although the caller is busy.
    EXPECT_EQ(pointer, Qt::ArrowCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    busy.release();

    Seen after;
    recordNextBox(after);
    messages.error("y");
    EXPECT_EQ(after.owner, &window);
}
