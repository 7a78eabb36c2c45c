#pragma once

#include <QByteArray>
#include <QColor>

#include <limits>

class DisplayModel;

// The local time of day of a moment, "hh:mm:ss.mmm", for time stamps on
// screen. Moments are milliseconds since the epoch. The zone's offset is
// looked up once per quarter of an hour of time, so formatting many moments
// close together costs little.
class TimeStampText
{
public:
    static constexpr qsizetype Length = 12;

    void appendTo(QByteArray &text, qint64 msecs);
    QByteArray operator()(qint64 msecs);
    // The display text from position, as shown with time stamps: each line
    // with characters in it is led by its time and a blank.
    QByteArray stamped(const DisplayModel &model, qsizetype position, qsizetype count);

    // A dimmed color that still reads on the background.
    static QColor colorOn(const QColor &background);

private:
    qint64 m_quarter = std::numeric_limits<qint64>::min();
    qint64 m_offsetMs = 0;
};
