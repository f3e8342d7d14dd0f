// The end of a time budget given in milliseconds, zero meaning none.
#pragma once

#include <algorithm>
#include <chrono>

namespace Zanto::Platform {

class Deadline
{
public:
    using Clock = std::chrono::steady_clock;

    explicit Deadline(std::chrono::milliseconds budget)
        : m_limited(budget.count() > 0), m_end(Clock::now() + budget)
    { }

    bool limited() const { return m_limited; }
    bool passed() const { return m_limited && Clock::now() >= m_end; }
    // When the budget runs out; meaningful only when limited().
    Clock::time_point end() const { return m_end; }

    // Milliseconds left for poll(): -1 without a limit, else 0 or more,
    // rounded up so that a poll never returns before the deadline.
    int pollTimeout() const
    {
        if (!m_limited)
            return -1;
        const auto left = m_end - Clock::now();
        if (left <= Clock::duration::zero())
            return 0;
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
        return static_cast<int>(std::min<long long>(ms, 1 << 30));
    }

    // At most step milliseconds, and no further than the deadline.
    int pollTimeout(int step) const
    {
        const int left = pollTimeout();
        return left < 0 ? step : std::min(left, step);
    }

private:
    bool m_limited;
    Clock::time_point m_end;
};

} // namespace Zanto::Platform
