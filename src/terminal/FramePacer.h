#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// Gathers a view's changes into frames. The first change after a quiet spell,
// and whatever a key changes, are shown at once; while changes keep coming,
// a frame is due at most once every IntervalMs.
class FramePacer : public QObject
{
    Q_OBJECT

public:
    static constexpr int IntervalMs = 200;

    explicit FramePacer(QObject *parent = nullptr);

    // Something changed: a frame is due, now or after the interval.
    void schedule();
    // A key was pressed: what it changes is shown at once.
    void keyPressed() { m_keyPressed = true; }
    // The view shows a frame now; the next one is due an interval later.
    void frameShown();

signals:
    void frameDue();

private:
    QTimer m_timer;
    QElapsedTimer m_sinceFrame;
    bool m_keyPressed = false; // a key was pressed since the last frame
};
