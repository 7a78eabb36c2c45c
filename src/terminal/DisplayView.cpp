#include "DisplayView.h"

#include "ColorValue.h"
#include "DisplayModel.h"
#include "LatinGlyphs.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolButton>

#include <algorithm>

namespace {
constexpr int TextMargin = 2;
} // namespace

DisplayView::DisplayView(DisplayModel &model, QWidget *parent)
    : TerminalScrollArea(parent), m_model(model)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setCursor(Qt::IBeamCursor);
    setBackgroundColor(ColorValue::toQColor(ColorValue::SystemHighlight));

    // Over the viewport, not in it: the viewport's pixels move when it scrolls.
    m_newDataHint = new QToolButton(this);
    m_newDataHint->setObjectName(QStringLiteral("newDataHint"));
    m_newDataHint->setText(QStringLiteral("New data below (End)"));
    m_newDataHint->setFocusPolicy(Qt::NoFocus);
    m_newDataHint->setCursor(Qt::PointingHandCursor);
    m_newDataHint->hide();
    connect(m_newDataHint, &QToolButton::clicked, this, &DisplayView::followEnd);

    connect(&m_frames, &FramePacer::frameDue, this, &DisplayView::updateNow);
    connect(&m_model, &DisplayModel::textChanged, this, [this] {
        m_layoutDirty = true;
        m_followCaret = m_model.isFollowing();
        if (!m_model.isFollowing() && m_newDataHint->isHidden()) {
            placeNewDataHint();
            m_newDataHint->show();
        }
        m_frames.schedule();
    });
    connect(&m_model, &DisplayModel::selectionChanged, this, [this] {
        m_repaintAll = true;
        m_frames.schedule();
    });
}

DisplayView::~DisplayView() = default;

void DisplayView::setBackgroundColor(const QColor &color)
{
    m_background = color;
    m_repaintAll = true;
    viewport()->update();
}

void DisplayView::setTimeStampsShown(bool shown)
{
    m_stampColumns = shown ? int(TimeStampText::Length) + 1 : 0;
    m_layoutDirty = true;
    m_repaintAll = true;
    m_followCaret = m_model.isFollowing();
    updateNow();
}

int DisplayView::textLeft() const
{
    return TextMargin + m_stampColumns * m_charWidth;
}

void DisplayView::updateNow()
{
    m_frames.frameShown();
    if (m_model.isFollowing())
        m_newDataHint->hide();
    ensureLayout();
    if (m_followCaret) {
        m_followCaret = false;
        ensureCaretVisible();
    }
    repaintChangedRows();
}

// New text at the end usually leaves the rows above it as they were, only
// higher up: those are moved as pixels, and only the rows from the old end of
// the text down are painted again.
void DisplayView::repaintChangedRows()
{
    const qint64 top = verticalScrollBar()->value();
    const qint64 origin = m_model.origin();
    const qint64 newTop = origin + rowStartPosition(top);
    const qint64 oldTop = m_paintedTop;
    const qint64 oldEnd = m_paintedEnd;
    m_paintedTop = newTop;
    m_paintedEnd = origin + m_model.length();
    if (m_repaintAll || oldTop < origin || oldEnd < origin || oldEnd > m_paintedEnd) {
        m_repaintAll = false;
        viewport()->update();
        return;
    }
    const qsizetype oldTopRow = rowOfPosition(qsizetype(oldTop - origin));
    const int rows = visibleRowCount();
    const qint64 moved = oldTopRow - top; // rows the old top moved down (negative: up)
    if (rowStartPosition(oldTopRow) != oldTop - origin || std::abs(moved) > rows) {
        viewport()->update();
        return;
    }
    if (moved != 0)
        viewport()->scroll(0, int(moved) * m_lineHeight);
    const qint64 firstChanged = rowOfPosition(qsizetype(oldEnd - origin)) - top;
    const int y = int(std::max<qint64>(0, firstChanged)) * m_lineHeight;
    if (y < viewport()->height())
        viewport()->update(0, y, viewport()->width(), viewport()->height() - y);
}

