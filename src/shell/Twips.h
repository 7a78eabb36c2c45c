#pragma once

#include <QRect>
#include <QtGlobal>

// Converts the window's design unit, the twip (1/1440 inch), to pixels and back
// at a screen's logical resolution.
class Twips
{
public:
    static constexpr qreal PerInch = 1440;

    explicit Twips(qreal dotsPerInch) : m_dotsPerInch(dotsPerInch) {}

    int toPixels(qreal twips) const { return qRound(twips * m_dotsPerInch / PerInch); }
    qreal fromPixels(int pixels) const { return pixels * PerInch / m_dotsPerInch; }
    QRect toPixels(qreal left, qreal top, qreal width, qreal height) const
    {
        return {toPixels(left), toPixels(top), toPixels(width), toPixels(height)};
    }

private:
    qreal m_dotsPerInch;
};
