#include "TimeStampText.h"

#include "DisplayModel.h"

#include <QDateTime>

#include <cmath>

namespace {
constexpr qint64 QuarterMs = 15 * 60 * 1000;
constexpr qint64 DayMs = 24 * 60 * 60 * 1000;

qint64 floorDivide(qint64 value, qint64 divisor)
{
    const qint64 quotient = value / divisor;
    return quotient * divisor > value ? quotient - 1 : quotient;
}
} // namespace

void TimeStampText::appendTo(QByteArray &text, qint64 msecs)
{
    // Zones change their offset only on a quarter of an hour.
    const qint64 quarter = floorDivide(msecs, QuarterMs);
    if (quarter != m_quarter) {
        m_quarter = quarter;
        m_offsetMs = qint64(QDateTime::fromMSecsSinceEpoch(msecs).offsetFromUtc()) * 1000;
    }
    const qint64 ofDay = msecs + m_offsetMs - floorDivide(msecs + m_offsetMs, DayMs) * DayMs;
    const auto two = [&text](qint64 value) {
        text += char('0' + value / 10);
        text += char('0' + value % 10);
    };
    two(ofDay / 3600000);
    text += ':';
    two(ofDay / 60000 % 60);
    text += ':';
    two(ofDay / 1000 % 60);
    text += '.';
    text += char('0' + ofDay % 1000 / 100);
    two(ofDay % 100);
}

QByteArray TimeStampText::operator()(qint64 msecs)
{
    QByteArray text;
    text.reserve(Length);
    appendTo(text, msecs);
    return text;
}

QByteArray TimeStampText::stamped(const DisplayModel &model, qsizetype position, qsizetype count)
{
    position = std::clamp<qsizetype>(position, 0, model.length());
    const qsizetype end = position + std::clamp<qsizetype>(count, 0, model.length() - position);
    QByteArray text;
    for (qsizetype line = model.lineOf(position); line < model.lineCount(); ++line) {
        const qsizetype from = std::max(position, model.lineStart(line));
        if (from >= end)
            break;
        const qsizetype to =
            line + 1 < model.lineCount() ? std::min(end, model.lineStart(line + 1)) : end;
        if (model.lineTime(line) != DisplayModel::NoTime) {
            appendTo(text, model.lineTime(line));
            text += ' ';
        }
        text += model.textView(from, to - from);
    }
    return text;
}

QColor TimeStampText::colorOn(const QColor &background)
{
    // Relative luminance and contrast as the web's accessibility guide counts them.
    const auto luminance = [](const QColor &color) {
        const auto linear = [](qreal value) {
            return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) +
               0.0722 * linear(color.blueF());
    };
    const auto contrast = [&](const QColor &a, const QColor &b) {
        const qreal first = luminance(a);
        const qreal second = luminance(b);
        return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
    };
    // Part of the way from the background to black or white, whichever stands
    // out more, and as far as a contrast of 3:1 needs.
    const QColor far = contrast(Qt::white, background) >= contrast(Qt::black, background)
                           ? QColor(Qt::white)
                           : QColor(Qt::black);
    constexpr qreal MinimumContrast = 3;
    QColor mixed;
    for (qreal share = 0.55; share <= 1.0; share += 0.05) {
        const auto mix = [share](int from, int to) {
            return int(from + (to - from) * share + 0.5);
        };
        mixed = QColor(mix(background.red(), far.red()), mix(background.green(), far.green()),
                       mix(background.blue(), far.blue()));
        if (contrast(mixed, background) >= MinimumContrast)
            break;
    }
    return mixed;
}
