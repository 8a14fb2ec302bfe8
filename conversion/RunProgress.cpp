#include "conversion/RunProgress.h"

#include <cmath>

int percentOf(int done, int total)
{
    if (total < 1) {
        return -1;
    }
    const double quotient = static_cast<double>(done) / static_cast<double>(total);
    return static_cast<int>(std::floor(quotient * 100.0));
}

int progressPercent(int index, int count)
{
    return percentOf(index, count - 1);
}
