#pragma once
// Steps run one per event-loop pass while a nested loop (a drag, a menu) runs; a step answering
// false is tried again on the next pass. Steps still waiting after many passes fail the test,
// and the end step (Escape to the given widget by default) is sent so the loop ends.
#include "../platform/InputSim.h"

#include <QTimer>
#include <deque>
#include <functional>
#include <gtest/gtest.h>

class ScriptSteps
{
public:
    using Step = std::function<bool()>;
    explicit ScriptSteps(std::function<void()> bail) : bail_(std::move(bail))
    {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    }
    ScriptSteps &Then(Step s)
    {
        steps_.push_back(std::move(s));
        return *this;
    }
    ScriptSteps &Do(std::function<void()> f)
    {
        return Then([f] {
            f();
            return true;
        });
    }
    void Start() { timer_.start(); }
    bool Done() const { return steps_.empty(); }

private:
    void Tick()
    {
        if (steps_.empty()) {
            timer_.stop();
            return;
        }
        if (steps_.front()()) {
            steps_.pop_front();
            tries_ = 0;
        } else if (++tries_ > 500) {
            ADD_FAILURE() << "a scripted step never came true (" << steps_.size() << " left)";
            steps_.clear();
            bail_();
        }
    }
    std::deque<Step> steps_;
    std::function<void()> bail_;
    QTimer timer_;
    int tries_ = 0;
};
