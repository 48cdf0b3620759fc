#include "dialogs/TRANSFER_TABS_XML.h"

#include "config/Settings.h"
#include "convert/MappingCheck.h"
#include "dialogs/MappingCheckDialog.h"
#include "orderinfo/DeliveryDate.h"
#include "platform/Clock.h"
#include "ui/BusyPointer.h"
#include "ui/DialogBuilder.h"
#include "ui/ModalDialog.h"

#include <QCollator>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QSignalBlocker>

#include <algorithm>

namespace {

constexpr int kContract = 1;
constexpr int kFirstAddress = 7;
constexpr int kLastAddress = 12;

// libxml2 is linked in, so this only shows when it cannot start; the text before the address is
// what users of the program know from older versions.
constexpr const char* kNoParser
    = "Can't open XMLDOM, installeer msxml6.msi zie in de map of op https://gitlab.gnome.org/GNOME/libxml2";

bool isEnter(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// The core takes paths as UTF-8 on every system; the ANSI code page of Windows would lose a
// folder such as C:\Users\José.
std::string localPath(const QString& path)
{
    return path.toStdString();
}

} // namespace

TRANSFER_TABS_XML::TRANSFER_TABS_XML(const platform::Clock& clock, platform::Messages& messages, QWidget* parent)
    : SettingsPage(s_form.layoutName(), parent)
    , m_clock(clock)
    , m_messages(messages)
{
    bind(m_controls);
    m_fields = ui::builtControls<QLineEdit>(this, layout().numbered(QStringLiteral("SLE_"), kFields));
    if (m_fields.size() != kFields) {
        qFatal("%s: the edits SLE_1 to SLE_%d are not all there", qPrintable(layout().source()), kFields);
    }
    for (QLineEdit* edit : m_fields) {
        edit->installEventFilter(this);
    }
    m_controls.SLE_FILE->installEventFilter(this);
    m_controls.LBX_TAGS->installEventFilter(this);

    // The page sorts the list itself (see fillTagList); paths longer than the list scroll sideways.
    m_controls.LBX_TAGS->setSortingEnabled(false);
    m_controls.LBX_TAGS->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_controls.LBX_TAGS->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_controls.VERTICALSPINNER1->setRange(0, kFields + 1);
    // A number typed into the spinner moves the field once it is complete, not at its first digit.
    m_controls.VERTICALSPINNER1->setKeyboardTracking(false);
    ui::setCaption(m_controls.TXT_SPIN, QStringLiteral("1"));

    connect(m_controls.PBT_FILE, &QPushButton::clicked, this, &TRANSFER_TABS_XML::PBT_FILE);
    connect(m_controls.PBT_MAPPING, &QPushButton::clicked, this, &TRANSFER_TABS_XML::PBT_MAPPING);
    connect(m_controls.LBX_TAGS, &QListWidget::itemClicked, this, &TRANSFER_TABS_XML::LISTBOXCLICK);
    connect(m_controls.VERTICALSPINNER1, &QSpinBox::valueChanged, this, &TRANSFER_TABS_XML::VERTICALSPIN);
}

int TRANSFER_TABS_XML::fieldNumber(const QObject* object) const
{
    const auto found = std::find(m_fields.begin(), m_fields.end(), object);
    return found == m_fields.end() ? 0 : static_cast<int>(found - m_fields.begin()) + 1;
}

bool TRANSFER_TABS_XML::eventFilter(QObject* watched, QEvent* event)
{
    if (const int number = fieldNumber(watched); number != 0) {
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
            EDITFOCUSCHANGE(number);
            if (number == kContract && event->type() == QEvent::FocusOut && field(kContract)->isModified()) {
                field(kContract)->setModified(false);
                // Asked once the focus has settled: a modal box inside a focus change would
                // leave the focus between two widgets.
                QMetaObject::invokeMethod(this, &TRANSFER_TABS_XML::contractChanged, Qt::QueuedConnection);
            }
        }
    } else if (watched == m_controls.SLE_FILE && isEnter(event)) {
        // Enter reads the typed sample; it must not reach the dialog's default button.
        ui::BusyPointer busy;
        PBT_TAG();
        return true;
    } else if (watched == m_controls.LBX_TAGS && isEnter(event)) {
        if (m_controls.LBX_TAGS->currentItem() != nullptr) {
            LISTBOXCLICK();
        }
        return true;
    }
    return SettingsPage::eventFilter(watched, event);
}

void TRANSFER_TABS_XML::showCurrent(int number)
{
    const QSignalBlocker quiet(m_controls.VERTICALSPINNER1);
    m_controls.VERTICALSPINNER1->setValue(number);
    ui::setCaption(m_controls.TXT_SPIN, QString::number(number));
}

void TRANSFER_TABS_XML::EDITFOCUSCHANGE(int number)
{
    showCurrent(number);
}

