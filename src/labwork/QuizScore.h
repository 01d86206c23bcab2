#pragma once

namespace kelvo {

// The share of right answers in percent that a check reports: right / total × 100 in double
// precision, and 0 for a quiz without questions (no division).
inline double quizPercent(int right, int total)
{
    return total >= 1 ? double(right) / double(total) * 100.0 : 0.0;
}

} // namespace kelvo
