#pragma once

#include <QByteArrayView>
#include <QPoint>
#include <QRawFont>

#include <array>

class QFont;
class QPainter;

// Draws Latin-1 text one glyph per cell at a fixed whole-pixel pitch, with no
// text layout: the glyphs stay on the grid that selection, caret and mouse
// use, even where the font's own advance is fractional.
class LatinGlyphs
{
public:
    LatinGlyphs(const QFont &font, int pitch);

    // Control characters, spaces and characters the font lacks stay blank.
    void draw(QPainter &painter, QPoint baseline, QByteArrayView text);

private:
    QRawFont m_font;
    int m_pitch;
    std::array<quint32, 256> m_glyphOf{}; // 0: nothing to draw
};
