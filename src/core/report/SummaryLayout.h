#pragma once
#include <QDateTime>
#include <QStringList>

#include "core/report/Report.h"

// The summary of a listing window on landscape A4: a title bar on the first
// page, the list lines in a fixed-pitch font so that the columns of the
// record lines stay aligned, and the print line after the last line.
class TSummaryLayout : public TReport {
public:
    TSummaryLayout();

    // Height of one list line, in layout units (1/96 inch), and the room
    // the data band keeps below the last line.
    static constexpr double kLineUnits = 12.822;
    static constexpr double kBandPaddingUnits = 10;

    // "Stampa eseguita in data 05/03/2024 alle ore 09:07:03"
    static QString printLine(const QDateTime& when);

    // Sets the title, the print line and the lines in the order given, sizes
    // the list to its lines and prepares the report afresh.
    void fill(const QString& title, const QStringList& lines, const QDateTime& when);
};
