#include "gui/widgets/ReportOutput.h"

#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QPrintPreviewWidget>
#include <QScreen>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "core/report/Report.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/Pictures.h"

namespace {

constexpr int kZoomSteps[] = {25, 50, 75, 100, 125, 150, 200, 300, 400};

void setUpPrinter(QPrinter& printer, const TReport& report)
{
    printer.setDocName(report.name());
    printer.setCopyCount(1);
    printer.setPrintRange(QPrinter::AllPages);
    if (report.preparedPageCount() > 0)
        printer.setPageLayout(report.preparedPageLayout(0));
}

} // namespace

namespace ReportOutput {

Result print(QWidget* parent, const TReport& report)
{
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer, report);
    if (!Dialogs::printer(parent, printer))
        return Result::Cancelled;
    const bool printed = report.print(printer) && printer.printerState() != QPrinter::Error;
    return printed ? Result::Printed : Result::Failed;
}

bool preview(QWidget* parent, const TReport& report)
{
    if (report.preparedPageCount() == 0)
        return false;
    TReportPreview window(report, parent);
    window.exec();
    return !window.failed();
}

QString printFailedMessage()
{
    return QStringLiteral("Attenzione: la stampa non è andata a buon fine.\r\n\r\n"
                          "Verificare che la stampante sia accesa e collegata, oppure scegliere la stampa su "
                          "file PDF nella finestra di stampa.");
}

} // namespace ReportOutput

TReportPreview::TReportPreview(const TReport& report, QWidget* owner)
    : QDialog(owner), m_report(report), m_printer(QPrinter::HighResolution)
{
    setObjectName(QStringLiteral("frmAnteprimaReport"));
    setWindowTitle(QStringLiteral(" Anteprima di stampa - ") + report.name());
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMaximizeButtonHint);
    setUpPrinter(m_printer, report);

    barComandi = new QToolBar(this);
    barComandi->setObjectName(QStringLiteral("barComandi"));
    barComandi->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    barComandi->setIconSize(QSize(24, 24));
    auto icon = [this](const char* name) {
        return QIcon(Pictures::pixmap(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name)), QSize(24, 24),
                                      devicePixelRatioF()));
    };

    actStampa = barComandi->addAction(icon("print"), QStringLiteral("Stampa"));
    actStampa->setObjectName(QStringLiteral("actStampa"));
    barComandi->addSeparator();
    actZoomMeno = barComandi->addAction(QStringLiteral("−"));
    actZoomMeno->setObjectName(QStringLiteral("actZoomMeno"));
    actZoomMeno->setToolTip(QStringLiteral("Riduci"));
    cmbZoom = new QComboBox(barComandi);
    cmbZoom->setObjectName(QStringLiteral("cmbZoom"));
    for (int step : kZoomSteps)
        cmbZoom->addItem(QStringLiteral("%1 %").arg(step), step);
    barComandi->addWidget(cmbZoom)->setObjectName(QStringLiteral("actZoom"));
    actZoomPiu = barComandi->addAction(QStringLiteral("+"));
    actZoomPiu->setObjectName(QStringLiteral("actZoomPiu"));
    actZoomPiu->setToolTip(QStringLiteral("Ingrandisci"));
    barComandi->addSeparator();
    actSchermoIntero = barComandi->addAction(icon("fullscreen"), QStringLiteral("Schermo intero"));
    actSchermoIntero->setObjectName(QStringLiteral("actSchermoIntero"));
    actSchermoIntero->setCheckable(true);
    actChiudi = barComandi->addAction(icon("close_red"), QStringLiteral("Chiudi"));
    actChiudi->setObjectName(QStringLiteral("actChiudi"));

    prvPagine = new QPrintPreviewWidget(&m_printer, this);
    prvPagine->setObjectName(QStringLiteral("prvPagine"));
    prvPagine->setViewMode(QPrintPreviewWidget::SinglePageView);
    connect(prvPagine, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* printer) {
        if (!m_report.print(*printer) && !m_failed) {
            m_failed = true;
            // Nothing worth looking at: the owner says what went wrong.
            QTimer::singleShot(0, this, &QDialog::reject);
        }
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(barComandi);
    layout->addWidget(prvPagine, 1);

    connect(actStampa, &QAction::triggered, this, &TReportPreview::actStampaClick);
    connect(actZoomMeno, &QAction::triggered, this, [this] {
        int previous = kZoomSteps[0];
        for (int step : kZoomSteps)
            if (step < qRound(prvPagine->zoomFactor() * 100))
                previous = step;
        setZoomPercent(previous);
    });
    connect(actZoomPiu, &QAction::triggered, this, [this] {
        for (int step : kZoomSteps)
            if (step > qRound(prvPagine->zoomFactor() * 100)) {
                setZoomPercent(step);
                return;
            }
    });
    connect(cmbZoom, &QComboBox::activated, this,
            [this](int index) { setZoomPercent(cmbZoom->itemData(index).toInt()); });
    connect(actSchermoIntero, &QAction::toggled, this, &TReportPreview::actSchermoInteroClick);
    connect(actChiudi, &QAction::triggered, this, &QDialog::reject);

    if (QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        resize(available.size() * 9 / 10);
        move(available.center() - rect().center());
    }
    setZoomPercent(100);
}

void TReportPreview::setZoomPercent(int percent)
{
    prvPagine->setZoomMode(QPrintPreviewWidget::CustomZoom);
    prvPagine->setZoomFactor(percent / 100.0);
    showZoom();
}

void TReportPreview::showZoom()
{
    const int percent = qRound(prvPagine->zoomFactor() * 100);
    const int index = cmbZoom->findData(percent);
    if (index >= 0)
        cmbZoom->setCurrentIndex(index);
}

void TReportPreview::actStampaClick()
{
    switch (ReportOutput::print(this, m_report)) {
    case ReportOutput::Result::Printed: accept(); break;
    case ReportOutput::Result::Failed: Dialogs::warning(this, ReportOutput::printFailedMessage()); break;
    case ReportOutput::Result::Cancelled: break;
    }
}

void TReportPreview::actSchermoInteroClick(bool on)
{
    if (on)
        showFullScreen();
    else
        showNormal();
}
