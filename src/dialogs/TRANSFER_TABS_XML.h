#pragma once

#include "dialogs/SettingsPage.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "ui/ControlSet.h"
#include "xml/TagList.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

// The XML page of the settings dialog: the seventeen expressions with which the XML reader finds
// header, delivery address and lines in a customer's order, and a sample order whose element
// paths the user can pick them from. The current field is the one last focused; a picked path
// fills it and moves on to the next. The base class fills and stores the seventeen edits.
class TRANSFER_TABS_XML : public SettingsPage
{
    Q_OBJECT

public:
    static constexpr int kFields = 17;

    // clock gives the default delivery date the mapping check shows.
    TRANSFER_TABS_XML(const platform::Clock& clock, platform::Messages& messages, QWidget* parent = nullptr);

    // The element paths of the last sample read, in the order first found.
    const std::vector<std::string>& tags() const { return m_tags.paths(); }

    // Asks for a sample with the file-open dialog and reads it; a cancelled dialog changes nothing.
    void PBT_FILE();
    // Reads the sample named in SLE_FILE and lists its paths. A sample that cannot be read empties
    // SLE_FILE with "XMLDOM ERROR " + the parser's reason and keeps the list.
    void PBT_TAG();
    // Shows what the expressions as they stand select in the last sample read.
    void PBT_MAPPING();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Controls : ui::ControlSet
    {
        UI_CONTROL(QPushButton, PBT_MAPPING);
        UI_CONTROL(QLineEdit, SLE_FILE);
        UI_CONTROL(QPushButton, PBT_FILE);
        UI_CONTROL(QListWidget, LBX_TAGS);
        UI_CONTROL(QLabel, TXT_SPIN);
        UI_CONTROL(QSpinBox, VERTICALSPINNER1);
    };
    static inline const ui::Form<Controls> s_form { "TRANSFER_TABS_XML" };

    // Field number (1..17) to edit.
    QLineEdit* field(int number) const { return m_fields[number - 1]; }
    // The number of a field edit, 0 for any other object.
    int fieldNumber(const QObject* object) const;
    // Moves the current field without the spin handler taking it for a spin.
    void showCurrent(int number);

    void EDITFOCUSCHANGE(int number);
    void VERTICALSPIN(int position);
    void LISTBOXCLICK();
    // The delivery address is locked while a contract is mapped; see the question it asks.
    void contractChanged();
    void setAddressEnabled(bool enabled);
    void fillTagList();

    const platform::Clock& m_clock;
    Controls m_controls;
    QList<QLineEdit*> m_fields; // SLE_1 .. SLE_17, the edits of XML_1 .. XML_17
    platform::Messages& m_messages;
    xml::TagList m_tags;
    QString m_sample; // the last sample read, which the mapping check runs on
};
