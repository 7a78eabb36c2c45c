#pragma once

#include <QScrollBar>

// Range and value change at every frame while text streams in, often through
// a step that moves the handle and a step that moves it back, yet the handle
// itself rarely moves by a pixel. This scroll bar looks at itself once the
// changes of the moment are over and repaints only if what it shows changed.
class CalmScrollBar : public QScrollBar
{
public:
    using QScrollBar::QScrollBar;

protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent *event) override;

private:
    struct Looks
    {
        QRect handle;
        bool atMinimum = false;
        bool atMaximum = false;
        bool operator==(const Looks &) const = default;
    };

    Looks looks() const;

    Looks m_painted;
    bool m_checkPending = false;
};
