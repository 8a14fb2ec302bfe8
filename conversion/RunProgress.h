#pragma once

// The run's percentage for entry index of count: index / (count - 1), in double precision, times 100, rounded down.
// With a single entry there is no percentage (the divisor is zero): returns -1.
[[nodiscard]] int progressPercent(int index, int count);
