#include "HexView.h"

#include "ColorValue.h"
#include "DisplayColors.h"
#include "HexHistory.h"
#include "LatinGlyphs.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {
constexpr int TextMargin = 2;
} // namespace

HexView::HexView(const HexHistory &history, const DisplayColors &colors, QWidget *parent)
    : TerminalScrollArea(parent), m_history(history), m_colors(colors)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_topRow = m_anchor = m_caret = m_history.firstRow();

    connect(&m_frames, &FramePacer::frameDue, this, &HexView::updateNow);
    connect(&history, &HexHistory::changed, this, &HexView::historyChanged);
}

HexView::~HexView() = default;

void HexView::colorsChanged()
{
    viewport()->update();
}

void HexView::historyChanged()
{
    // A hidden view catches up when it is shown.
    if (isVisible())
        m_frames.schedule();
}

qint64 HexView::lastRow() const
{
    return std::max(m_history.firstRow(), m_history.endRow() - 1);
}

void HexView::updateNow()
{
    m_frames.frameShown();
    const qint64 first = m_history.firstRow();
    const int rows = visibleRowCount();
    m_settingScroll = true;
    QScrollBar *bar = verticalScrollBar();
    bar->setPageStep(rows);
    bar->setSingleStep(1);
    bar->setRange(0, int(std::max<qint64>(0, m_history.endRow() - first - rows)));
    QScrollBar *across = horizontalScrollBar();
    const int width = 2 * TextMargin + HexHistory::RowWidth * m_charWidth;
    across->setPageStep(viewport()->width());
    across->setSingleStep(m_charWidth);
    across->setRange(0, std::max(0, width - viewport()->width()));
    m_settingScroll = false;

    // The selection keeps its rows for as long as they are held.
    if (m_selected && selectionLast() < first)
        m_selected = false;
    m_anchor = std::max(m_anchor, first);
    m_caret = std::max(m_caret, first);
    if (m_following) {
        m_anchor = m_caret = lastRow();
        setScrollValue(bar->maximum());
    } else {
        setScrollValue(int(std::clamp<qint64>(m_topRow - first, 0, bar->maximum())));
    }
    viewport()->update();
}

void HexView::setScrollValue(int value)
{
    m_settingScroll = true;
    verticalScrollBar()->setValue(value);
    m_settingScroll = false;
    m_topRow = m_history.firstRow() + verticalScrollBar()->value();
}

// The user moved a scroll bar: away from the end the view holds still, back
// at the end it follows.
void HexView::scrollContentsBy(int, int dy)
{
    if (m_settingScroll)
        return;
    if (dy != 0) {
        m_topRow = m_history.firstRow() + verticalScrollBar()->value();
        m_following = atEnd();
        if (m_following) {
            m_selected = false;
            m_anchor = m_caret = lastRow();
        }
    }
    viewport()->update();
}

bool HexView::atEnd() const
{
    return verticalScrollBar()->value() >= verticalScrollBar()->maximum();
}

QSize HexView::cellSize() const
{
    return {m_charWidth, m_lineHeight};
}

int HexView::visibleRowCount() const
{
    return std::max(1, viewport()->height() / m_lineHeight);
}

qint64 HexView::rowAt(const QPoint &viewportPoint) const
{
    const qint64 top = std::max(m_topRow, m_history.firstRow());
    return std::clamp<qint64>(top + viewportPoint.y() / m_lineHeight, m_history.firstRow(),
                              lastRow());
}

void HexView::selectAll()
{
    if (m_history.endRow() == m_history.firstRow())
        return;
    m_anchor = m_history.firstRow();
    m_caret = lastRow();
    m_selected = true;
    m_following = false;
    viewport()->update();
}

QByteArray HexView::selectedText() const
{
    const qint64 first = std::max(selectionFirst(), m_history.firstRow());
    const qint64 last = std::min(selectionLast(), m_history.endRow() - 1);
    if (!m_selected || first > last)
        return {};
    return m_history.text(first, last);
}

