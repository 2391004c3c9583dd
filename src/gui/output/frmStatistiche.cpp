#include "gui/output/frmStatistiche.h"

#include <QComboBox>
#include <QDateTime>
#include <QFrame>
#include <QLabel>
#include <QShowEvent>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include "core/archive/Archivio.h"
#include "core/formats/Text.h"
#include "gui/output/StatisticsChart.h"
#include "gui/search/frmElencoSchede.h"
#include "gui/widgets/Banner.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/FailureMessages.h"
#include "gui/widgets/Hints.h"
#include "gui/widgets/Look.h"
#include "gui/widgets/Panels.h"
#include "gui/widgets/PictureButton.h"
#include "gui/widgets/ReportOutput.h"

namespace {

const QColor kSlateBlue(0x6A, 0x5A, 0xCD);
const QColor kDarkCyan(0x00, 0x8B, 0x8B);

// What each total's list is called.
QString setTitle(StatisticsTotals::Set set)
{
    using Set = StatisticsTotals::Set;
    switch (set) {
    case Set::All: return QStringLiteral("tutte le schede");
    case Set::PhotoA: return QStringLiteral("con foto A");
    case Set::PhotoB: return QStringLiteral("con foto B");
    case Set::Attachment: return QStringLiteral("con allegati");
    case Set::Valued: return QStringLiteral("con un valore stimato");
    case Set::Highest: return QStringLiteral("valore più alto");
    case Set::ForSale: return QStringLiteral("in vendita");
    case Set::EmptyValue: return QStringLiteral("valore vuoto");
    case Set::NotValued: return QStringLiteral("non valutate");
    }
    return {};
}

} // namespace

