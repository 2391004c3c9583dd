#include "gui/search/frmElencoSchede.h"

#include <QLineEdit>
#include <QPushButton>

#include "core/archive/Archivio.h"
#include "core/search/RigaRiepilogo.h"
#include "gui/search/SummaryList.h"
#include "gui/widgets/FailureMessages.h"

QString TfrmElencoSchede::UltimaRicerca;

TfrmElencoSchede::TfrmElencoSchede(QWidget* owner, const QString& archivePath, const QString& title,
                                   std::vector<qint32> records)
    : TfrmRiepilogo(owner, archivePath, QStringLiteral("frmElencoSchede"), QStringLiteral(" Schede: ") + title,
                    QStringLiteral(":/pictures/statistics_list_banner.svg"), QStringLiteral("SCHEDE DELLA STATISTICA"),
                    QStringLiteral("Riepilogo modellini: ") + title, UltimaRicerca),
      m_records(std::move(records))
{
    setTabOrder(txtTrova, lstRecords);
    setTabOrder(lstRecords, btnStampa);
    setTabOrder(btnStampa, btnTrova);
    setTabOrder(btnTrova, btnChiudi);
}

void TfrmElencoSchede::FormShow()
{
    TfrmRiepilogo::FormShow();
    subCostruisciElenco();
    txtTrova->setFocus();
}

void TfrmElencoSchede::subCostruisciElenco()
{
    // One pass over the archive in blocks, keeping the listed numbers.
    qint32 highest = 0;
    for (qint32 n : m_records)
        highest = std::max(highest, n);
    std::vector<bool> wanted(size_t(highest) + 1, false);
    for (qint32 n : m_records)
        if (n > 0)
            wanted[size_t(n)] = true;

    std::vector<RigaElenco> lines;
    lines.reserve(m_records.size());
    try {
        TArchivio archive;
        archive.ApriArchivio(archivePath());
        archive.ScorriSchede([&](const TScheda& scheda, qint32 number) {
            if (size_t(number) < wanted.size() && wanted[size_t(number)])
                lines.push_back({RigaRiepilogo(scheda), number});
        });
        archive.ChiudiArchivio();
    } catch (const EArchivioError& e) {
        // Like the for-sale listing: the lines read before the failure stay.
        FailureMessages::log(e.failure());
    }
    showLines(std::move(lines));
}
