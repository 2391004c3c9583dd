#include "core/import/LettoreTabella.h"

#include <QFile>
#include <QFileInfo>

namespace Importazione {

bool LettoreTabella::RigaSuccessiva(QStringList& celle)
{
    for (;;) {
        celle.clear();
        if (!rigaGrezza(celle))
            return false;
        while (!celle.isEmpty() && celle.constLast().trimmed().isEmpty())
            celle.removeLast();
        if (celle.isEmpty())
            continue;
        if (celle.size() > kColonneMassime)
            celle.resize(kColonneMassime);
        m_celle += celle.size();
        if (m_celle > kCelleMassime)
            return fallisci(ErroreLettura::TroppoGrande);
        return true;
    }
}

std::unique_ptr<LettoreTabella> ApriLettore(const QString& percorso, ErroreLettura& errore)
{
    QFile file(percorso);
    if (QFileInfo(percorso).isDir() || !file.open(QIODevice::ReadOnly)) {
        errore = ErroreLettura::NonLeggibile;
        return nullptr;
    }
    const QByteArray inizio = file.read(qint64{64} * 1024);
    file.close();
    std::unique_ptr<LettoreTabella> lettore;
    if (inizio.isEmpty()) {
        errore = ErroreLettura::FoglioVuoto;
        return nullptr;
    }
    const QByteArray minuscolo = inizio.left(4096).toLower();
    auto contiene = [&](const char* testo) { return minuscolo.contains(testo); };
    if (inizio.startsWith("PK\x03\x04")) {
        // A zip: the workbook kinds name their parts in the directory at the end.
        if (inizio.contains("application/vnd.oasis.opendocument.spreadsheet") || inizio.contains("content.xml"))
            lettore = LettoreOds(percorso, false);
        else
            lettore = LettoreXlsx(percorso);
    } else if (inizio.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) {
        lettore = LettoreXls(percorso);
    } else if (contiene("<office:document") && contiene("spreadsheet")) {
        lettore = LettoreOds(percorso, true);
    } else if (contiene("<html") || contiene("<table")) {
        lettore = LettoreHtml(percorso);
    } else {
        // Text of any kind, unless it holds bytes no text has.
        const bool utf16 = inizio.startsWith("\xFF\xFE") || inizio.startsWith("\xFE\xFF");
        if (!utf16 && inizio.contains('\0')) {
            errore = ErroreLettura::NonFoglio;
            return nullptr;
        }
        lettore = LettoreTesto(percorso);
    }
    if (!lettore || !lettore->ApriFoglio(0)) {
        errore = lettore ? lettore->Errore() : ErroreLettura::NonFoglio;
        return nullptr;
    }
    errore = ErroreLettura::Nessuno;
    return lettore;
}

} // namespace Importazione
