#include "LatinGlyphs.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {
// Horizontal glyph positions are rounded to quarter pixels.
constexpr qreal PositionStep = 0.25;
// On a scaled screen the baseline is rounded to a whole device pixel, which
// moves an outline by up to half a pixel up or down.
constexpr qreal BaselineRounding = 0.5;

// Where a glyph leaves ink: across as its outline; up and down also as drawn
// at this size, since hinting moves edges (accents most) by up to two pixels.
QRectF inkOf(const QRawFont &font, quint32 glyph)
{
    const QRectF outline = font.pathForGlyph(glyph).boundingRect();
    const QRectF hinted = font.boundingRect(glyph);
    return QRectF(
        QPointF(outline.left(), std::min(outline.top() - BaselineRounding, hinted.top())),
        QPointF(outline.right(), std::max(outline.bottom() + BaselineRounding, hinted.bottom())));
}
} // namespace

namespace {
// Hinting moves edges only up and down, whatever the system's settings, so
// that across the glyphs keep the outline the cells are measured from.
QFont verticallyHinted(QFont font)
{
    font.setHintingPreference(QFont::PreferVerticalHinting);
    return font;
}
} // namespace

LatinGlyphs::LatinGlyphs(const QFont &font) : m_font(QRawFont::fromFont(verticallyHinted(font)))
{
    QString all(int(m_glyphOf.size()), Qt::Uninitialized);
    for (qsizetype i = 0; i < all.size(); ++i)
        all[i] = QChar(char16_t(i));
    const QList<quint32> glyphs = m_font.glyphIndexesForString(all);
    for (qsizetype i = 0; i < all.size() && i < glyphs.size(); ++i) {
        if (all[i].isPrint() && !all[i].isSpace())
            m_glyphOf[size_t(i)] = glyphs[i];
    }

    // A glyph whose ink starts left of its origin is moved right; the cell
    // is as wide as the font's advance and as every glyph's ink needs.
    const QFontMetricsF metrics(verticallyHinted(font));
    qreal width = metrics.horizontalAdvance(QLatin1Char('M'));
    qreal above = metrics.ascent();
    qreal below = metrics.descent();
    for (size_t i = 0; i < m_glyphOf.size(); ++i) {
        if (!m_glyphOf[i])
            continue;
        const QRectF ink = inkOf(m_font, m_glyphOf[i]);
        if (ink.left() < 0)
            m_shiftOf[i] = std::ceil(-ink.left() / PositionStep) * PositionStep;
        width = std::max({width, ink.right() + m_shiftOf[i],
                          m_font.advancesForGlyphIndexes({m_glyphOf[i]}).value(0).x()});
        above = std::max(above, -ink.top());
        below = std::max(below, ink.bottom());
    }
    m_ascent = int(std::ceil(above));
    m_cell = QSize(int(std::ceil(width)), m_ascent + int(std::ceil(below)));
}

void LatinGlyphs::draw(QPainter &painter, QPoint topLeft, QByteArrayView text) const
{
    QList<quint32> indexes;
    QList<QPointF> positions;
    indexes.reserve(text.size());
    positions.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto code = uchar(text[i]);
        if (const quint32 glyph = m_glyphOf[code]) {
            indexes.append(glyph);
            positions.append(QPointF(qreal(i * m_cell.width()) + m_shiftOf[code], 0));
        }
    }
    if (indexes.isEmpty())
        return;
    QGlyphRun run;
    run.setRawFont(m_font);
    run.setGlyphIndexes(indexes);
    run.setPositions(positions);
    painter.drawGlyphRun(QPointF(topLeft.x(), topLeft.y() + m_ascent), run);
}

QFont LatinGlyphs::terminalFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(9);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}
