#include "imagelist/NaturalOrder.h"

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The digit run starting at from, without its leading zeros; from is left just past the run.
QStringView digitRun(QStringView text, qsizetype& from)
{
    const qsizetype start = from;
    while (from < text.size() && isDigit(text[from])) {
        ++from;
    }
    qsizetype significant = start;
    while (significant < from - 1 && text[significant] == QLatin1Char('0')) {
        ++significant;
    }
    return text.mid(significant, from - significant);
}

int sign(qsizetype value)
{
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

} // namespace

int naturalCompare(QStringView a, QStringView b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            // Numbers of any length: the one with more significant digits is larger, else the first digit that
            // differs decides.
            const QStringView x = digitRun(a, i);
            const QStringView y = digitRun(b, j);
            if (x.size() != y.size()) {
                return sign(x.size() - y.size());
            }
            if (const int order = x.compare(y); order != 0) {
                return sign(order);
            }
            continue;
        }
        const char32_t x = a[i].toCaseFolded().unicode();
        const char32_t y = b[j].toCaseFolded().unicode();
        if (x != y) {
            return x < y ? -1 : 1;
        }
        ++i;
        ++j;
    }
    return sign((a.size() - i) - (b.size() - j));
}
