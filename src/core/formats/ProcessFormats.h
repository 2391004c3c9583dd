#pragma once
#include <QDate>
#include <QString>
#include <QTime>

// The program's own formats for dates, times and amounts, the same whatever
// the regional settings of the machine say. Qt's locales cannot take a
// pattern of our own, and the Italian short date has a two-digit year, so
// dates and times are written through here.
namespace ProcessFormats {

// Installs the process-wide conventions: Italian locale, decimal comma, no
// digit grouping. Called once as the program starts; never undone.
void apply();

// "dd/MM/yyyy": two-digit day and month, four-digit year.
QString shortDate(const QDate& date);
// Hours, minutes and seconds: "HH:mm:ss".
QString longTime(const QTime& time);

} // namespace ProcessFormats
