#include "app/TRANSFER.h"

#include "app/HelpWindow.h"
#include "commands/IcmMailCommand.h"
#include "commands/OrderPreview.h"
#include "commands/SendOrderCommand.h"
#include "commands/SourceFiles.h"
#include "commands/WorkFolderLock.h"
#include "config/ConfigReader.h"
#include "dialogs/INFO.h"
#include "dialogs/OrderPreviewDialog.h"
#include "dialogs/SentOrdersDialog.h"
#include "dialogs/TRANSFER_EXTRA.h"
#include "dialogs/TRANSFER_TABS.h"
#include "lengths/UpdateCheck.h"
#include "orderinfo/Orderkop.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "ui/BusyPointer.h"
#include "ui/DialogBuilder.h"
#include "ui/Images.h"
#include "ui/MenuLayout.h"
#include "ui/ModalDialog.h"
#include "ui/QtMessages.h"

#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenuBar>
#include <QShortcut>
#include <QStyle>
#include <QTimer>

#include <filesystem>
#include <set>

namespace {

struct Column
{
    const char* caption;
    int characters;
};

// clang-format off
const Column kColumns[] = {
    {"Bestand", 18},
    {"Tijd",     7},
    {"Datum",   10},
};
// clang-format on

// Well within the second in which a file that came or went shows in the list.
constexpr int kRelistDelayMs = 200;

} // namespace

TRANSFER::TRANSFER(
    platform::Messages& messages, std::string programFolder, const platform::Clock& clock, QWidget* parent)
    : QMainWindow(parent)
    , m_messages(messages)
    , m_programFolder(std::move(programFolder))
    , m_clock(clock)
    , m_deployment(platform::readDeployment(platform::joinPath(m_programFolder, "deployment.ini")))
    , m_helpFile(HelpWindow::helpFile(m_programFolder))
{
    // Boxes shown during start-up and by the commands belong to this window.
    if (auto* boxes = dynamic_cast<ui::QtMessages*>(&m_messages)) {
        boxes->setOwner(this);
    }
    buildWindow();
    openingSequence();
}

TRANSFER::~TRANSFER() = default;

void TRANSFER::buildWindow()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("TRANSFER_CLIENT"));
    const ui::DialogLayout layout = s_form.build(client, m_controls);
    setCentralWidget(client);
    setObjectName(layout.name());
    setWindowTitle(layout.caption());
    setAccessibleName(layout.caption());
    setWindowIcon(ui::A_ICOON());
    setFont(ui::dialogFont(layout));

    const QMap<QString, QAction*> commands = ui::MenuLayout::load(QStringLiteral("TRANSFER_MENU")).build(menuBar());
    connect(commands.value(QStringLiteral("TRANSFER_TABS")), &QAction::triggered, this, &TRANSFER::showSettings);
    connect(commands.value(QStringLiteral("VERZONDEN")), &QAction::triggered, this, &TRANSFER::showSentOrders);
    connect(commands.value(QStringLiteral("ORDERPREVIEW")), &QAction::triggered, this, &TRANSFER::previewOrder);
    connect(commands.value(QStringLiteral("INFO")), &QAction::triggered, this, &TRANSFER::showInfo);
    connect(commands.value(QStringLiteral("HELPCONTENTS")), &QAction::triggered, this, &TRANSFER::HELPCONTENTS);

    connect(m_controls.PBT_SENDORDER, &QPushButton::clicked, this, &TRANSFER::PBT_SENDORDER);
    connect(m_controls.PBT_MAIL, &QPushButton::clicked, this, &TRANSFER::PBT_MAIL);
    connect(m_controls.PBT_EXTRA, &QPushButton::clicked, this, &TRANSFER::PBT_EXTRA);
    // The window's help context: F1 opens the help at its topic.
    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, &TRANSFER::HELPCONTENTS);

    // A dialog-like window: its size is the layout's, with the menu bar on top.
    adjustSize();
    setFixedSize(sizeHint());
}

void TRANSFER::openingSequence()
{
    m_workFolder = platform::workFolder(m_programFolder);
    readSettings();
    ui::setCaption(m_controls.TXT_SCHEMA, QString::fromStdString(m_settings.Schema));
    LISTVIEWCOLUMNS_FILL();
    {
        ui::BusyPointer busy;
        if (!m_settings.Schema.empty()) {
            LISTVIEW_FILL();
        }
    }
    followInputFolder();
    const bool mails = m_settings.ICM == "ML" && m_settings.Schema == "ICM";
    m_controls.PBT_SENDORDER->setVisible(!mails);
    m_controls.PBT_MAIL->setVisible(mails);
    // What a stopped run left behind is cleared only while no other instance runs a command on
    // this work folder: there it may be that command's work in progress.
    if (platform::ExclusiveLock lock; lock.lock(commands::WorkFolderLock::pathFor(m_workFolder))) {
        deleteLeftoverDocument();
        orderinfo::restoreSetAsideOrderkop(m_workFolder);
        platform::removeLeftoverTemporaries(m_workFolder);
    }
    showOrderInfoState();
    if (m_settings.isBelgian()) {
        runLengthsUpdateCheck();
    }
    showShopChoice();
    m_conversion = std::make_unique<convert::Conversion>(m_settings, m_workFolder, m_messages, m_clock);
}