void HexView::moveCaret(qint64 row, bool extend)
{
    m_caret = std::clamp(row, m_history.firstRow(), lastRow());
    if (extend) {
        m_selected = true;
    } else {
        m_selected = false;
        m_anchor = m_caret;
    }
}

void HexView::ensureCaretVisible()
{
    updateNow();
    const qint64 row = m_caret - m_history.firstRow();
    const int top = verticalScrollBar()->value();
    if (row < top)
        setScrollValue(int(row));
    else if (row >= top + visibleRowCount())
        setScrollValue(int(row - visibleRowCount() + 1));
}

void HexView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const QRect dirty = event->rect();
    // One row high at a time: taller fills wake Qt's raster thread pool.
    const QColor background = ColorValue::toQColor(m_colors.background);
    for (int y = dirty.top() - dirty.top() % m_lineHeight; y <= dirty.bottom(); y += m_lineHeight)
        painter.fillRect(QRect(dirty.left(), y, dirty.width(), m_lineHeight) & dirty, background);

    const qint64 top = std::max(m_topRow, m_history.firstRow());
    const qint64 firstRow = top + dirty.top() / m_lineHeight;
    const qint64 endRow = std::min(m_history.endRow(), top + dirty.bottom() / m_lineHeight + 1);
    const int x = TextMargin - horizontalScrollBar()->value();
    const QPalette &pal = palette();
    for (qint64 row = firstRow; row < endRow; ++row) {
        const int y = int(row - top) * m_lineHeight;
        const QByteArray text = m_history.rowText(row);
        if (m_selected && row >= selectionFirst() && row <= selectionLast()) {
            painter.fillRect(x, y, int(text.size()) * m_charWidth, m_lineHeight,
                             pal.color(QPalette::Highlight));
            painter.setPen(pal.color(QPalette::HighlightedText));
        } else {
            switch (m_history.row(row).kind) {
            case HexHistory::Kind::Received:
                painter.setPen(ColorValue::toQColor(m_colors.receiveChar));
                break;
            case HexHistory::Kind::Sent:
                painter.setPen(ColorValue::toQColor(m_colors.xmitChar));
                break;
            case HexHistory::Kind::Event:
                painter.setPen(ColorValue::toQColor(ColorValue::Red));
                break;
            }
        }
        m_glyphs->draw(painter, QPoint(x, y), text);
    }
    if (hasFocus() && m_caret >= firstRow && m_caret < endRow)
        painter.fillRect(x - 1, int(m_caret - top) * m_lineHeight, 1, m_lineHeight,
                         pal.color(QPalette::HighlightedText));
}

void HexView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateNow();
}

void HexView::showEvent(QShowEvent *event)
{
    QAbstractScrollArea::showEvent(event);
    updateNow();
}

bool HexView::handleNavigationKey(QKeyEvent *event)
{
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const qint64 page = visibleRowCount();
    qint64 target;
    switch (event->key()) {
    case Qt::Key_Up:
        target = m_caret - 1;
        break;
    case Qt::Key_Down:
        target = m_caret + 1;
        break;
    case Qt::Key_PageUp:
        target = m_caret - page;
        break;
    case Qt::Key_PageDown:
        target = m_caret + page;
        break;
    case Qt::Key_Home:
        target = m_history.firstRow();
        break;
    case Qt::Key_End:
        if (!extend) {
            // End and Ctrl+End go back to the end and follow it again.
            m_selected = false;
            m_following = true;
            updateNow();
            return true;
        }
        target = lastRow();
        break;
    default:
        return false;
    }
    m_following = false;
    moveCaret(target, extend);
    ensureCaretVisible();
    m_following = !m_selected && atEnd();
    return true;
}

void HexView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    // Appends must not move the rows under the mouse.
    m_following = false;
    moveCaret(rowAt(event->position().toPoint()), event->modifiers() & Qt::ShiftModifier);
    viewport()->update();
}

void HexView::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    moveCaret(rowAt(event->position().toPoint()), true);
    ensureCaretVisible();
}

void HexView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_following = !m_selected && atEnd();
}

void HexView::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void HexView::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}
