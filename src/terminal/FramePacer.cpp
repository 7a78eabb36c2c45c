#include "FramePacer.h"

FramePacer::FramePacer(QObject *parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_sinceFrame.start();
    connect(&m_timer, &QTimer::timeout, this, &FramePacer::frameDue);
}

void FramePacer::schedule()
{
    if (m_keyPressed) {
        m_timer.start(0);
        return;
    }
    if (!m_timer.isActive())
        m_timer.start(int(std::max<qint64>(0, IntervalMs - m_sinceFrame.elapsed())));
}

void FramePacer::frameShown()
{
    m_timer.stop();
    m_sinceFrame.restart();
    m_keyPressed = false;
}
