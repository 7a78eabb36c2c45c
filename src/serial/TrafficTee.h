#pragma once

#include "TrafficRecorder.h"

#include <initializer_list>
#include <vector>

// Hands what it hears to each of its recorders in turn, so that several can
// listen to one port. It does not own them.
class TrafficTee : public TrafficRecorder
{
public:
    TrafficTee(std::initializer_list<TrafficRecorder *> recorders) : m_recorders(recorders) {}

    void received(QByteArrayView data) override
    {
        for (TrafficRecorder *recorder : m_recorders)
            recorder->received(data);
    }
    void sent(QByteArrayView data) override
    {
        for (TrafficRecorder *recorder : m_recorders)
            recorder->sent(data);
    }
    void event(const QString &text) override
    {
        for (TrafficRecorder *recorder : m_recorders)
            recorder->event(text);
    }

private:
    std::vector<TrafficRecorder *> m_recorders;
};
