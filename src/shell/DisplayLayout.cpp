#include "DisplayLayout.h"

DisplayLayout DisplayLayout::forWindow(const QSizeF &window, qreal statusBarHeight,
                                       qreal displayMargin)
{
    DisplayLayout layout;
    if (statusBarHeight + 800 < window.height())
        layout.displayHeight = window.height() - statusBarHeight - displayMargin;
    if (window.width() > 1600)
        layout.displayWidth = window.width() - 1450;
    layout.testButtonTop = window.height() - 1245;
    return layout;
}
