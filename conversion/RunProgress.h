#pragma once

// done of total as a percentage: done / total, in double precision, times 100, rounded down; -1 when total is 0.
[[nodiscard]] int percentOf(int done, int total);

// The run's percentage for entry index of count: index / (count - 1), as percentOf() gives it. With a single entry
// there is no percentage (the divisor is zero): returns -1.
[[nodiscard]] int progressPercent(int index, int count);
