#pragma once

#include "FramePacer.h"

#include "TerminalScrollArea.h"

#include <memory>

class HexHistory;
class LatinGlyphs;
struct DisplayColors;

// Read-only view of the hex history, one row per line in the receive or
// transmit character color (events in red) on the display's background. Only
// the visible rows are painted, at most once per frame, so a flood costs the
// view no more than a trickle.
//
// Selection goes by whole rows, with the mouse and with Shift and the arrow,
// page and Home/End keys. The view follows the newest row until the user
// scrolls away or selects; then the same rows stay in place while data
// arrive. Scrolling back to the end, End or Ctrl+End follows again. Keys
// reach the keyDown and keyTyped receivers as in the text display.
class HexView : public TerminalScrollArea
{
    Q_OBJECT

public:
    HexView(const HexHistory &history, const DisplayColors &colors, QWidget *parent = nullptr);
    ~HexView() override;

    // Repaints in the display colors as they are now.
    void colorsChanged();
    // Brings scroll range, held rows and selection up to date at once.
    void updateNow();

    QSize cellSize() const;
    int visibleRowCount() const;
    // The number of the row at a point of the viewport, within the rows held.
    qint64 rowAt(const QPoint &viewportPoint) const;
    bool isFollowing() const { return m_following; }

    void selectAll();
    bool hasSelection() const { return m_selected; }
    qint64 selectionFirst() const { return std::min(m_anchor, m_caret); }
    qint64 selectionLast() const { return std::max(m_anchor, m_caret); }
    // The selected rows as text, each followed by CR LF.
    QByteArray selectedText() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyArrived() override { m_frames.keyPressed(); }
    bool handleNavigationKey(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void historyChanged();
    void setScrollValue(int value);
    void moveCaret(qint64 row, bool extend);
    void ensureCaretVisible();
    bool atEnd() const;
    qint64 lastRow() const;

    const HexHistory &m_history;
    const DisplayColors &m_colors;
    FramePacer m_frames;
    bool m_following = true;
    bool m_settingScroll = false; // the view, not the user, moves the scroll bar
    qint64 m_topRow = 0;          // the number of the row shown at the top
    qint64 m_anchor = 0;
    qint64 m_caret = 0;
    bool m_selected = false; // the rows from anchor to caret are selected
};
