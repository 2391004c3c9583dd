#include "core/report/SummaryLayout.h"

#include "core/formats/ProcessFormats.h"

namespace {
const QColor kSlateGrey(0x70, 0x80, 0x90);
} // namespace

TSummaryLayout::TSummaryLayout() : TReport(QStringLiteral("Riepilogo dati"))
{
    TReportPage* page = addPage(QStringLiteral("Page"), QPageLayout::Landscape, 10);

    TReportBand* title = page->addBand(TReportBand::Kind::ReportTitle, QStringLiteral("ReportTitle"), 8);
    auto* txtTitolo = title->add(std::make_unique<TReportText>(
        QStringLiteral("txtTitolo"), QRectF(2, 1, 273, 5),
        Report::font(QStringLiteral("Verdana"), QFont::SansSerif, 9, true), QStringLiteral("Riepilogo")));
    txtTitolo->setTextColor(Qt::white);
    txtTitolo->setFillColor(kSlateGrey);
    txtTitolo->setAlignment(Qt::AlignCenter);

    TReportBand* data = page->addBand(TReportBand::Kind::MasterData, QStringLiteral("MasterData"), 28);
    data->setAllowSplit(true);
    auto* txtRiepilogo = data->add(
        std::make_unique<TReportText>(QStringLiteral("txtRiepilogo"), QRectF(3, 0, 273, 27),
                                      Report::fixedPitchFont(QStringLiteral("Courier New"), 8)));
    txtRiepilogo->setLineHeightMm(Report::unitsToMm(kLineUnits));
    txtRiepilogo->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    TReportBand* footer = page->addBand(TReportBand::Kind::Footer, QStringLiteral("Footer"), 8);
    auto* txtPagina = footer->add(
        std::make_unique<TReportText>(QStringLiteral("txtPagina"), QRectF(3, 2, 272, 5),
                                      Report::font(QStringLiteral("Verdana"), QFont::SansSerif, 8, true),
                                      QStringLiteral("Stampa eseguita in data [DATE]")));
    txtPagina->setTextColor(Qt::white);
    txtPagina->setFillColor(kSlateGrey);
    txtPagina->setAlignment(Qt::AlignCenter);
}

QString TSummaryLayout::printLine(const QDateTime& when)
{
    return QStringLiteral("Stampa eseguita in data ") + ProcessFormats::shortDate(when.date())
           + QStringLiteral(" alle ore ") + ProcessFormats::longTime(when.time());
}

void TSummaryLayout::fill(const QString& title, const QStringList& lines, const QDateTime& when)
{
    find<TReportText>(QStringLiteral("txtTitolo"))->setText(title);
    find<TReportText>(QStringLiteral("txtPagina"))->setText(printLine(when));
    TReportText* txtRiepilogo = find<TReportText>(QStringLiteral("txtRiepilogo"));
    txtRiepilogo->setLines(lines);
    const double heightUnits = double(lines.size()) * kLineUnits;
    txtRiepilogo->setHeight(Report::unitsToMm(heightUnits));
    findBand(QStringLiteral("MasterData"))->setHeight(Report::unitsToMm(heightUnits + kBandPaddingUnits));
    prepare();
}