void DisplayView::setScrollValue(int value)
{
    m_settingScroll = true;
    verticalScrollBar()->setValue(value);
    m_settingScroll = false;
    rememberTop();
}

void DisplayView::rememberTop()
{
    m_topPosition = m_model.origin() + rowStartPosition(verticalScrollBar()->value());
}

// The user moved the scroll bar (dragged it, clicked it, turned the wheel):
// away from the end the view holds still, back at the end it follows.
void DisplayView::scrollContentsBy(int, int)
{
    if (m_settingScroll)
        return;
    const QScrollBar *bar = verticalScrollBar();
    followOrHold(bar->value() >= bar->maximum());
    // The user's row counts in the layout the user saw, whatever arrived since.
    m_keepUserRow = true;
    ensureLayout();
    m_keepUserRow = false;
    if (m_model.isFollowing())
        setScrollValue(bar->maximum());
    rememberTop();
    m_repaintAll = true;
    updateNow();
}

void DisplayView::followOrHold(bool follow)
{
    m_model.setFollowing(follow);
    if (follow)
        m_newDataHint->hide();
    else
        m_followCaret = false;
}

void DisplayView::followEnd()
{
    followOrHold(true);
    m_model.moveCaret(m_model.length(), false);
    ensureCaretVisible();
}

void DisplayView::placeNewDataHint()
{
    constexpr int Margin = 4;
    m_newDataHint->resize(m_newDataHint->sizeHint());
    const QRect area = viewport()->geometry();
    m_newDataHint->move(area.right() + 1 - Margin - m_newDataHint->width(),
                        area.bottom() + 1 - Margin - m_newDataHint->height());
}

void DisplayView::ensureLayout()
{
    const int columns =
        std::max(1, (viewport()->width() - 2 * TextMargin) / m_charWidth - m_stampColumns);
    if (!m_layoutDirty && columns == m_columns)
        return;
    m_columns = columns;
    m_layoutDirty = false;
    const qsizetype lines = m_model.lineCount();
    m_rowStarts.resize(size_t(lines) + 1);
    qint64 rows = 0;
    for (qsizetype line = 0; line < lines; ++line) {
        m_rowStarts[size_t(line)] = rows;
        rows += std::max<qint64>(1, (m_model.lineLength(line) + m_columns - 1) / m_columns);
    }
    m_rowStarts[size_t(lines)] = rows;
    updateScrollRange();
    if (m_model.isFollowing() || m_keepUserRow) {
        rememberTop();
        return;
    }
    // Holding: the same text stays at the top, or the first text left when
    // it was trimmed away.
    const qint64 top = std::clamp<qint64>(m_topPosition - m_model.origin(), 0, m_model.length());
    setScrollValue(int(rowOfPosition(qsizetype(top))));
}

int DisplayView::visibleRowCount() const
{
    return std::max(1, viewport()->height() / m_lineHeight);
}

void DisplayView::updateScrollRange()
{
    const qint64 totalRows = m_rowStarts.back();
    const int rows = visibleRowCount();
    m_settingScroll = true;
    verticalScrollBar()->setPageStep(rows);
    verticalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setRange(0, int(std::max<qint64>(0, totalRows - rows)));
    m_settingScroll = false;
}

DisplayView::RowPlace DisplayView::rowPlace(qint64 row) const
{
    auto next = std::upper_bound(m_rowStarts.begin(), m_rowStarts.end() - 1, row);
    const qsizetype line = qsizetype(std::distance(m_rowStarts.begin(), next)) - 1;
    const qsizetype offset = qsizetype(row - m_rowStarts[size_t(line)]) * m_columns;
    const qsizetype length = std::min<qsizetype>(m_columns, m_model.lineLength(line) - offset);
    return {line, offset, std::max<qsizetype>(0, length)};
}

