// The serial layer's receive poll on a Qt timer: ticks arrive on the
// user-interface thread.
#pragma once

#include <QTimer>

#include "comm/comm_port_driver.h"

class QtPollTimer : public tolva::PollTimer {
public:
    void Start(int periodMs, std::function<void()> tick) override {
        timer_.disconnect();
        QObject::connect(&timer_, &QTimer::timeout, std::move(tick));
        timer_.start(periodMs);
    }
    void Stop() override { timer_.stop(); }

private:
    QTimer timer_;
};
