#pragma once

#include <QStatusBar>
#include <QTimer>

#include <array>

class Clock;
class LockKeys;
class QLabel;

// The main window's six-panel status bar: 1 Num Lock, 2 Caps Lock, 3 text,
// 4 time, 5 date, 6 text. The lock panels always read "NUM" and "CAPS" and are
// dimmed while the lock is off or cannot be read; they, the time and the date
// follow the lock keys and the clock on their own. Panels are numbered from 1.
// After them a progress text shows while it is not empty.
class PanelStatusBar : public QStatusBar
{
    Q_OBJECT

public:
    static constexpr int PanelCount = 6;
    static constexpr int RefreshIntervalMs = 500;

    PanelStatusBar(const Clock &clock, const LockKeys &lockKeys, int panelWidth,
                   QWidget *parent = nullptr);

    QLabel *panel(int number) const { return m_panels[size_t(number - 1)]; }
    QString panelText(int number) const;
    void setPanelText(int number, const QString &text);
    void setProgressText(const QString &text);

    // Reads the lock keys and the clock now.
    void refresh();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutPanels();

    const Clock &m_clock;
    const LockKeys &m_lockKeys;
    int m_panelWidth;
    std::array<QLabel *, PanelCount> m_panels{};
    QLabel *m_progress = nullptr;
    QTimer m_refreshTimer;
};