qsizetype DisplayView::rowOfPosition(qsizetype position)
{
    ensureLayout();
    const qsizetype line = m_model.lineOf(position);
    const qsizetype offset = std::min(position - m_model.lineStart(line), m_model.lineLength(line));
    const qint64 rowsInLine = m_rowStarts[size_t(line) + 1] - m_rowStarts[size_t(line)];
    // A caret after the last character of a full row stays on that row.
    const qint64 rowInLine = std::min<qint64>(offset / m_columns, rowsInLine - 1);
    return qsizetype(m_rowStarts[size_t(line)] + rowInLine);
}

qsizetype DisplayView::rowStartPosition(qint64 row)
{
    const RowPlace place = rowPlace(row);
    return m_model.lineStart(place.line) + place.offset;
}

qsizetype DisplayView::positionInRow(qint64 row, qsizetype column)
{
    const qint64 totalRows = m_rowStarts.back();
    if (row < 0)
        return 0;
    if (row >= totalRows)
        return m_model.length();
    const RowPlace place = rowPlace(row);
    return m_model.lineStart(place.line) + place.offset +
           std::clamp<qsizetype>(column, 0, place.length);
}

void DisplayView::ensureCaretVisible()
{
    const qsizetype row = rowOfPosition(m_model.caret());
    QScrollBar *bar = verticalScrollBar();
    if (row < bar->value())
        setScrollValue(int(row));
    else if (row >= bar->value() + visibleRowCount())
        setScrollValue(int(row - visibleRowCount() + 1));
}

QSize DisplayView::cellSize() const
{
    return {m_charWidth, m_lineHeight};
}

qsizetype DisplayView::positionAt(const QPoint &viewportPoint)
{
    ensureLayout();
    const qint64 row = verticalScrollBar()->value() + viewportPoint.y() / m_lineHeight;
    const qsizetype column = (viewportPoint.x() - textLeft() + m_charWidth / 2) / m_charWidth;
    return positionInRow(row, column);
}

void DisplayView::paintEvent(QPaintEvent *event)
{
    ensureLayout();
    QPainter painter(viewport());
    const QRect dirty = event->rect();

    // The background is filled one row high at a time: Qt's raster engine
    // hands taller fills to its thread pool, and waking those threads costs
    // more than the fill.
    for (int y = dirty.top() - dirty.top() % m_lineHeight; y <= dirty.bottom(); y += m_lineHeight)
        painter.fillRect(QRect(dirty.left(), y, dirty.width(), m_lineHeight) & dirty, m_background);

    const qint64 top = verticalScrollBar()->value();
    const qint64 firstRow = top + dirty.top() / m_lineHeight;
    const qint64 lastRow =
        std::min<qint64>(m_rowStarts.back(), top + dirty.bottom() / m_lineHeight + 1);
    const qsizetype selStart = m_model.selectionStart();
    const qsizetype selEnd = selStart + m_model.selectionLength();
    const QPalette &pal = palette();
    const QColor stampColor = TimeStampText::colorOn(m_background);

    for (qint64 row = firstRow; row < lastRow; ++row) {
        const RowPlace place = rowPlace(row);
        const int y = int(row - top) * m_lineHeight;
        if (m_stampColumns > 0 && place.offset == 0 &&
            m_model.lineTime(place.line) != DisplayModel::NoTime) {
            painter.setPen(stampColor);
            m_glyphs->draw(painter, QPoint(TextMargin, y),
                           m_stampText(m_model.lineTime(place.line)));
        }
        qsizetype position = m_model.lineStart(place.line) + place.offset;
        const qsizetype rowEnd = position + place.length;
        int x = textLeft();
        while (position < rowEnd) {
            const DisplayModel::ColorSpan span = m_model.colorSpanAt(position);
            const bool selected = position >= selStart && position < selEnd;
            qsizetype end = std::min(rowEnd, span.end);
            if (selected)
                end = std::min(end, selEnd);
            else if (selStart > position)
                end = std::min(end, selStart);
            const QByteArrayView bytes = m_model.textView(position, end - position);
            const int width = int(bytes.size()) * m_charWidth;
            if (selected) {
                painter.fillRect(x, y, width, m_lineHeight, pal.color(QPalette::Highlight));
                painter.setPen(pal.color(QPalette::HighlightedText));
            } else {
                painter.setPen(ColorValue::toQColor(span.color));
            }
            m_glyphs->draw(painter, QPoint(x, y), bytes);
            x += width;
            position = end;
        }
        // A selected line break shows as one selected cell after the row.
        if (place.offset + place.length == m_model.lineLength(place.line) &&
            place.line + 1 < m_model.lineCount() && rowEnd >= selStart && rowEnd < selEnd)
            painter.fillRect(x, y, m_charWidth, m_lineHeight, pal.color(QPalette::Highlight));
    }

    if (hasFocus()) {
        const qsizetype caretRow = rowOfPosition(m_model.caret());
        if (caretRow >= firstRow && caretRow < lastRow + 1) {
            const qsizetype column = m_model.caret() - rowStartPosition(caretRow);
            const int x = textLeft() + int(column) * m_charWidth;
            const int y = int(caretRow - top) * m_lineHeight;
            painter.fillRect(x, y, 1, m_lineHeight, pal.color(QPalette::HighlightedText));
        }
    }
}