TfrmStatistiche::TfrmStatistiche(QWidget* owner, const QString& archivePath, const QString& archiveName)
    : TFixedDialog(owner, QStringLiteral("frmStatistiche"), QStringLiteral(" Statistiche della collezione"),
                   QSize(980, 640), Look::steelBlue, Qt::white),
      m_archivePath(Text::trimmed(archivePath)), m_archiveName(Text::trimmed(archiveName))
{
    QFrame* panel = Panels::background(this, QRect(12, 13, 956, 614));

    QFrame* toolbar = Panels::strip(panel, QStringLiteral("shpComandi"), QRect(8, 8, 940, 65));

    imgLogo = new TBanner(QStringLiteral("imgLogo"), QStringLiteral(":/pictures/statistics_banner.svg"),
                          {QStringLiteral("STATISTICHE DELLA COLLEZIONE")}, panel);
    imgLogo->setGeometry(13, 13, 505, 55);

    lblRaggruppa = new QLabel(QStringLiteral("Raggruppa per:"), panel);
    lblRaggruppa->setObjectName(QStringLiteral("lblRaggruppa"));
    lblRaggruppa->setFont(Look::verdana(8, true));
    lblRaggruppa->setStyleSheet(QStringLiteral("color: #12336e;"));
    lblRaggruppa->setGeometry(536, 14, 250, 18);
    cmbRaggruppa = new QComboBox(panel);
    cmbRaggruppa->setObjectName(QStringLiteral("cmbRaggruppa"));
    cmbRaggruppa->setFont(Look::verdana(9));
    for (Breakdown b : kAllBreakdowns)
        cmbRaggruppa->addItem(breakdownCaption(b), int(b));
    cmbRaggruppa->setGeometry(536, 34, 250, 28);

    cmdAnteprima = new TPictureButton(QStringLiteral("cmdAnteprima"), QStringLiteral(":/icons/preview.svg"), {},
                                      TPictureButton::Style::Picture, panel);
    cmdAnteprima->setGeometry(800, 15, 46, 50);
    cmdStampa = new TPictureButton(QStringLiteral("cmdStampa"), QStringLiteral(":/icons/print.svg"), {},
                                   TPictureButton::Style::Picture, panel);
    cmdStampa->setGeometry(850, 15, 46, 50);
    cmdChiudi = new TPictureButton(QStringLiteral("cmdChiudi"), QStringLiteral(":/icons/exit.svg"), {},
                                   TPictureButton::Style::Picture, panel);
    cmdChiudi->setGeometry(902, 15, 40, 50);

    lblTotali = new QLabel(panel);
    lblTotali->setObjectName(QStringLiteral("lblTotali"));
    lblTotali->setGeometry(8, 80, 300, 466);
    lblTotali->setFont(Look::verdana(9));
    lblTotali->setWordWrap(true);
    lblTotali->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblTotali->setTextFormat(Qt::RichText);
    lblTotali->setStyleSheet(QStringLiteral("QLabel#lblTotali { color: #1F2A3A; background: white; border: 1px solid "
                                            "#87CEEB; border-radius: 6px; padding: 8px; }"));

    imgGrafico = new TStatisticsChart(QStringLiteral("imgGrafico"), panel);
    imgGrafico->setGeometry(316, 80, 632, 466);

    lblAvanzamento = new QLabel(panel);
    lblAvanzamento->setObjectName(QStringLiteral("lblAvanzamento"));
    lblAvanzamento->setFont(Look::verdana(9, true));
    lblAvanzamento->setStyleSheet(QStringLiteral("color: %1;").arg(kDarkCyan.name()));
    lblAvanzamento->setAlignment(Qt::AlignCenter);
    lblAvanzamento->setGeometry(8, 550, 940, 20);

    auto* statusBar = new QFrame(panel);
    statusBar->setObjectName(QStringLiteral("shpInfo"));
    statusBar->setGeometry(8, 574, 940, 32);
    statusBar->setStyleSheet(
        QStringLiteral("QFrame#shpInfo { background: %1; border-radius: 4px; }").arg(kSlateBlue.name()));
    panInfo = new QLabel(QStringLiteral("Statistiche della collezione ") + m_archiveName + QLatin1Char('.'), panel);
    panInfo->setObjectName(QStringLiteral("panInfo"));
    panInfo->setFont(Look::tahoma(12));
    panInfo->setStyleSheet(QStringLiteral("QLabel#panInfo { color: white; background: transparent; }"));
    panInfo->setGeometry(14, 580, 928, 20);

    m_hints = new THints(panInfo, this);
    m_hints->addBackground(panel);
    m_hints->addBackground(toolbar);
    m_hints->addBackground(statusBar);
    m_hints->addCommand(cmdAnteprima, QStringLiteral("Anteprima di stampa delle statistiche."));
    m_hints->addCommand(cmdStampa, QStringLiteral("Stampa le statistiche."));
    m_hints->addCommand(cmdChiudi, QStringLiteral("Chiude la finestra delle statistiche."));
    m_hints->addCommand(cmbRaggruppa, QStringLiteral("Sceglie come raggruppare le schede nel grafico."));
    m_hints->addCommand(lblTotali, QStringLiteral("Fare clic su un totale per vedere l'elenco delle sue schede."));
    m_hints->addCommand(imgGrafico, QStringLiteral("Fare clic su una barra per vedere l'elenco delle sue schede."));

    for (QWidget* w : std::initializer_list<QWidget*>{cmbRaggruppa, cmdAnteprima, cmdStampa})
        w->setEnabled(false);

    m_progressTimer = new QTimer(this);
    m_progressTimer->setInterval(100);
    connect(m_progressTimer, &QTimer::timeout, this, &TfrmStatistiche::showProgress);
    connect(&m_watcher, &QFutureWatcherBase::finished, this, &TfrmStatistiche::finished);
    connect(cmbRaggruppa, &QComboBox::currentIndexChanged, this, &TfrmStatistiche::cmbRaggruppaChange);
    connect(cmdAnteprima, &QAbstractButton::clicked, this, &TfrmStatistiche::cmdAnteprimaClick);
    connect(cmdStampa, &QAbstractButton::clicked, this, &TfrmStatistiche::cmdStampaClick);
    connect(cmdChiudi, &QAbstractButton::clicked, this, &TfrmStatistiche::cmdChiudiClick);
    connect(lblTotali, &QLabel::linkActivated, this, &TfrmStatistiche::lblTotaliLinkClick);
    connect(imgGrafico, &TStatisticsChart::barClicked, this, &TfrmStatistiche::imgGraficoClick);

    lblAvanzamento->setText(QStringLiteral("Calcolo delle statistiche in corso..."));
}

TfrmStatistiche::~TfrmStatistiche()
{
    // The worker stops at its next block; it must not outlive what it reports to.
    if (m_work)
        m_work->stop = true;
    m_watcher.waitForFinished();
}

Breakdown TfrmStatistiche::breakdown() const
{
    return Breakdown(cmbRaggruppa->currentData().toInt());
}

void TfrmStatistiche::showEvent(QShowEvent* event)
{
    TFixedDialog::showEvent(event);
    if (!event->spontaneous() && !m_started)
        start();
}

