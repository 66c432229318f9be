#include "core/conversion.h"

#include "core/number_pattern.h"

namespace nesmo {

int strToInt(const QString& text)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok, 10);
    if (!ok)
        throw ConversionError(
            QStringLiteral("'%1' is not a valid integer value").arg(text).toStdString());
    return v;
}

int strToIntDef(const QString& text, int defaultValue)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok, 10);
    return ok ? v : defaultValue;
}

double strToFloat(const QString& text)
{
    const std::optional<double> v = pattern::parseReal(text);
    if (!v)
        throw ConversionError(
            QStringLiteral("'%1' is not a valid floating point value").arg(text).toStdString());
    return *v;
}

}  // namespace nesmo
