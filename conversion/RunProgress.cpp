#include "conversion/RunProgress.h"

#include <cmath>

int progressPercent(int index, int count)
{
    if (count < 2) {
        return -1;
    }
    const double quotient = static_cast<double>(index) / static_cast<double>(count - 1);
    return static_cast<int>(std::floor(quotient * 100.0));
}
