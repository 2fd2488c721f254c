#include "services/numbertext.h"

#include <cmath>

namespace tavelon {

double numberValueOf(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text.at(i) == u' ' || text.at(i) == u'\t'))
        ++i;
    const qsizetype start = i;
    if (i < n && (text.at(i) == u'+' || text.at(i) == u'-'))
        ++i;
    bool digits = false;
    while (i < n && text.at(i).isDigit() && text.at(i).unicode() < 128) {
        ++i;
        digits = true;
    }
    if (i < n && text.at(i) == u'.') {
        ++i;
        while (i < n && text.at(i).isDigit() && text.at(i).unicode() < 128) {
            ++i;
            digits = true;
        }
    }
    if (!digits)
        return 0.0;
    bool ok = false;
    const double v = text.mid(start, i - start).toDouble(&ok);
    return ok && std::isfinite(v) ? v : 0.0;
}

double roundHalfEven(double v)
{
    return std::nearbyint(v); // the default rounding mode rounds halves to even
}

std::optional<int> integerValueOf(const QString &text)
{
    const double r = roundHalfEven(numberValueOf(text));
    if (r < -32768.0 || r > 32767.0)
        return std::nullopt;
    return int(r);
}

} // namespace tavelon
