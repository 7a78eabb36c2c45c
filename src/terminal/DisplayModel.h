#pragma once

#include <QByteArray>
#include <QObject>

#include <deque>
#include <limits>
#include <span>

class Clock;

// The terminal display's content: Latin-1 text with a color per character
// (kept as runs), one selection (anchor and caret), and a bounded size.
// Positions count bytes from the first character now held; a line break is
// the two characters CR LF. Trimming only advances an offset, and the buffer
// is compacted once the discarded part is as large as the capacity, so
// removing old text costs in proportion to what is removed.
//
// Beside the text, each line keeps the time its first character arrived or
// was sent, for time stamps on screen; the text itself carries no stamps.
class DisplayModel : public QObject
{
    Q_OBJECT

public:
    static constexpr qsizetype Capacity = 500000;
    static constexpr qsizetype TrimChunk = 1000;
    static constexpr qsizetype TrimThreshold = Capacity - TrimChunk;

    // A line that has no character yet has no time.
    static constexpr qint64 NoTime = std::numeric_limits<qint64>::min();

    explicit DisplayModel(QObject *parent = nullptr);

    // Appends that bring no time of their own take the clock's time, or the
    // system's without a clock. The model does not own the clock.
    void setClock(const Clock *clock) { m_clock = clock; }

    // Appends text in color at the end, then CR LF when the text equals
    // breakCharacter exactly; while following, the caret ends at the end with
    // no selection. The oldest text is removed 1000 characters at a time while
    // the display holds more than 499,000 characters. A line begun by the
    // text takes time (milliseconds since the epoch) as its time.
    void putInDisplay(QByteArrayView text, quint32 color, QByteArrayView breakCharacter,
                      qint64 time = NoTime);
    // A part of a longer text: the characters up to end, in color.
    struct Piece
    {
        qsizetype end;
        quint32 color;
    };
    // The same as putInDisplay() for each piece of text in turn, in one go.
    void putPieces(QByteArrayView text, std::span<const Piece> pieces,
                   QByteArrayView breakCharacter, qint64 time = NoTime);
    // Empties the display; it follows again.
    void clear();

    // Following is the usual state. While the user reads back or holds a
    // selection, appends leave the selection over the same characters: its
    // positions move down as old text is trimmed, and it goes only when its
    // text is trimmed away.
    bool isFollowing() const { return m_following; }
    void setFollowing(bool following) { m_following = following; }

    // Absolute position of the first character held: it grows as old text is
    // removed, so a view can tell text that moved from text that changed.
    qint64 origin() const { return m_origin; }
    qsizetype length() const { return qsizetype(m_buffer.size()) - (m_origin - m_bufferBase); }
    QByteArray text() const { return textView(0, length()).toByteArray(); }
    QByteArrayView textView(qsizetype position, qsizetype count) const;

    struct ColorSpan
    {
        quint32 color;
        qsizetype end; // position after the last character of this color
        friend bool operator==(const ColorSpan &, const ColorSpan &) = default;
    };
    ColorSpan colorSpanAt(qsizetype position) const;

    qsizetype lineCount() const { return qsizetype(m_lineStarts.size()); }
    qsizetype lineStart(qsizetype line) const { return qsizetype(m_lineStarts[line] - m_origin); }
    // Characters of the line without its line break.
    qsizetype lineLength(qsizetype line) const;
    qsizetype lineOf(qsizetype position) const;
    // When the line's first character arrived or was sent, in milliseconds
    // since the epoch; NoTime while the line is empty.
    qint64 lineTime(qsizetype line) const { return m_lineTimes[size_t(line)]; }

    qsizetype anchor() const { return m_anchor; }
    qsizetype caret() const { return m_caret; }
    qsizetype selectionStart() const { return std::min(m_anchor, m_caret); }
    qsizetype selectionLength() const { return std::abs(m_caret - m_anchor); }
    QByteArray selectedText() const;
    // A start beyond the text places the selection at the end.
    void setSelection(qsizetype start, qsizetype length);
    void moveCaret(qsizetype position, bool keepAnchor);
    void selectAll() { setSelection(0, length()); }

    // While a batch lives, textChanged and selectionChanged are held back;
    // each is emitted once, if due, when the outermost batch ends.
    class ChangeBatch
    {
    public:
        explicit ChangeBatch(DisplayModel &model);
        ~ChangeBatch();
        Q_DISABLE_COPY_MOVE(ChangeBatch)

    private:
        DisplayModel &m_model;
    };

signals:
    void textChanged();
    // The characters selected, or the caret's place among them, changed; a
    // shift of positions by trimming alone is not a change.
    void selectionChanged();

private:
    void append(QByteArrayView text, std::span<const Piece> pieces, qsizetype offset);
    void removeFront(qsizetype count);
    qint64 appendTime();
    qsizetype clampPosition(qsizetype position) const;
    void notifyTextChanged();
    void notifySelectionChanged();

    struct ColorRun
    {
        qint64 start; // absolute position
        quint32 color;
    };

    QByteArray m_buffer;
    qint64 m_bufferBase = 0;          // absolute position of m_buffer[0]
    qint64 m_origin = 0;              // absolute position of the first character held
    std::deque<ColorRun> m_runs;      // each run lasts until the next one starts
    std::deque<qint64> m_lineStarts;  // absolute; the first is always m_origin
    std::deque<qint64> m_lineTimes;   // one for each line start
    const Clock *m_clock = nullptr;
    qint64 m_appendTime = NoTime;     // the time of the append under way, once read
    qsizetype m_anchor = 0;
    qsizetype m_caret = 0;
    bool m_following = true;
    int m_batchDepth = 0;
    bool m_textChangeHeld = false;
    bool m_selectionChangeHeld = false;
};
