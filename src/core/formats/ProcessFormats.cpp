#include "core/formats/ProcessFormats.h"

#include <QLocale>

namespace ProcessFormats {

void apply()
{
    QLocale locale(QLocale::Italian, QLocale::Italy);
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(locale);
}

QString shortDate(const QDate& date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

QString longTime(const QTime& time)
{
    return time.toString(QStringLiteral("HH:mm:ss"));
}

} // namespace ProcessFormats
