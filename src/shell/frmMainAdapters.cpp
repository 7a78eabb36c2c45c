// The main window's options for today's serial adapters: rates above 115200,
// the rate the driver really applied, DTR, a break, reconnecting by itself
// and a port list that follows what is plugged in. The serial layer decides;
// this file shows the results.
#include "frmMain.h"

#include "BackColor.h"
#include "LineRates.h"
#include "SerialPortNames.h"
#include "SettingsBox.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>

namespace {
constexpr int BreakMs = 250;
} // namespace

void frmMain::connectAdapters()
{
    setPortChoices(availablePortChoices);

    // The rates of USB adapters go above the documented list while the item is checked.
    QStringList documentedRates;
    for (int i = 0; i < ui.cboBaud->count(); ++i)
        documentedRates.append(ui.cboBaud->itemText(i));
    connect(ui.mnuHighSpeedRates, &QAction::toggled, this, [this, documentedRates](bool on) {
        qobject_cast<SettingsBox *>(ui.cboBaud)
            ->setItems(on ? LineRates::highSpeedChoices() + documentedRates : documentedRates);
    });

    connect(ui.mnuDTRActive, &QAction::toggled, this, &frmMain::mnuDTRActive_Click);
    connect(ui.mnuSendBreak, &QAction::triggered, this, &frmMain::mnuSendBreak_Click);

    m_reconnector = new PortReconnector(
        *MSComm1, [this] { return reopenLostPort(); }, this);
    connect(ui.mnuReconnectAutomatically, &QAction::toggled, this, [this](bool on) {
        if (!on)
            m_reconnector->stop();
    });
}

void frmMain::setPortChoices(std::function<QStringList()> source)
{
    qobject_cast<SettingsBox *>(ui.cboPortNumber)->setListSource(std::move(source));
}

PortSettingsTexts frmMain::boxTexts() const
{
    return {ui.cboPortNumber->currentText(), ui.cboBaud->currentText(),
            ui.cboParity->currentText(),     ui.cboDataBits->currentText(),
            ui.cboStopBits->currentText(),   ui.cboHandShaking->currentText()};
}

// Opens with the boxes and the card; RTS follows its button and DTR its check
// mark, across every reopening.
PortOpening frmMain::openPort()
{
    const auto reapplyLines = [this] {
        RTS(BackColor::of(ui.cmdRTSstate) == ColorValue::Green ? 1 : 0);
        // The open itself raises DTR.
        if (!ui.mnuDTRActive->isChecked())
            MSComm1->setDTR(false);
    };
    const PortOpening opening = ::EnableCommPort(*MSComm1, boxTexts(), cardDivisor(), reapplyLines,
                                                 ui.mnuHighSpeedRates->isChecked());
    if (!opening.settingsString.isEmpty())
        SettingsString = opening.settingsString;
    if (opening.state == PortState::Active)
        m_reconnector->stop();
    return opening;
}

// Said once while the device keeps to the same other rate; the boxes keep
// what the user chose.
void frmMain::showRateWarning(const PortOpening &opening)
{
    if (opening.state != PortState::Active)
        return;
    if (!opening.rateWarning.isEmpty() && opening.rateWarning != m_shownRateWarning)
        showMessage(opening.rateWarning);
    m_shownRateWarning = opening.rateWarning;
}

// As the port button would, but without a message while the device is not
// ready yet.
bool frmMain::reopenLostPort()
{
    const PortOpening opening = openPort();
    if (opening.state != PortState::Active)
        return false;
    showPortState(PortState::Active);
    m_receivePath.lineEvent(ReceiveQueue::Marker::Reconnected);
    showRateWarning(opening);
    return true;
}

void frmMain::mnuDTRActive_Click()
{
    if (MSComm1->PortOpen() && !MSComm1->setDTR(ui.mnuDTRActive->isChecked()))
        showMessage(QStringLiteral("The port %1 has no DTR line.").arg(MSComm1->deviceName()));
}

void frmMain::mnuSendBreak_Click()
{
    if (!MSComm1->PortOpen()) {
        showMessage(QStringLiteral("The port is not open: no break was sent."));
        return;
    }
    if (!MSComm1->sendBreak(BreakMs)) {
        showMessage(QStringLiteral("The port %1 cannot send a break.").arg(MSComm1->deviceName()));
        return;
    }
    PutInDisplay(ReceiveQueue::markerText(ReceiveQueue::Marker::Break), m_colors.xmitFunc);
}
