#pragma once

#include <QByteArrayView>
#include <QPoint>
#include <QRawFont>
#include <QSize>

#include <array>

class QFont;
class QPainter;

// Draws Latin-1 text one glyph per cell on a grid of whole pixels, with no
// text layout, so that the glyphs stay on the grid that selection, caret and
// mouse use. A cell is the font's advance rounded up, and wide and tall enough
// for the ink of every glyph; a glyph whose ink reaches beyond its advance is
// moved into its cell.
class LatinGlyphs
{
public:
    explicit LatinGlyphs(const QFont &font);

    // The fixed-pitch font of the terminal's views.
    static QFont terminalFont();

    QSize cellSize() const { return m_cell; }

    // Control characters, spaces and characters the font lacks stay blank.
    void draw(QPainter &painter, QPoint topLeft, QByteArrayView text) const;

private:
    QRawFont m_font;
    QSize m_cell;
    int m_ascent = 0;                     // from the cell's top to the baseline
    std::array<quint32, 256> m_glyphOf{}; // 0: nothing to draw
    std::array<qreal, 256> m_shiftOf{};   // moves the glyph's ink into its cell
};
