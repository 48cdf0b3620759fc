#include "dialogs/TRANSFER_TABS.h"
#include "config/ConfigReader.h"
#include "dialogs/TRANSFER_TABS_MAP.h"
#include "platform/Files.h"
#include "platform/Paths.h"

#include "GuiTestSupport.h"
#include "Loopback.h"
#include "RecordingMessages.h"
#include "TempDir.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include <filesystem>
#include <memory>

using gui_test::control;
using testing_support::RecordingMessages;

namespace {

class SettingsDialog : public ::testing::Test
{
protected:
    std::unique_ptr<TRANSFER_TABS> open(const config::Settings& settings)
    {
        auto dialog = std::make_unique<TRANSFER_TABS>(nullptr,
            TRANSFER_TABS::Context { settings, m_work, m_dir.path(),
                "127.0.0.1:" + std::to_string(testing_support::closedLoopbackPort()), m_clock, m_messages, {} });
        dialog->show();
        return dialog;
    }

    // Clicks where a user would: a radio button or check box on its mark, a button in its middle.
    static void click(const QWidget& dialog, const char* name)
    {
        auto* button = control<QAbstractButton>(dialog, name);
        const bool marked = qobject_cast<QRadioButton*>(button) || qobject_cast<QCheckBox*>(button);
        QTest::mouseClick(button, Qt::LeftButton, {}, marked ? QPoint(6, button->height() / 2) : QPoint());
    }
    static bool isPressed(const QWidget& dialog, const char* name)
    {
        return control<QAbstractButton>(dialog, name)->isChecked();
    }
    static void type(const QWidget& dialog, const char* name, const QString& keys)
    {
        QTest::keyClicks(control(dialog, name), keys);
    }

    std::string configXml() const { return platform::readFile(m_work + "/config.xml").value_or("<missing>"); }

    // The stored value of one element after a save of the dialog as it stands.
    std::string savedValue(TRANSFER_TABS& dialog, const std::string& element)
    {
        dialog.PBT_OPSLAAN();
        config::Settings read;
        RecordingMessages quiet;
        config::readConfig(m_work, read, quiet);
        return config::fieldText(read, *config::findConfigField(element));
    }

