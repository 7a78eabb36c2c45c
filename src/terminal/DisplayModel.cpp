#include "DisplayModel.h"

#include "PlatformServices.h"

#include <QDateTime>

#include <algorithm>
#include <cstring>
#include <utility>

DisplayModel::DisplayModel(QObject *parent) : QObject(parent)
{
    m_lineStarts.push_back(0);
    m_lineTimes.push_back(NoTime);
}

void DisplayModel::putInDisplay(QByteArrayView text, quint32 color, QByteArrayView breakCharacter,
                                qint64 time)
{
    const Piece piece{text.size(), color};
    putPieces(text, {&piece, 1}, breakCharacter, time);
}

void DisplayModel::putPieces(QByteArrayView text, std::span<const Piece> pieces,
                             QByteArrayView breakCharacter, qint64 time)
{
    m_appendTime = time;
    // A bare caret at the end stays one: only a selection or a caret elsewhere moves.
    bool selectionMoved = m_following && (m_anchor != m_caret || m_caret != length());
    // Pieces go in together up to one that is the break character, which CR LF follows.
    qsizetype start = 0;
    size_t first = 0;
    for (size_t i = 0; i < pieces.size(); ++i) {
        const qsizetype pieceStart = i == 0 ? 0 : pieces[i - 1].end;
        const qsizetype size = pieces[i].end - pieceStart;
        if (size != breakCharacter.size() || text.sliced(pieceStart, size) != breakCharacter)
            continue;
        append(text.sliced(start, pieces[i].end - start), pieces.subspan(first, i + 1 - first),
               start);
        const Piece lineEnd{2, pieces[i].color};
        append("\r\n", {&lineEnd, 1}, 0);
        start = pieces[i].end;
        first = i + 1;
    }
    append(text.sliced(start), pieces.subspan(first), start);
    if (length() > TrimThreshold) {
        const qsizetype excess = length() - TrimThreshold;
        const qsizetype count = (excess + TrimChunk - 1) / TrimChunk * TrimChunk;
        // A held selection loses the characters trimmed away.
        selectionMoved = selectionMoved || (!m_following && selectionStart() < count);
        removeFront(count);
    }
    m_appendTime = NoTime;
    if (m_following)
        m_anchor = m_caret = length();
    notifyTextChanged();
    if (selectionMoved)
        notifySelectionChanged();
}

// Appends text, the part from offset of a longer one whose pieces are given.
void DisplayModel::append(QByteArrayView text, std::span<const Piece> pieces, qsizetype offset)
{
    if (text.isEmpty())
        return;
    const qint64 start = m_bufferBase + m_buffer.size();
    qsizetype pieceStart = offset;
    for (const Piece &piece : pieces) {
        if (piece.end > pieceStart && (m_runs.empty() || m_runs.back().color != piece.color))
            m_runs.push_back({start + (pieceStart - offset), piece.color});
        pieceStart = piece.end;
    }
    m_buffer.append(text);
    if (m_lineTimes.back() == NoTime)
        m_lineTimes.back() = appendTime();
    const char *const data = text.data();
    const char *at = data;
    const char *const end = data + text.size();
    while ((at = static_cast<const char *>(std::memchr(at, '\n', size_t(end - at))))) {
        ++at;
        m_lineStarts.push_back(start + (at - data));
        m_lineTimes.push_back(at < end ? appendTime() : NoTime);
    }
}

qint64 DisplayModel::appendTime()
{
    if (m_appendTime == NoTime)
        m_appendTime =
            m_clock ? m_clock->now().toMSecsSinceEpoch() : QDateTime::currentMSecsSinceEpoch();
    return m_appendTime;
}

void DisplayModel::removeFront(qsizetype count)
{
    count = std::min(count, length());
    m_origin += count;
    while (m_lineStarts.size() > 1 && m_lineStarts[1] <= m_origin) {
        m_lineStarts.pop_front();
        m_lineTimes.pop_front();
    }
    m_lineStarts.front() = m_origin;
    while (m_runs.size() > 1 && m_runs[1].start <= m_origin)
        m_runs.pop_front();
    if (!m_runs.empty())
        m_runs.front().start = std::max(m_runs.front().start, m_origin);
    if (m_origin - m_bufferBase >= Capacity) {
        m_buffer.remove(0, qsizetype(m_origin - m_bufferBase));
        m_bufferBase = m_origin;
    }
    m_anchor = std::max<qsizetype>(0, m_anchor - count);
    m_caret = std::max<qsizetype>(0, m_caret - count);
}