void DisplayView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    placeNewDataHint();
    m_followCaret = m_model.isFollowing();
    m_repaintAll = true;
    updateNow();
}

bool DisplayView::handleNavigationKey(QKeyEvent *event)
{
    ensureLayout();
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const bool control = event->modifiers() & Qt::ControlModifier;
    const qsizetype caret = m_model.caret();
    const qsizetype caretRow = rowOfPosition(caret);
    const qsizetype column = caret - rowStartPosition(caretRow);
    qsizetype target;
    switch (event->key()) {
    case Qt::Key_Left:
        target = caret - 1;
        if (target > 0 && m_model.textView(target - 1, 2) == "\r\n")
            --target;
        break;
    case Qt::Key_Right:
        target = caret + 1;
        if (m_model.textView(caret, 2) == "\r\n")
            ++target;
        break;
    case Qt::Key_Up:
        target = caretRow == 0 ? 0 : positionInRow(caretRow - 1, column);
        break;
    case Qt::Key_Down:
        target = positionInRow(caretRow + 1, column);
        break;
    case Qt::Key_PageUp:
        target = positionInRow(std::max<qint64>(0, caretRow - visibleRowCount()), column);
        break;
    case Qt::Key_PageDown:
        target = positionInRow(caretRow + visibleRowCount(), column);
        break;
    case Qt::Key_Home:
        target = control ? 0 : rowStartPosition(caretRow);
        break;
    case Qt::Key_End:
        if (!extend) {
            followEnd();
            return true;
        }
        target = control ? m_model.length() : positionInRow(caretRow, m_columns);
        break;
    default:
        return false;
    }
    m_model.moveCaret(target, extend);
    ensureCaretVisible();
    followOrHold(m_model.selectionLength() == 0 && atEnd());
    return true;
}

void DisplayView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    // Appends must not move the caret under the mouse.
    followOrHold(false);
    m_model.moveCaret(positionAt(event->position().toPoint()), extend);
}

void DisplayView::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    m_model.moveCaret(positionAt(event->position().toPoint()), true);
    ensureCaretVisible();
}

void DisplayView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        followOrHold(m_model.selectionLength() == 0 && atEnd());
    emit mouseReleased(event);
}

bool DisplayView::atEnd() const
{
    return verticalScrollBar()->value() >= verticalScrollBar()->maximum();
}

void DisplayView::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    m_repaintAll = true;
    viewport()->update();
}

void DisplayView::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}