// Fills the record from config.xml in the work folder. Whatever is wrong with the file has been
// told by the reader; the window then opens with the settings it could take, empty at worst.
void TRANSFER::readSettings()
{
    config::readConfig(m_workFolder, m_settings, m_messages);
}

void TRANSFER::deleteLeftoverDocument()
{
    const std::string path = platform::joinPath(m_workFolder, "dtbs.xml");
    std::error_code error;
    // From UTF-8 explicitly: a plain string is read in the ANSI code page on Windows, which
    // would miss the file in a work folder with an accented name.
    const auto status = std::filesystem::symlink_status(std::u8string(path.begin(), path.end()), error);
    if (error || !std::filesystem::exists(status)) {
        return;
    }
    // A folder of that name is never removed: it is not ours. It is reported all the same,
    // since no order can be written while it stands there.
    const bool removed = !std::filesystem::is_directory(status) && platform::removeFile(path);
    if (!removed) {
        m_messages.error("Bestand " + path + " niet gewist.");
    }
}

// At most once in 30 days the local pipe-length list is compared with the published one; the
// check tells the user itself what it found.
void TRANSFER::runLengthsUpdateCheck()
{
    ui::BusyPointer busy;
    lengths::UpdateCheck(m_programFolder, m_deployment.lengthsCheck, m_clock, m_messages, m_deployment.tlsCaFile).run();
}

void TRANSFER::showShopChoice()
{
    const bool choice = m_settings.Webpagina == "YES";
    m_controls.RBT_BE->setVisible(choice);
    m_controls.RBT_NL->setVisible(choice);
    m_controls.RADIOBUTTONGROUP1->setVisible(choice);
    m_controls.ICO_BENL->setVisible(choice);
    if (choice) {
        (m_settings.isBelgian() ? m_controls.RBT_BE : m_controls.RBT_NL)->setChecked(true);
    }
}

void TRANSFER::showOrderInfoState()
{
    const bool waiting = platform::fileSize(platform::joinPath(m_workFolder, "orderkop.txt")) > 0;
    m_controls.ICO_ORD_OFF->setVisible(!waiting);
    m_controls.ICO_ORD_ON->setVisible(waiting);
}

void TRANSFER::LISTVIEWCOLUMNS_FILL()
{
    QTreeWidget* list = m_controls.LISTVIEW_TRANSFER;
    QStringList captions;
    for (const Column& column : kColumns) {
        captions << QString::fromLatin1(column.caption);
    }
    list->setColumnCount(static_cast<int>(captions.size()));
    list->setHeaderLabels(captions);
    list->header()->setSectionsMovable(false);
    list->header()->setStretchLastSection(false);
    // Widths count characters of the dialog's average letter, plus the cell's own margins and, in
    // the first column, the check box, so "HH:MM:SS" and "YYYY-MM-DD" just fit.
    const int character = ui::baseUnits(list->font()).x;
    const int margin = 2 * list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 6;
    const int checkBox = list->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, list) + 4;
    for (int i = 0; i < list->columnCount(); ++i) {
        list->setColumnWidth(i, kColumns[i].characters * character + margin + (i == 0 ? checkBox : 0));
    }
}

void TRANSFER::LISTVIEW_FILL()
{
    QTreeWidget* list = m_controls.LISTVIEW_TRANSFER;
    list->clear();
    const std::vector<commands::SourceFile> files = commands::listSourceFiles(m_settings.MapIn, m_settings.Extentie);
    for (size_t i = 0; i < files.size(); ++i) {
        list->addTopLevelItem(listItem(files[i], i == 0 ? Qt::Checked : Qt::Unchecked));
    }
    update();
}

QTreeWidgetItem* TRANSFER::listItem(const commands::SourceFile& file, Qt::CheckState tick)
{
    auto* item = new QTreeWidgetItem;
    // The core's names are UTF-8 on every system (on Windows they come from the wide-character
    // calls), so they are shown as such, never through the ANSI code page. The path's bytes
    // stay with the item for the commands: a name that is no valid UTF-8 would not survive
    // the way back.
    item->setText(0, QString::fromStdString(file.name));
    item->setText(1, QString::fromStdString(file.time));
    item->setText(2, QString::fromStdString(file.date));
    item->setData(0, Qt::UserRole, QByteArray::fromStdString(file.path));
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, tick);
    return item;
}

void TRANSFER::followInputFolder()
{
    if (m_settings.Schema.empty() || m_settings.MapIn.empty()) {
        return;
    }
    m_folderWatcher = new QFileSystemWatcher(this);
    // An export writes a file in several steps, a copy of many files comes as many events: one
    // look at the folder a moment after the first event serves them all.
    m_relistTimer = new QTimer(this);
    m_relistTimer->setSingleShot(true);
    m_relistTimer->setInterval(kRelistDelayMs);
    connect(m_folderWatcher, &QFileSystemWatcher::directoryChanged, m_relistTimer, [this]() {
        if (!m_relistTimer->isActive()) {
            m_relistTimer->start();
        }
    });
    connect(m_relistTimer, &QTimer::timeout, this, &TRANSFER::relistFiles);
    watchInputFolder();
}