void DisplayModel::clear()
{
    const bool hadSelection = m_anchor != 0 || m_caret != 0;
    m_buffer.clear();
    m_bufferBase = m_origin;
    m_runs.clear();
    m_lineStarts.assign(1, m_origin);
    m_lineTimes.assign(1, NoTime);
    m_anchor = m_caret = 0;
    m_following = true;
    notifyTextChanged();
    if (hadSelection)
        notifySelectionChanged();
}

QByteArrayView DisplayModel::textView(qsizetype position, qsizetype count) const
{
    position = clampPosition(position);
    count = std::clamp<qsizetype>(count, 0, length() - position);
    return QByteArrayView(m_buffer.constData() + (m_origin - m_bufferBase) + position, count);
}

DisplayModel::ColorSpan DisplayModel::colorSpanAt(qsizetype position) const
{
    const qint64 absolute = m_origin + position;
    auto next = std::upper_bound(m_runs.begin(), m_runs.end(), absolute,
                                 [](qint64 value, const ColorRun &run) { return value < run.start; });
    if (next == m_runs.begin())
        return {0, length()};
    const quint32 color = std::prev(next)->color;
    const qsizetype end = next == m_runs.end() ? length() : qsizetype(next->start - m_origin);
    return {color, end};
}

qsizetype DisplayModel::lineLength(qsizetype line) const
{
    const qint64 start = m_lineStarts[line];
    if (line + 1 == lineCount())
        return qsizetype(m_origin + length() - start);
    qint64 end = m_lineStarts[line + 1] - 1; // the LF
    if (end > start && m_buffer[qsizetype(end - 1 - m_bufferBase)] == '\r')
        --end;
    return qsizetype(end - start);
}

qsizetype DisplayModel::lineOf(qsizetype position) const
{
    const qint64 absolute = m_origin + clampPosition(position);
    auto next = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), absolute);
    return qsizetype(std::distance(m_lineStarts.begin(), next)) - 1;
}

QByteArray DisplayModel::selectedText() const
{
    return textView(selectionStart(), selectionLength()).toByteArray();
}

void DisplayModel::setSelection(qsizetype start, qsizetype count)
{
    start = clampPosition(start);
    const qsizetype end = start + std::clamp<qsizetype>(count, 0, length() - start);
    if (m_anchor == start && m_caret == end)
        return;
    m_anchor = start;
    m_caret = end;
    notifySelectionChanged();
}

void DisplayModel::moveCaret(qsizetype position, bool keepAnchor)
{
    position = clampPosition(position);
    const qsizetype anchor = keepAnchor ? m_anchor : position;
    if (m_anchor == anchor && m_caret == position)
        return;
    m_anchor = anchor;
    m_caret = position;
    notifySelectionChanged();
}

qsizetype DisplayModel::clampPosition(qsizetype position) const
{
    return std::clamp<qsizetype>(position, 0, length());
}

void DisplayModel::notifyTextChanged()
{
    if (m_batchDepth > 0)
        m_textChangeHeld = true;
    else
        emit textChanged();
}

void DisplayModel::notifySelectionChanged()
{
    if (m_batchDepth > 0)
        m_selectionChangeHeld = true;
    else
        emit selectionChanged();
}

DisplayModel::ChangeBatch::ChangeBatch(DisplayModel &model) : m_model(model)
{
    ++m_model.m_batchDepth;
}

DisplayModel::ChangeBatch::~ChangeBatch()
{
    if (--m_model.m_batchDepth > 0)
        return;
    if (std::exchange(m_model.m_textChangeHeld, false))
        emit m_model.textChanged();
    if (std::exchange(m_model.m_selectionChangeHeld, false))
        emit m_model.selectionChanged();
}
