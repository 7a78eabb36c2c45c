#pragma once

#include "FramePacer.h"
#include "TimeStampText.h"

#include "TerminalScrollArea.h"

#include <memory>
#include <vector>

class DisplayModel;
class LatinGlyphs;
class QToolButton;

// Read-only view of the display model: fixed-pitch font, lines wrapped at the
// view's width, selection with mouse and keyboard, caret kept in sight. Only
// rows that changed are painted, and model changes are gathered into at most
// one relayout and repaint per frame.
//
// The view follows the end of the text until the user scrolls away from it or
// selects with the mouse or Shift keys; then it holds: the same text stays at
// the top and the model keeps the selection while data arrive, and a hint in
// the lower right corner says that new data wait below. Scrolling back to the
// end, End, Ctrl+End or a click on the hint follows again.
class DisplayView : public TerminalScrollArea
{
    Q_OBJECT

public:
    explicit DisplayView(DisplayModel &model, QWidget *parent = nullptr);
    ~DisplayView() override;

    void setBackgroundColor(const QColor &color);
    // Each line led by the time of its first character, or not; lines wrap
    // in the room that is left.
    void setTimeStampsShown(bool shown);
    // Brings layout, scroll range and caret position up to date at once.
    void updateNow();

    // The pixels one character takes: every row is one cell high.
    QSize cellSize() const;
    qsizetype positionAt(const QPoint &viewportPoint);
    int visibleRowCount() const;

signals:
    void mouseReleased(QMouseEvent *event);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyArrived() override { m_frames.keyPressed(); }
    bool handleNavigationKey(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    struct RowPlace
    {
        qsizetype line;
        qsizetype offset; // within the line
        qsizetype length; // characters on this row
    };

    void repaintChangedRows();
    void setScrollValue(int value);
    void rememberTop();
    void followOrHold(bool follow);
    // Goes to the end of the text and follows it again.
    void followEnd();
    void placeNewDataHint();
    bool atEnd() const;
    void ensureLayout();
    void updateScrollRange();
    void ensureCaretVisible();
    qsizetype rowOfPosition(qsizetype position);
    RowPlace rowPlace(qint64 row) const;
    qsizetype rowStartPosition(qint64 row);
    qsizetype positionInRow(qint64 row, qsizetype column);
    int textLeft() const;

    DisplayModel &m_model;
    FramePacer m_frames;
    bool m_layoutDirty = true;
    bool m_followCaret = false;
    bool m_repaintAll = true;          // the next frame repaints every row
    bool m_settingScroll = false;      // the view, not the user, moves the scroll bar
    bool m_keepUserRow = false;        // a relayout keeps the row the user scrolled to
    qint64 m_topPosition = 0;          // absolute position of the top row's first character
    qint64 m_paintedTop = -1;          // absolute position of the top row last shown
    qint64 m_paintedEnd = 0;           // absolute end of the text last shown
    int m_columns = 1;
    int m_stampColumns = 0; // cells before the text taken by time stamps
    QToolButton *m_newDataHint = nullptr; // shown while held with new data below
    TimeStampText m_stampText;
    std::vector<qint64> m_rowStarts; // first row of each line, then the total
    QColor m_background;
};
