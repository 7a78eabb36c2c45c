#include "PanelStatusBar.h"

#include "LockKeys.h"
#include "PlatformServices.h"

#include <QLabel>
#include <QLocale>

namespace {
constexpr int NumLockPanel = 1;
constexpr int CapsLockPanel = 2;
constexpr int TimePanel = 4;
constexpr int DatePanel = 5;
} // namespace

PanelStatusBar::PanelStatusBar(const Clock &clock, const LockKeys &lockKeys, int panelWidth,
                               QWidget *parent)
    : QStatusBar(parent), m_clock(clock), m_lockKeys(lockKeys), m_panelWidth(panelWidth)
{
    for (size_t i = 0; i < m_panels.size(); ++i) {
        auto *label = new QLabel(this);
        label->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i + 1));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        m_panels[i] = label;
    }
    panel(NumLockPanel)->setText(QStringLiteral("NUM"));
    panel(CapsLockPanel)->setText(QStringLiteral("CAPS"));
    panel(NumLockPanel)->setAlignment(Qt::AlignCenter);
    panel(CapsLockPanel)->setAlignment(Qt::AlignCenter);
    m_progress = new QLabel(this);
    m_progress->setObjectName(QStringLiteral("StatusBar1Progress"));
    m_progress->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_progress->hide();

    m_refreshTimer.setInterval(RefreshIntervalMs);
    connect(&m_refreshTimer, &QTimer::timeout, this, &PanelStatusBar::refresh);
    m_refreshTimer.start();
    refresh();
}

void PanelStatusBar::resizeEvent(QResizeEvent *event)
{
    QStatusBar::resizeEvent(event);
    layoutPanels();
}

void PanelStatusBar::layoutPanels()
{
    // Side by side from the left edge, each as wide as designed or as its text
    // needs, then the progress text as wide as it needs. Where that is more
    // than the bar, panels give up room their texts do not use, from the
    // left; the window's edge cuts off what still does not fit.
    std::array<int, PanelCount> widths{};
    const int progressWidth = m_progress->isHidden() ? 0 : m_progress->sizeHint().width();
    int excess = progressWidth - width();
    for (size_t i = 0; i < m_panels.size(); ++i) {
        widths[i] = std::max(m_panelWidth, m_panels[i]->sizeHint().width());
        excess += widths[i];
    }
    for (size_t i = 0; i < m_panels.size() && excess > 0; ++i) {
        const int spare = std::min(excess, widths[i] - m_panels[i]->sizeHint().width());
        widths[i] -= spare;
        excess -= spare;
    }
    int x = 0;
    for (size_t i = 0; i < m_panels.size(); ++i) {
        m_panels[i]->setGeometry(x, 0, widths[i], height());
        x += widths[i];
    }
    m_progress->setGeometry(x, 0, progressWidth, height());
}

QString PanelStatusBar::panelText(int number) const
{
    return panel(number)->text();
}

void PanelStatusBar::setPanelText(int number, const QString &text)
{
    panel(number)->setText(text);
    layoutPanels();
}

void PanelStatusBar::setProgressText(const QString &text)
{
    m_progress->setText(text);
    m_progress->setHidden(text.isEmpty());
    layoutPanels();
}

void PanelStatusBar::refresh()
{
    // Where nothing tells the lock keys, both panels stay dimmed and say why.
    const bool known = m_lockKeys.available();
    panel(NumLockPanel)->setEnabled(known && m_lockKeys.numLock());
    panel(CapsLockPanel)->setEnabled(known && m_lockKeys.capsLock());
    const QString unknown = known ? QString() : QStringLiteral("Lock keys unknown on this system");
    panel(NumLockPanel)->setToolTip(unknown);
    panel(CapsLockPanel)->setToolTip(unknown);
    const QDateTime now = m_clock.now();
    const QLocale locale;
    panel(TimePanel)->setText(locale.toString(now.time(), QLocale::ShortFormat));
    panel(DatePanel)->setText(locale.toString(now.date(), QLocale::ShortFormat));
    layoutPanels();
}
