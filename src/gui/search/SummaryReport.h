#pragma once
#include <QStringList>

#include "core/report/SummaryLayout.h"
#include "gui/widgets/ReportOutput.h"

class QWidget;

// The summary report a listing window holds as its frxReport: "Stampa" prints
// the window's list, in the order the list shows it, straight to the printer
// chosen in the printer dialog, without a preview.
class TSummaryReport {
public:
    // Fills the layout with `title` and `lines` and the moment of printing,
    // then prints. A failed print is reported to the user here.
    ReportOutput::Result print(QWidget* parent, const QString& title, const QStringList& lines);

    TSummaryLayout& layout() { return m_layout; }

private:
    TSummaryLayout m_layout;
};
