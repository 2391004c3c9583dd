#include "gui/search/SummaryReport.h"

#include <QDateTime>

#include "gui/widgets/Dialogs.h"

ReportOutput::Result TSummaryReport::print(QWidget* parent, const QString& title, const QStringList& lines)
{
    m_layout.fill(title, lines, QDateTime::currentDateTime());
    const ReportOutput::Result result = ReportOutput::print(parent, m_layout);
    if (result == ReportOutput::Result::Failed)
        Dialogs::warning(parent, ReportOutput::printFailedMessage());
    return result;
}
