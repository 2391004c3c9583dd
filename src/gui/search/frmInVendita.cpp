#include "gui/search/frmInVendita.h"

#include <QLineEdit>
#include <QPushButton>

#include "core/archive/Archivio.h"
#include "core/search/Ricerca.h"
#include "gui/search/SummaryList.h"
#include "gui/widgets/FailureMessages.h"

QString TfrmInVendita::UltimaRicerca;

TfrmInVendita::TfrmInVendita(QWidget* owner, const QString& archivePath)
    : TfrmRiepilogo(owner, archivePath, QStringLiteral("frmInVendita"),
                    QStringLiteral(" Riepilogo modellini in vendita"), QStringLiteral(":/pictures/forsale_banner.svg"),
                    QStringLiteral("MODELLINI IN VENDITA"), QStringLiteral("Riepilogo modellini in vendita"),
                    UltimaRicerca)
{
    setTabOrder(txtTrova, lstRecords);
    setTabOrder(lstRecords, btnStampa);
    setTabOrder(btnStampa, btnTrova);
    setTabOrder(btnTrova, btnChiudi);
}

void TfrmInVendita::FormShow()
{
    TfrmRiepilogo::FormShow();
    subCostruisciElenco();
    txtTrova->setFocus();
}

void TfrmInVendita::subCostruisciElenco()
{
    std::vector<RigaElenco> lines;
    try {
        ScansionaArchivio(archivePath(), InVenditaElencabile, lines);
    } catch (const EArchivioError& e) {
        // The listing stays silent: it shows the lines read before the failure.
        FailureMessages::log(e.failure());
    }
    showLines(std::move(lines));
}
