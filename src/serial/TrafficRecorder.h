#pragma once

#include <QByteArrayView>
#include <QString>

// Hears everything that crosses the line as the port sees it: every byte read
// from the device (before any queue that may drop), every byte handed to the
// device, and every line event, in the order they happen.
class TrafficRecorder
{
public:
    virtual ~TrafficRecorder() = default;
    virtual void received(QByteArrayView data) = 0;
    virtual void sent(QByteArrayView data) = 0;
    // A line event, a device loss or a change of the port, in words.
    virtual void event(const QString &text) = 0;
};
