#pragma once

#include <QSizeF>

#include <optional>

// Where the main window puts its display and the compare-test row for a given
// window size as the rules count it (title bar, menu bar and frame included). All values are
// twips; tops are measured in the window's client area. A window too small for
// the display leaves that dimension unset, and the display keeps its size.
struct DisplayLayout
{
    static constexpr qreal DisplayLeft = 1335;
    static constexpr qreal DisplayTop = 0;

    std::optional<qreal> displayWidth;
    std::optional<qreal> displayHeight;
    qreal testButtonTop = 0; // cmdSetStandard, cmdExitTest, as designed

    static DisplayLayout forWindow(const QSizeF &window, qreal statusBarHeight,
                                   qreal displayMargin);
};
