#include "ReceivePath.h"

#include "DisplayColors.h"
#include "DisplayModel.h"
#include "DisplayOptions.h"
#include "NumberText.h"
#include "PlatformServices.h"

#include <QElapsedTimer>

ReceivePath::ReceivePath(DisplayModel &model, const DisplayOptions &options,
                         const DisplayColors &colors, const Clock &clock, QObject *parent)
    : QObject(parent), m_model(model), m_options(options), m_colors(colors), m_clock(clock),
      m_writer(model, options)
{
}

double ReceivePath::secondsSinceMidnight(const QDateTime &time)
{
    return time.time().msecsSinceStartOfDay() / 1000.0;
}

void ReceivePath::receive(QByteArrayView data)
{
    const bool wasEmpty = m_queue.isEmpty();
    // The time goes with the entry: a display that lags still shows when data arrived.
    if (m_queue.storeReceived(data, m_clock.now().toMSecsSinceEpoch())) {
        m_dropStartTime = NumberText::roundHalfEven(secondsSinceMidnight(m_clock.now()));
        emit droppingStarted();
    }
    if (wasEmpty && !m_queue.isEmpty())
        emit entriesWaiting();
}

void ReceivePath::lineEvent(ReceiveQueue::Marker marker)
{
    const bool wasEmpty = m_queue.isEmpty();
    m_queue.storeLineEvent(marker, m_clock.now().toMSecsSinceEpoch());
    if (wasEmpty && !m_queue.isEmpty())
        emit entriesWaiting();
}

bool ReceivePath::showSlice(std::chrono::microseconds budget)
{
    QElapsedTimer timer;
    timer.start();
    const qint64 budgetNs = std::chrono::nanoseconds(budget).count();
    // The display hears of the slice's appends once, at its end.
    const DisplayModel::ChangeBatch batch(m_model);
    while (!m_queue.isEmpty()) {
        const ReceiveQueue::Entry entry = m_queue.takeFirst();
        const quint32 entryColor = entry.isMarker ? ColorValue::Red : m_colors.receiveChar;
        m_writer.write(entry.bytes, entryColor, m_colors.receiveFunc, entry.time);
        if (timer.nsecsElapsed() >= budgetNs)
            return m_queue.isEmpty() && !m_queue.isDropping();
    }
    if (m_queue.isDropping())
        showDropReport();
    return true;
}

void ReceivePath::showDropReport()
{
    // The clock's fraction is kept to single precision, as the report always has shown it.
    const float now = float(secondsSinceMidnight(m_clock.now()));
    double elapsed = double(now) - m_dropStartTime;
    constexpr double Day = 24 * 60 * 60;
    if (elapsed < -Day / 2)
        elapsed += Day; // dropping began before midnight
    QByteArray seconds = QByteArray::number(elapsed, 'g', 15);
    if (seconds.startsWith("0."))
        seconds.remove(0, 1);
    else if (seconds.startsWith("-0."))
        seconds.remove(1, 1);

    const QByteArray &lineEnd = m_options.breakCharacter();
    const QByteArray lines[] = {lineEnd,
                                "......Input Buffer OverFlow..........",
                                lineEnd,
                                "Last " + seconds + " Seconds dropped",
                                lineEnd,
                                ".....................................",
                                lineEnd};
    for (const QByteArray &line : lines)
        m_model.putInDisplay(line, ColorValue::Red, lineEnd);
    m_queue.endDropping();
    emit droppingReported();
}
