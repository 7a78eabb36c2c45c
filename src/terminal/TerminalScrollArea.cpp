#include "TerminalScrollArea.h"

#include "CalmScrollBar.h"
#include "LatinGlyphs.h"

#include <QKeyEvent>

#include <algorithm>

TerminalScrollArea::TerminalScrollArea(QWidget *parent) : QAbstractScrollArea(parent)
{
    const QFont font = LatinGlyphs::terminalFont();
    setFont(font);
    m_glyphs = std::make_unique<LatinGlyphs>(font);
    m_charWidth = std::max(1, m_glyphs->cellSize().width());
    m_lineHeight = std::max(1, m_glyphs->cellSize().height());

    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBar(new CalmScrollBar(Qt::Vertical, this));
    // paintEvent covers every pixel it is asked for.
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
}

TerminalScrollArea::~TerminalScrollArea() = default;

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
