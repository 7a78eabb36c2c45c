// The main window's Tools menu: the compare test's controls and the search
// for a device's line settings. The decisions are made by CompareTest and
// CommSettingSearch; this file shows their results.
#include "frmMain.h"

#include "BackColor.h"
#include "DisplayLayout.h"
#include "DisplayView.h"
#include "NumberText.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {
const QString SetStandardCaption = QStringLiteral("Set Standard");
constexpr int BadReadBeeps = 3;
// Twips at least between the display and the compare test's row.
constexpr qreal DisplayToTestRow = 10;
} // namespace

void frmMain::connectTools()
{
    connect(ui.mnuCompareTest, &QAction::triggered, this, &frmMain::mnuCompareTest_Click);
    connect(ui.cmdSetStandard, &QPushButton::clicked, this, &frmMain::cmdSetStandard_Click);
    connect(ui.cmdExitTest, &QPushButton::clicked, this, &frmMain::cmdExitTest_Click);
    connect(ui.chkBadHold, &QCheckBox::clicked, this, &frmMain::chkBadHold_Click);
    connect(ui.tmrTestTimer, &QTimer::timeout, this, &frmMain::tmrTestTimer_Timer);

    CommSettingSearch::Window window{
        .portActive = [this] { return BackColor::of(ui.cmdPortState) == ColorValue::Green; },
        .cardDivisor = [this] { return cardDivisor(); },
        .raiseRts = [this] { RTS(1); },
        .settingTexts =
            [this] {
                return LineSettingTexts{ui.cboBaud->currentText(), ui.cboParity->currentText(),
                                        ui.cboDataBits->currentText(),
                                        ui.cboStopBits->currentText()};
            },
        .setSettingTexts =
            [this](const LineSettingTexts &texts) {
                ui.cboBaud->setEditText(texts.baud);
                ui.cboParity->setEditText(texts.parity);
                ui.cboDataBits->setEditText(texts.dataBits);
                ui.cboStopBits->setEditText(texts.stopBits);
            },
        .enableCommPort = [this] { EnableCommPort(); },
        .showMessage = [this](const QString &text) { showMessage(text); },
    };
    m_settingSearch =
        new CommSettingSearch(std::move(window), *MSComm1, m_displayModel, m_colors, this);
    connect(ui.mnuFindCommSetting, &QAction::triggered, this, &frmMain::mnuFindCommSetting_Click);
}

void frmMain::showCompareTest(bool visible)
{
    for (QWidget *control : std::initializer_list<QWidget *>{
             ui.cmdSetStandard, ui.cmdExitTest, ui.lblGoodCountCaption, ui.lblGoodCount,
             ui.lblBadCountCaption, ui.lblBadCount, ui.chkBadHold})
        control->setVisible(visible);
    // While shown, the window is wide enough for the whole row.
    const int rowRight = centralWidget()->x() + ui.chkBadHold->geometry().right() + 1;
    setMinimumWidth(visible ? std::max(m_normalMinimumWidth, rowRight) : m_normalMinimumWidth);
    // Without a window manager a larger minimum does not widen the window.
    if (width() < minimumWidth())
        resize(minimumWidth(), height());
}

// The row keeps its designed distance from the window's bottom where it is
// whole above the status bar there (the designed buttons reach into it);
// otherwise it rises until it is, and while the test is shown the display ends
// above it. Captions, counts and the check box are centred on the buttons, so
// the counts stand on the captions' baseline.
void frmMain::placeCompareTest(const DisplayLayout &layout)
{
    const int buttonHeight = ui.cmdSetStandard->height();
    const int buttonTop =
        std::min(m_twips.toPixels(layout.testButtonTop), centralWidget()->height() - buttonHeight);
    const int labelTop = buttonTop + (buttonHeight - ui.lblGoodCount->height()) / 2;
    for (QWidget *button : {ui.cmdSetStandard, ui.cmdExitTest})
        button->move(button->x(), buttonTop);
    for (QWidget *label :
         std::initializer_list<QWidget *>{ui.lblGoodCountCaption, ui.lblGoodCount,
                                          ui.lblBadCountCaption, ui.lblBadCount, ui.chkBadHold})
        label->move(label->x(), labelTop);
    const int displayBottom = buttonTop - m_twips.toPixels(DisplayToTestRow);
    if (intDisplayMargin == CompareTestDisplayMargin &&
        ui.rtbDisplay->y() + ui.rtbDisplay->height() > displayBottom)
        ui.rtbDisplay->resize(ui.rtbDisplay->width(), displayBottom - ui.rtbDisplay->y());
}

void frmMain::mnuCompareTest_Click()
{
    intDisplayMargin = CompareTestDisplayMargin;
    ResetDisplaySize();
    showCompareTest(true);
}

void frmMain::cmdSetStandard_Click()
{
    ui.tmrTestTimer->start();
    if (ui.cmdSetStandard->text() == SetStandardCaption) {
        m_compareTest.setStandard(m_displayModel.textView(0, m_displayModel.length()));
        ui.txtStandard->setText(QString::fromLatin1(m_compareTest.standard()));
    } else {
        ui.rtbDisplay->setBackgroundColor(ColorValue::toQColor(m_colors.background));
    }
    m_displayModel.clear();
    ResetFocus();
}

void frmMain::cmdExitTest_Click()
{
    intDisplayMargin = NormalDisplayMargin;
    ResetDisplaySize();
    showCompareTest(false);
    ui.tmrTestTimer->stop();
    ui.cmdSetStandard->setText(SetStandardCaption);
    ui.lblGoodCount->setText(QStringLiteral("0"));
    ui.lblBadCount->setText(QStringLiteral("0"));
    ui.rtbDisplay->setBackgroundColor(ColorValue::toQColor(m_colors.background));
    ResetFocus();
}

void frmMain::chkBadHold_Click()
{
    ResetFocus();
}

void frmMain::tmrTestTimer_Timer()
{
    const CompareTest::Verdict verdict = m_compareTest.tick(
        m_displayModel.textView(0, m_displayModel.length()), ui.chkBadHold->isChecked());
    switch (verdict) {
    case CompareTest::Verdict::None:
        return;
    case CompareTest::Verdict::Good:
        bumpCount(ui.lblGoodCount);
        break;
    case CompareTest::Verdict::Bad:
        bumpCount(ui.lblBadCount);
        break;
    case CompareTest::Verdict::BadHeld:
        bumpCount(ui.lblBadCount);
        ui.tmrTestTimer->stop();
        ui.cmdSetStandard->setText(QStringLiteral("Restart"));
        for (int beep = 0; beep < BadReadBeeps; ++beep)
            m_services.beeper->beep();
        ui.rtbDisplay->setBackgroundColor(ColorValue::toQColor(ColorValue::Red));
        return;
    }
    m_displayModel.clear();
}

// The counts live only as the labels' text.
void frmMain::bumpCount(QLabel *count)
{
    count->setText(QString::number(qint64(NumberText::leadingValue(count->text())) + 1));
}

void frmMain::mnuFindCommSetting_Click()
{
    m_settingSearch->start();
}