void TfrmStatistiche::start()
{
    m_started = true;
    m_work = std::make_shared<Work>();
    const TCollectionStatistics::PhotoNames photos = TCollectionStatistics::PhotoNames::of(m_archiveName);
    m_watcher.setFuture(QtConcurrent::run([work = m_work, path = m_archivePath, photos] {
        try {
            auto statistics = std::make_shared<TCollectionStatistics>(
                TCollectionStatistics::compute(path, photos, [&work](qint32 done, qint32 total) {
                    work->done = done;
                    work->total = total;
                    return !work->stop.load();
                }));
            return std::shared_ptr<const TCollectionStatistics>(std::move(statistics));
        } catch (const EArchivioError& e) {
            work->failure = e.failure();
            work->failed = true;
            return std::shared_ptr<const TCollectionStatistics>();
        }
    }));
    m_progressTimer->start();
    showProgress();
}

void TfrmStatistiche::showProgress()
{
    if (!m_work || m_statistics)
        return;
    const qint32 total = m_work->total;
    if (total < 0)
        lblAvanzamento->setText(QStringLiteral("Calcolo delle statistiche in corso..."));
    else
        lblAvanzamento->setText(QStringLiteral("Calcolo delle statistiche in corso: %1 di %2 schede...")
                                    .arg(formatCount(m_work->done), formatCount(total)));
}

void TfrmStatistiche::finished()
{
    m_progressTimer->stop();
    if (m_work->stop)
        return;
    if (m_work->failed || !m_watcher.future().result()) {
        lblAvanzamento->setText(QStringLiteral("Impossibile leggere l'archivio."));
        FailureMessages::show(this, m_work->failure);
        return;
    }
    m_statistics = m_watcher.future().result();
    lblAvanzamento->setText(QStringLiteral("Fare clic su un totale o su una barra per vedere l'elenco delle schede."));
    for (QWidget* w : std::initializer_list<QWidget*>{cmbRaggruppa, cmdAnteprima, cmdStampa})
        w->setEnabled(true);
    showTotals();
    cmbRaggruppaChange();
    emit computed();
}

void TfrmStatistiche::showTotals()
{
    QString html = QStringLiteral("<p style=\"font-weight:bold; color:#12336e; font-size:11pt;\">")
                   + m_archiveName.toHtmlEscaped() + QStringLiteral("</p>");
    for (const TotalsLine& line : totalsLines(m_statistics->totals())) {
        html += QStringLiteral("<p style=\"margin-bottom:6px;\"><a style=\"color:#1F5C99;\" href=\"%1\">%2</a></p>")
                    .arg(int(line.set))
                    .arg(line.text.toHtmlEscaped());
    }
    lblTotali->setText(html);
}

void TfrmStatistiche::cmbRaggruppaChange()
{
    if (!m_statistics)
        return;
    TStatisticsLayout::showBreakdown(imgGrafico->chart(), breakdown(), m_statistics->groups(breakdown()));
    imgGrafico->chartChanged();
}

void TfrmStatistiche::lblTotaliLinkClick(const QString& link)
{
    bool ok = false;
    const int set = link.toInt(&ok);
    if (!m_statistics || !ok || set < 0 || set >= StatisticsTotals::kSets)
        return;
    const auto which = StatisticsTotals::Set(set);
    openList(setTitle(which), m_statistics->totals().records[size_t(set)]);
}

void TfrmStatistiche::imgGraficoClick(int bar)
{
    if (!m_statistics)
        return;
    const auto& groups = m_statistics->groups(breakdown());
    if (bar < 0 || bar >= int(groups.size()))
        return;
    const StatisticsGroup& group = groups[size_t(bar)];
    openList(breakdownCaption(breakdown()) + QStringLiteral(": ") + group.label, group.records);
}

void TfrmStatistiche::openList(const QString& title, const std::vector<qint32>& records)
{
    TfrmElencoSchede list(this, m_archivePath, title, records);
    connect(&list, &TfrmRiepilogo::recordChosen, this, [this](qint32 number) {
        m_chosen = true;
        emit recordChosen(number);
    });
    list.exec();
    // The card is on the sheet: go to it, as from the find.
    if (m_chosen)
        accept();
}

void TfrmStatistiche::cmdStampaClick()
{
    if (!m_statistics)
        return;
    m_layout.fill(m_archiveName, *m_statistics, breakdown(), QDateTime::currentDateTime());
    if (ReportOutput::print(this, m_layout) == ReportOutput::Result::Failed)
        Dialogs::warning(this, ReportOutput::printFailedMessage());
}

void TfrmStatistiche::cmdAnteprimaClick()
{
    if (!m_statistics)
        return;
    m_layout.fill(m_archiveName, *m_statistics, breakdown(), QDateTime::currentDateTime());
    if (!ReportOutput::preview(this, m_layout))
        Dialogs::warning(this, ReportOutput::printFailedMessage());
}

void TfrmStatistiche::cmdChiudiClick()
{
    reject();
}

void TfrmStatistiche::done(int result)
{
    if (m_work)
        m_work->stop = true;
    TFixedDialog::done(result);
}
