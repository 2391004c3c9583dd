#pragma once
#include <QDialog>
#include <QPrinter>

class QAction;
class QComboBox;
class QPrintPreviewWidget;
class QToolBar;
class TReport;

// Printing and previewing a prepared report: the printer dialog (through the
// dialog seam), the printer, and the preview window.
namespace ReportOutput {

enum class Result { Printed, Cancelled, Failed };

// The printer dialog on the default printer, one copy, all pages, then every
// prepared page. Failed when the printer could not be opened or reported an
// error; the caller tells the user.
Result print(QWidget* parent, const TReport& report);

// The prepared report in the modal preview window, at 100 %. False when its
// pages could not be drawn.
bool preview(QWidget* parent, const TReport& report);

// The general warning for a print that did not come out.
QString printFailedMessage();

} // namespace ReportOutput

// The preview window: the pages as they will print, with print, zoom, full
// screen and close, and nothing that edits the report or the page.
class TReportPreview : public QDialog {
    Q_OBJECT
public:
    TReportPreview(const TReport& report, QWidget* owner);

    // True when drawing the pages failed.
    bool failed() const { return m_failed; }

    void actStampaClick();
    void actSchermoInteroClick(bool on);

private:
    QToolBar* barComandi;
    QAction* actStampa;
    QAction* actZoomMeno;
    QComboBox* cmbZoom;
    QAction* actZoomPiu;
    QAction* actSchermoIntero;
    QAction* actChiudi;
    QPrintPreviewWidget* prvPagine;

    void showZoom();
    void setZoomPercent(int percent);

    const TReport& m_report;
    QPrinter m_printer;
    bool m_failed = false;
};
