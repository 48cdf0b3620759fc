#pragma once

#include "dialogs/SettingsPage.h"
#include "lengths/UpdateProgress.h"
#include "platform/Clock.h"
#include "platform/Messages.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <string>

// The "Schema" page: the source format, the order options and the pipe-length update, whose
// steps the page shows as a pipeline of icons.
class TRANSFER_TABS_SCH : public SettingsPage, public lengths::UpdateProgress
{
    Q_OBJECT

public:
    // The update rebuilds the table in programFolder from the list on updateHost (host[:port]).
    TRANSFER_TABS_SCH(std::string programFolder, std::string updateHost, const platform::Clock& clock,
        platform::Messages& messages, QWidget* parent = nullptr);

    // A PEM bundle trusted besides the system's CAs when the update host is https.
    void setExtraCaFile(std::string path) { m_extraCaFile = std::move(path); }

    void fill(const config::Settings& settings) override;

    // Runs the pipe-length update. Returns true when any step failed.
    bool PBT_REFRESH();

    void clearPipeline() override;
    void setStatus(const std::string& text) override;
    void markStep(int step, bool intact) override;
    void showEnd(bool withSign) override;

private:
    struct Controls : ui::ControlSet
    {
        UI_CONTROL(QRadioButton, RBT_SDF);
        UI_CONTROL(QRadioButton, RBT_DEL);
        UI_CONTROL(QRadioButton, RBT_XML);
        UI_CONTROL(QRadioButton, RBT_ICM);
        UI_CONTROL(QRadioButton, RBT_MER);
        UI_CONTROL(QCheckBox, CBX_KOP);
        UI_CONTROL(QRadioButton, RBT_BEL);
        UI_CONTROL(QRadioButton, RBT_NED);
        UI_CONTROL(QRadioButton, RBT_STK);
        UI_CONTROL(QRadioButton, RBT_MTR);
        UI_CONTROL(QLabel, TXT_PROCES);
        UI_CONTROL(QPushButton, PBT_REFRESH);
        UI_CONTROL(QLabel, ICO_PRB);
        UI_CONTROL(QLabel, ICO_PRE);
        UI_CONTROL(QLabel, ICO_PRW);
    };
    static inline const ui::Form<Controls> s_form { "TRANSFER_TABS_SCH" };

    void BUTTONCLICK(QAbstractButton* button);

    Controls m_controls;
    // The four steps of the pipeline, each an intact and a broken piece in one place.
    QList<QLabel*> m_intactSteps;
    QList<QLabel*> m_brokenSteps;
    const std::string m_programFolder;
    const std::string m_updateHost;
    std::string m_extraCaFile;
    const platform::Clock& m_clock;
    platform::Messages& m_messages;
};