void TRANSFER::watchInputFolder()
{
    // A folder removed and made anew is a new folder to the system: watched again once it is back.
    if (m_folderWatcher->directories().isEmpty()) {
        m_folderWatcher->addPath(QString::fromStdString(commands::sourceFolder(m_settings.MapIn, m_settings.Extentie)));
    }
}

// The files that stay keep their items, and with them the user's ticks; both lists are in the
// same name order, so one walk through both finds what came and what went.
void TRANSFER::relistFiles()
{
    watchInputFolder();
    QTreeWidget* list = m_controls.LISTVIEW_TRANSFER;
    const std::vector<commands::SourceFile> files = commands::listSourceFiles(m_settings.MapIn, m_settings.Extentie);
    std::set<std::string> present;
    for (const commands::SourceFile& file : files) {
        present.insert(file.path);
    }
    int row = 0;
    for (const commands::SourceFile& file : files) {
        while (row < list->topLevelItemCount() && !present.contains(pathOf(list->topLevelItem(row)))) {
            delete list->takeTopLevelItem(row);
        }
        QTreeWidgetItem* item = list->topLevelItem(row);
        if (item != nullptr && pathOf(item) == file.path) {
            item->setText(1, QString::fromStdString(file.time));
            item->setText(2, QString::fromStdString(file.date));
        } else {
            list->insertTopLevelItem(row, listItem(file, Qt::Unchecked));
        }
        ++row;
    }
    while (list->topLevelItemCount() > row) {
        delete list->takeTopLevelItem(row);
    }
}

std::string TRANSFER::pathOf(const QTreeWidgetItem* item)
{
    return item->data(0, Qt::UserRole).toByteArray().toStdString();
}

std::vector<std::string> TRANSFER::tickedFiles() const
{
    std::vector<std::string> paths;
    const QTreeWidget* list = m_controls.LISTVIEW_TRANSFER;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        if (item->checkState(0) == Qt::Checked) {
            paths.push_back(pathOf(item));
        }
    }
    return paths;
}

void TRANSFER::clearTicks()
{
    QTreeWidget* list = m_controls.LISTVIEW_TRANSFER;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        list->topLevelItem(i)->setCheckState(0, Qt::Unchecked);
    }
}

void TRANSFER::setSendCaption(const std::string& caption)
{
    ui::setCaption(m_controls.PBT_SENDORDER, QString::fromStdString(caption));
    // The window does not return to its event loop until the command ends; show the caption now.
    m_controls.PBT_SENDORDER->repaint();
}

bool TRANSFER::isBelgianShopChosen() const
{
    return m_controls.RBT_BE->isChecked();
}

void TRANSFER::beginBusy()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void TRANSFER::endBusy()
{
    QGuiApplication::restoreOverrideCursor();
}

commands::CommandContext TRANSFER::commandContext()
{
    return { m_settings, m_deployment, m_workFolder, m_programFolder, m_messages, m_clock };
}

void TRANSFER::sendOrder()
{
    commands::SendOrderCommand(commandContext(), *this, *m_conversion).run();
}

void TRANSFER::previewOrder()
{
    std::optional<commands::OrderPreview> preview = commands::PreviewOrderCommand(commandContext(), *this).run();
    if (preview) {
        ui::runModal<OrderPreviewDialog>(
            this, std::make_shared<const convert::ConvertedOrder>(std::move(preview->converted)), preview->webshop);
    }
}

void TRANSFER::PBT_MAIL()
{
    commands::IcmMailCommand(commandContext(), *this).run();
}

void TRANSFER::PBT_EXTRA()
{
    ui::runModal<TRANSFER_EXTRA>(this, m_workFolder, m_settings, m_clock, m_messages);
    // Whatever the dialog stored or cleared, the icon follows the file.
    showOrderInfoState();
}

void TRANSFER::showSettings()
{
    ui::runModal<TRANSFER_TABS>(this,
        TRANSFER_TABS::Context { m_settings, m_workFolder, m_programFolder, m_deployment.lengthsUpdate, m_clock,
            m_messages, m_deployment.tlsCaFile });
}

void TRANSFER::showSentOrders()
{
    ui::runModal<SentOrdersDialog>(this, m_workFolder, m_messages);
}

void TRANSFER::showInfo()
{
    ui::runModal<::INFO>(this);
}

void TRANSFER::HELPCONTENTS()
{
    if (m_helpWindow == nullptr) {
        m_helpWindow = new HelpWindow(this);
    }
    if (!m_helpWindow->showTopic(m_helpFile, QStringLiteral("HelpContents"))) {
        m_messages.error("Helpbestand " + m_helpFile + " niet gevonden.");
    }
}
