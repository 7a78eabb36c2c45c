#include "LatinGlyphs.h"

#include <QGlyphRun>
#include <QPainter>

LatinGlyphs::LatinGlyphs(const QFont &font, int pitch)
    : m_font(QRawFont::fromFont(font)), m_pitch(pitch)
{
    QString all(int(m_glyphOf.size()), Qt::Uninitialized);
    for (qsizetype i = 0; i < all.size(); ++i)
        all[i] = QChar(char16_t(i));
    const QList<quint32> glyphs = m_font.glyphIndexesForString(all);
    for (qsizetype i = 0; i < all.size() && i < glyphs.size(); ++i) {
        if (all[i].isPrint() && !all[i].isSpace())
            m_glyphOf[size_t(i)] = glyphs[i];
    }
}

void LatinGlyphs::draw(QPainter &painter, QPoint baseline, QByteArrayView text)
{
    QList<quint32> indexes;
    QList<QPointF> positions;
    indexes.reserve(text.size());
    positions.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (const quint32 glyph = m_glyphOf[uchar(text[i])]) {
            indexes.append(glyph);
            positions.append(QPointF(qreal(i * m_pitch), 0));
        }
    }
    if (indexes.isEmpty())
        return;
    QGlyphRun run;
    run.setRawFont(m_font);
    run.setGlyphIndexes(indexes);
    run.setPositions(positions);
    painter.drawGlyphRun(baseline, run);
}
