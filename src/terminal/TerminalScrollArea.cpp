#include "TerminalScrollArea.h"

#include <QKeyEvent>

void TerminalScrollArea::keyPressEvent(QKeyEvent *event)
{
    keyArrived();
    event->ignore();
    emit keyDown(event);
    if (event->isAccepted())
        return;
    if (handleNavigationKey(event)) {
        event->accept();
        return;
    }
    if (!event->text().isEmpty()) {
        emit keyTyped(event);
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}
