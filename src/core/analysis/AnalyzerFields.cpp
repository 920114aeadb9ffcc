#include "analysis/AnalyzerFields.h"

namespace AnalyzerFields {

double number(const QString& text)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    return ok ? v : 0.0;
}

QString numberText(double v)
{
    return QString::number(v, 'g', 6);
}

QString percentText(double v)
{
    return QString::asprintf("%5.2f", v);
}

QString shortText(double v)
{
    return numberText(v).left(5);
}

bool victoreenFromText(const QString& isVic)
{
    if (isVic.isEmpty() || isVic.toUpper() == QLatin1String("VIC"))
        return true;
    bool ok = false;
    const int n = isVic.toInt(&ok);
    return ok && n > 0;
}

}
