#include "core/conversion.h"

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

}  // namespace nesmo