    testing_support::TempDir m_dir;
    const std::string m_work = m_dir.file("VARO");
    platform::FixedClock m_clock { { 2026, 12, 8 } };
    RecordingMessages m_messages;
};

TEST_F(SettingsDialog, SavesAnEmptyRecordAsTheBlankConfiguration)
{
    const config::Settings empty;
    const auto dialog = open(empty);
    EXPECT_EQ(dialog->windowTitle(), "Instellingen");
    const auto* tabs = control<QTabWidget>(*dialog, "TABCONTROL1");
    const char* captions[] = { "Schema", "CSV - SDF", "ICM", "XML", "MC1000", "Mappen" };
    ASSERT_EQ(tabs->count(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(tabs->tabText(i), captions[i]);
        EXPECT_EQ(tabs->widget(i)->accessibleName(), captions[i]);
    }
    EXPECT_EQ(tabs->currentIndex(), 0);
    for (const char* name : { "RBT_SDF", "RBT_DEL", "RBT_XML", "RBT_ICM", "RBT_MER", "RBT_MC1000" }) {
        EXPECT_FALSE(isPressed(*dialog, name)) << name;
    }
    for (const char* name : { "RBT_NED", "RBT_MTR", "RBT_NO", "RBT_ANDER", "RBT_ICM_KONE" }) {
        EXPECT_TRUE(isPressed(*dialog, name)) << name;
    }
    for (const char* name : { "SLE_VAN_EMAIL", "SLE_VAN_NAAM", "SLE_REMOTE", "PB_TEST", "TXT_IP" }) {
        EXPECT_FALSE(control(*dialog, name)->isEnabled()) << name;
    }
    for (const char* name : { "CBX_KOP", "CBX_DEL", "CBX_SND" }) {
        EXPECT_FALSE(isPressed(*dialog, name)) << name;
    }
    EXPECT_TRUE(control(*dialog, "CBX_KOP")->isEnabled());
    EXPECT_TRUE(control(*dialog, "SLE_TEKEN")->isEnabled());
    EXPECT_EQ(control<QComboBox>(*dialog, "CMB_DIRECTERP")->currentText(), "Nee");

    click(*dialog, "PBT_OPSLAAN");
    EXPECT_EQ(configXml(), platform::readFile(TRANSVO_TEST_DATA "/dialogs/empty-record.xml").value());
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages.last().text, "Configuratie opgeslagen, programma opnieuw opstarten om deze actief te maken.");
    EXPECT_EQ(m_messages.last().caption, "Configuratie.");
    EXPECT_EQ(m_messages.last().icon, platform::MessageIcon::Warning);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(SettingsDialog, SavesAReadConfigurationUnchanged)
{
    // Two records that between them press every radio button a save reads and fill every page.
    const std::map<std::string, std::string> records[] = {
        { { "Identity", "K-100" }, { "DirectERP", "1" }, { "Secret", "p&ss <wörd>" }, { "lang", "FR" },
            { "addressID", "A7" }, { "MapIn", "/srv/orders & co" }, { "Extentie", "*.csv" }, { "Schema", "MC1000" },
            { "Koprecord", "YES" }, { "Filiaal", "NED" }, { "Webpagina", "NO" }, { "Besteleenheid", "STK" },
            { "Bestand_del", "YES" }, { "MC1000_SND", "YES" }, { "SDF_art_van", "1" }, { "SDF_art_tot", "13" },
            { "SDF_ant_van", "14" }, { "SDF_ant_tot", "65535" }, { "CSV_char", "|" }, { "CSV_art", "2" },
            { "CSV_aant", "255" }, { "ICM", "ML" }, { "ICM_email", "a@b.be" }, { "ICM_naam", "Inkoop" },
            { "ICM_remote", "smtp.b.be:2525" }, { "XML_1", "//Order[@n < 2]/Id" }, { "XML_17", "Qty" } },
        { { "DirectERP", "0" }, { "lang", "NL" }, { "Schema", "SDF" }, { "Koprecord", "NO" }, { "Filiaal", "BEL" },
            { "Webpagina", "YES" }, { "Besteleenheid", "MTR" }, { "Bestand_del", "NO" }, { "MC1000_SND", "NO" },
            { "CSV_char", "\t" }, { "ICM", "KN" }, { "SDF_art_van", "0" }, { "SDF_art_tot", "0" },
            { "SDF_ant_van", "0" }, { "SDF_ant_tot", "0" }, { "CSV_art", "0" }, { "CSV_aant", "0" } },
    };
    for (const auto& record : records) {
        SCOPED_TRACE(record.at("Schema"));
        gui_test::writeConfig(m_work, record);
        const std::string before = configXml();
        config::Settings settings;
        ASSERT_TRUE(config::readConfig(m_work, settings, m_messages));
        const auto dialog = open(settings);
        click(*dialog, "PBT_OPSLAAN");
        EXPECT_TRUE(configXml() == before) << configXml();
        // Nederland with Per stuk is shown as stored, without the order-unit message.
        EXPECT_EQ(m_messages.texts(),
            std::vector<std::string> {
                "Configuratie opgeslagen, programma opnieuw opstarten om deze actief te maken." });
        m_messages.clear();
    }
}

TEST_F(SettingsDialog, AppliesTheClickRulesOfTheSchemaAndSeparatorPages)
{
    struct Case
    {
        const char* what;
        config::Settings start;
        std::vector<const char*> steps; // control names to click, or "SLE_TEKEN=<keys>" to type
        std::map<std::string, std::string> stored;
        bool headerEnabled;
        std::vector<std::string> messages;
    };
    auto record = [](std::string schema, std::string header, std::string branch, std::string unit) {
        config::Settings settings;
        settings.Schema = schema;
        settings.Koprecord = header;
        settings.Filiaal = branch;
        settings.Besteleenheid = unit;
        settings.CSV_char = ",";
        return settings;
    };
    const std::string unitMessage = "Voor Nederland is de besteleenheid bij lengten enkel per meter.";
    const Case cases[] = {
        { "XML clears and disables the header box, SDF enables it empty", record("SDF", "YES", "BEL", "STK"),
            { "RBT_XML", "RBT_SDF" }, { { "Schema", "SDF" }, { "Koprecord", "NO" } }, true, {} },
        { "ICM and Mercis disable it too", record("CSV", "YES", "BEL", "STK"), { "RBT_ICM", "RBT_MER" },
            { { "Schema", "MER" }, { "Koprecord", "NO" } }, false, {} },
        { "MC1000 after SDF keeps the tick", record("SDF", "YES", "BEL", "STK"), { "RBT_MC1000" },
            { { "Schema", "MC1000" }, { "Koprecord", "YES" } }, true, {} },
        { "MC1000 after XML keeps it disabled", record("SDF", "YES", "BEL", "STK"), { "RBT_XML", "RBT_MC1000" },
            { { "Schema", "MC1000" }, { "Koprecord", "NO" } }, false, {} },
        { "a stored MC1000 opens with the box disabled", record("MC1000", "YES", "BEL", "STK"), {},
            { { "Schema", "MC1000" }, { "Koprecord", "YES" } }, false, {} },
        { "Nederland switches to metres silently, then Per stuk is refused", record("SDF", "NO", "BEL", "STK"),
            { "RBT_NED", "RBT_MTR", "RBT_STK" }, { { "Filiaal", "NED" }, { "Besteleenheid", "MTR" } }, true,
            { unitMessage } },
        { "Per stuk is free in Belgium", record("SDF", "NO", "NED", "MTR"), { "RBT_BEL", "RBT_STK", "RBT_NO" },
            { { "Filiaal", "BEL" }, { "Besteleenheid", "STK" }, { "Webpagina", "NO" } }, true, {} },
        { "a separator typed under Ander is dropped by Komma", record("SDF", "NO", "BEL", "STK"),
            { "RBT_ANDER", "SLE_TEKEN=|", "RBT_KOMMA", "RBT_ANDER" }, { { "CSV_char", "" } }, true, {} },
        { "Ander keeps several characters", record("SDF", "NO", "BEL", "STK"), { "RBT_ANDER", "SLE_TEKEN=ab|" },
            { { "CSV_char", "ab|" } }, true, {} },
        { "TAB stores one tab character", record("SDF", "NO", "BEL", "STK"), { "RBT_TAB" }, { { "CSV_char", "\t" } },
            true, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto dialog = open(c.start);
        for (const std::string step : c.steps) {
            if (step.starts_with("SLE_TEKEN=")) {
                type(*dialog, "SLE_TEKEN", QString::fromStdString(step.substr(10)));
            } else {
                click(*dialog, step.c_str());
            }
        }
        EXPECT_EQ(control(*dialog, "CBX_KOP")->isEnabled(), c.headerEnabled);
        EXPECT_EQ(control(*dialog, "SLE_TEKEN")->isEnabled(), isPressed(*dialog, "RBT_ANDER"));
        EXPECT_EQ(m_messages.texts(), c.messages);
        m_messages.clear();
        for (const auto& [element, value] : c.stored) {
            EXPECT_EQ(savedValue(*dialog, element), value) << element;
        }
        m_messages.clear();
    }
}

TEST_F(SettingsDialog, TakesOnlyDigitsInThePositionEdits)
{
    const config::Settings empty;
    const auto dialog = open(empty);
    for (const char* name : { "SLE_ARTIKEL_VAN", "SLE_ARTIKEL_TOT", "SLE_AANTAL_VAN", "SLE_AANTAL_TOT" }) {
        SCOPED_TRACE(name);
        auto* edit = control<QLineEdit>(*dialog, name);
        edit->clear();
        type(*dialog, name, QStringLiteral("1a-2 b34+567"));
        // Five digits at most: the setting holds a 16-bit number.
        EXPECT_EQ(edit->text(), "12345");
    }
    // The field numbers take any text and store it as typed.
    control<QLineEdit>(*dialog, "SLE_ARTIKEL_NR")->clear();
    type(*dialog, "SLE_ARTIKEL_NR", QStringLiteral("a1"));
    EXPECT_EQ(savedValue(*dialog, "SDF_art_van"), "12345");
    EXPECT_NE(configXml().find("<CSV_art>a1</CSV_art>"), std::string::npos);
}

TEST_F(SettingsDialog, ShowsJaOnlyForDirectErpOneAndStoresTheTypedText)
{
    const std::pair<const char*, const char*> shown[]
        = { { "1", "Ja" }, { "0", "Nee" }, { "", "Nee" }, { "Ja", "Nee" } };
    for (const auto& [stored, text] : shown) {
        SCOPED_TRACE(stored);
        config::Settings settings;
        settings.DirectERP = stored;
        const auto dialog = open(settings);
        EXPECT_EQ(control<QComboBox>(*dialog, "CMB_DIRECTERP")->currentText(), text);
    }
    const config::Settings empty;
    const auto dialog = open(empty);
    auto* combo = control<QComboBox>(*dialog, "CMB_DIRECTERP");
    EXPECT_EQ(combo->itemText(0), "Ja");
    EXPECT_EQ(combo->itemText(1), "Nee");
    combo->lineEdit()->clear();
    type(*dialog, "CMB_DIRECTERP", QStringLiteral("ja"));
    QTest::keyClick(combo, Qt::Key_Return);
    EXPECT_EQ(combo->currentText(), "ja");
    EXPECT_EQ(savedValue(*dialog, "DirectERP"), "0");
}

TEST_F(SettingsDialog, NeverShowsThePasswordNotEvenToScreenReaders)
{
    config::Settings settings;
    settings.Secret = "geheim123";
    const auto dialog = open(settings);
    auto* edit = control<QLineEdit>(*dialog, "SLE_SECRET");
    EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
    EXPECT_EQ(edit->displayText().indexOf(QStringLiteral("geheim")), -1);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(edit);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->text(QAccessible::Name), "Paswoord:");
    EXPECT_TRUE(accessible->state().passwordEdit);
    for (const QAccessible::Text role : { QAccessible::Value, QAccessible::Description, QAccessible::Help }) {
        EXPECT_EQ(accessible->text(role).indexOf(QStringLiteral("geheim")), -1) << role;
    }
    QAccessibleTextInterface* text = accessible->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text(0, text->characterCount()).indexOf(QStringLiteral("geheim")), -1);
    int start = 0;
    int end = 0;
    EXPECT_EQ(text->textAtOffset(2, QAccessible::LineBoundary, &start, &end).indexOf(QStringLiteral("geheim")), -1);
}

TEST_F(SettingsDialog, KeepsTheOldFileAndTheEditsWhenTheSaveFails)
{
    struct Case
    {
        const char* what;
        bool folderInTheWay;
        std::string expectedError;
    };
    const Case cases[] = {
        { "a folder stands where config.xml goes", true,
            "Fout aanmaken " + platform::joinPath(m_work, "config.xml") + " " },
        { "the write itself fails", false, "Fout aanmaken " + platform::joinPath(m_work, "config.xml") + " No space" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(m_work);
        if (c.folderInTheWay) {
            std::filesystem::create_directories(m_work + "/config.xml");
        } else {
            gui_test::writeConfig(m_work, { { "Identity", "old" } });
        }
        const std::string before = c.folderInTheWay ? "<folder>" : configXml();
        config::Settings settings;
        settings.Identity = "old";
        const auto dialog = open(settings);
        if (!c.folderInTheWay) {
            dialog->setFileWriter([](const std::string&, const std::string&, platform::Access) {
                return platform::WriteResult { false, "No space left on device" };
            });
        }
        type(*dialog, "SLE_INDENTITY", QStringLiteral("-new"));
        click(*dialog, "PBT_OPSLAAN");

        ASSERT_EQ(m_messages.size(), 1u) << ::testing::PrintToString(m_messages.texts());
        EXPECT_EQ(m_messages.last().kind, RecordingMessages::Kind::Error);
        EXPECT_TRUE(m_messages.last().text.starts_with(c.expectedError)) << m_messages.last().text;
        EXPECT_GT(m_messages.last().text.size(), c.expectedError.size());
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(control<QLineEdit>(*dialog, "SLE_INDENTITY")->text(), "old-new");
        if (c.folderInTheWay) {
            EXPECT_TRUE(std::filesystem::is_directory(m_work + "/config.xml"));
        } else {
            EXPECT_EQ(configXml(), before);
        }
        m_messages.clear();
    }
}

TEST_F(SettingsDialog, ClosedWithTheCloseBoxWritesNothingAndReopensOnTheStartValues)
{
    gui_test::writeConfig(m_work, { { "Identity", "start" }, { "Schema", "CSV" } });
    const std::string before = configXml();
    config::Settings settings;
    ASSERT_TRUE(config::readConfig(m_work, settings, m_messages));
    {
        const auto dialog = open(settings);
        type(*dialog, "SLE_INDENTITY", QStringLiteral("-changed"));
        click(*dialog, "RBT_XML");
        dialog->close();
        EXPECT_EQ(dialog->result(), QDialog::Rejected);
    }
    EXPECT_EQ(configXml(), before);
    {
        const auto dialog = open(settings);
        type(*dialog, "SLE_INDENTITY", QStringLiteral("-saved"));
        click(*dialog, "PBT_OPSLAAN");
    }
    EXPECT_NE(configXml().find("<Identity>start-saved</Identity>"), std::string::npos);
    const auto reopened = open(settings);
    EXPECT_EQ(control<QLineEdit>(*reopened, "SLE_INDENTITY")->text(), "start");
    EXPECT_TRUE(isPressed(*reopened, "RBT_DEL"));
}

TEST_F(SettingsDialog, PicksTheInputFolderAndKeepsItWhenCancelled)
{
    const std::string chosen = m_dir.file("orders");
    std::filesystem::create_directories(chosen);
    const config::Settings empty;
    const auto dialog = open(empty);
    auto* edit = control<QLineEdit>(*dialog, "SLE_MAPIN");
    EXPECT_EQ(edit->toolTip(), "Tekstbestand dat door extern pakket wordt aangemaakt ");

    QString title;
    QString startedAt;
    gui_test::onNextModal([&](QWidget* modal) {
        auto* picker = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(picker, nullptr);
        title = picker->windowTitle();
        startedAt = picker->directory().absolutePath();
    });
    click(*dialog, "PBT_MAPIN");
    EXPECT_EQ(title, "Selecteer een Folder");
    EXPECT_EQ(startedAt, QDir::homePath());
    EXPECT_EQ(edit->text(), "");

    edit->setText(QString::fromStdString(m_dir.path()));
    gui_test::onNextModal([&](QWidget* modal) {
        auto* picker = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(picker, nullptr);
        startedAt = picker->directory().absolutePath();
        picker->setDirectory(QString::fromStdString(chosen));
        static_cast<QDialog*>(picker)->accept();
    });
    click(*dialog, "PBT_MAPIN");
    EXPECT_EQ(QDir::toNativeSeparators(startedAt).toStdString(), m_dir.path());
    EXPECT_EQ(edit->text().toStdString(), chosen);
    EXPECT_EQ(dialog->focusWidget(), edit);
}

} // namespace
