#pragma once
// Steps run one per event-loop pass while a nested loop (a drag, a menu) runs; a step answering
// false is tried again on the next pass. A step still waiting after five seconds fails the test
// and the bail-out step runs, so the loop ends.
#include "../platform/InputSim.h"

#include <QElapsedTimer>
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
    void Start()
    {
        waiting_.start();
        timer_.start();
    }
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
            waiting_.start();
        } else if (waiting_.elapsed() > 5000) {
            ADD_FAILURE() << "a scripted step never came true (" << steps_.size() << " left)";
            steps_.clear();
            bail_();
        }
    }
    std::deque<Step> steps_;
    std::function<void()> bail_;
    QTimer timer_;
    QElapsedTimer waiting_;
};
