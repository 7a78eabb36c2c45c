#include "CalmScrollBar.h"

#include <QStyleOptionSlider>

void CalmScrollBar::sliderChange(SliderChange change)
{
    if (change == SliderOrientationChange) {
        QScrollBar::sliderChange(change);
        return;
    }
    if (m_checkPending)
        return;
    m_checkPending = true;
    QMetaObject::invokeMethod(
        this,
        [this, change] {
            m_checkPending = false;
            if (looks() != m_painted)
                QScrollBar::sliderChange(change);
        },
        Qt::QueuedConnection);
}

void CalmScrollBar::paintEvent(QPaintEvent *event)
{
    m_painted = looks();
    QScrollBar::paintEvent(event);
}

CalmScrollBar::Looks CalmScrollBar::looks() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    return {
        style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
        value() == minimum(), value() == maximum()};
}