void TRANSFER_TABS_XML::VERTICALSPIN(int position)
{
    ui::setCaption(m_controls.TXT_SPIN, QString::number(position));
    // Past either end the spinner wraps round through the focus change, which sets it again.
    int number = 1;
    if (position >= 1 && position <= kFields) {
        number = position;
    } else if (position == 0) {
        number = kFields;
    }
    field(number)->setFocus(Qt::OtherFocusReason);
    showCurrent(number);
}

void TRANSFER_TABS_XML::LISTBOXCLICK()
{
    const QListWidgetItem* item = m_controls.LBX_TAGS->currentItem();
    if (item == nullptr) {
        return;
    }
    bool ok = false;
    const int current = m_controls.TXT_SPIN->text().toInt(&ok);
    // An address field locked by a contract stays empty; the click only moves on past it.
    if (ok && current >= 1 && current <= kFields && field(current)->isEnabled()) {
        field(current)->setText(item->text());
    }
    const int next = ok && current >= 1 && current < kFields ? current + 1 : 1;
    ui::setCaption(m_controls.TXT_SPIN, QString::number(next));
    field(next)->setFocus(Qt::OtherFocusReason);
    showCurrent(next);
}

void TRANSFER_TABS_XML::contractChanged()
{
    if (field(kContract)->text().isEmpty()) {
        setAddressEnabled(true);
        return;
    }
    bool hasAddress = false;
    for (int number = kFirstAddress; number <= kLastAddress; ++number) {
        hasAddress = hasAddress || !field(number)->text().isEmpty();
    }
    if (hasAddress
        && !m_messages.question("Huidig afleveradres wissen", "Bij een contract is het afleveradres al opgenomen",
            platform::MessageIcon::Question)) {
        field(kContract)->clear();
        return;
    }
    for (int number = kFirstAddress; number <= kLastAddress; ++number) {
        field(number)->clear();
    }
    setAddressEnabled(false);
}

void TRANSFER_TABS_XML::setAddressEnabled(bool enabled)
{
    for (int number = kFirstAddress; number <= kLastAddress; ++number) {
        field(number)->setEnabled(enabled);
    }
}

void TRANSFER_TABS_XML::PBT_FILE()
{
    const QString folder = QFileInfo(m_controls.SLE_FILE->text()).absolutePath();
    const QString chosen = QFileDialog::getOpenFileName(
        this, QString(), m_controls.SLE_FILE->text().isEmpty() ? QDir::homePath() : folder, QStringLiteral("*.* (*)"));
    if (chosen.isEmpty()) {
        return;
    }
    m_controls.SLE_FILE->setText(QDir::toNativeSeparators(chosen));
    m_controls.SLE_FILE->setFocus(Qt::OtherFocusReason);
    ui::BusyPointer busy;
    PBT_TAG();
}

void TRANSFER_TABS_XML::PBT_TAG()
{
    const QString path = m_controls.SLE_FILE->text();
    if (path.isEmpty()) {
        return;
    }
    if (!xml::XmlDocument::isParserAvailable()) {
        m_controls.SLE_FILE->clear();
        m_messages.error(kNoParser);
        return;
    }
    if (!m_tags.read(localPath(QDir::fromNativeSeparators(path)))) {
        m_controls.SLE_FILE->clear();
        m_messages.error("XMLDOM ERROR " + m_tags.errorReason());
        return;
    }
    m_sample = path;
    fillTagList();
    m_controls.PBT_MAPPING->setEnabled(true);
}

void TRANSFER_TABS_XML::fillTagList()
{
    // Alphabetically as the user reads, not by character code: "header" next to "Header".
    QStringList paths;
    paths.reserve(static_cast<qsizetype>(m_tags.paths().size()));
    for (const std::string& path : m_tags.paths()) {
        paths << QString::fromStdString(path);
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(paths.begin(), paths.end(), [&collator](const QString& a, const QString& b) {
        const int order = collator.compare(a, b);
        return order != 0 ? order < 0 : a < b;
    });
    QListWidget* list = m_controls.LBX_TAGS;
    list->setUpdatesEnabled(false);
    list->clear();
    list->addItems(paths);
    list->setUpdatesEnabled(true);
}

void TRANSFER_TABS_XML::PBT_MAPPING()
{
    config::Settings mapping;
    for (int number = 1; number <= kFields; ++number) {
        mapping.xmlPath(number) = field(number)->text().toStdString();
    }
    const std::string earliest = platform::formatDate(orderinfo::earliestDeliveryDate(m_clock.today()));
    std::optional<convert::MappingCheck> check;
    {
        ui::BusyPointer busy;
        check = convert::checkMapping(mapping, localPath(QDir::fromNativeSeparators(m_sample)), earliest, m_messages);
    }
    if (check) {
        ui::runModal<MappingCheckDialog>(this, convert::mappingCheckReport(*check));
    }
}
