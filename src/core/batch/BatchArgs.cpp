#include "batch/BatchArgs.h"

#include <cmath>

namespace BatchArgs {

int toInt(const QString& text)
{
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    return ok ? v : 0;
}

double toDouble(const QString& text)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    // "nan" and "inf" read as numbers but would put non-numbers into fields
    // that later feed arithmetic; they count as "not a number" here.
    return ok && std::isfinite(v) ? v : 0.0;
}

bool toFlag(const QString& text)
{
    return toInt(text) == 1;
}

QString fieldText(int n)
{
    return QString::number(n);
}

QString fieldText(double x)
{
    return QString::number(x, 'g', 6);
}

}
