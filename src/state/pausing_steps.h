#pragma once

#include <cstdint>
#include <functional>

namespace vektrano {

// Counts the steps of a long walk that does not yield and calls pause after every
// so many of them, so the window may repaint. An empty pause costs a count only.
class PausingSteps
{
public:
    PausingSteps(const std::function<void()>& pause, std::uint64_t stepsPerPause)
        : pause_(pause)
        , every_(stepsPerPause)
        , left_(stepsPerPause)
    {}

    void Step()
    {
        if (--left_ != 0)
            return;
        left_ = every_;
        if (pause_)
            pause_();
    }

private:
    const std::function<void()>& pause_;
    std::uint64_t every_;
    std::uint64_t left_;
};

} // namespace vektrano
