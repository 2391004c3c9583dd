#include "gui/search/SummaryReport.h"

#include <QDateTime>

#include "gui/widgets/Dialogs.h"

ReportOutput::Result TSummaryReport::stampa(QWidget* parent, const QString& titolo, const QStringList& righe)
{
    m_layout.fill(titolo, righe, QDateTime::currentDateTime());
    const ReportOutput::Result result = ReportOutput::print(parent, m_layout);
    if (result == ReportOutput::Result::Failed)
        Dialogs::warning(parent, ReportOutput::printFailedMessage());
    return result;
}
