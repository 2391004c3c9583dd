#pragma once
// The 100 000-record archive the scan benchmarks share, and the block scan
// that every whole-archive action is measured against.
#include "core/archive/Archivio.h"

#include <QFile>
#include <QString>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>

namespace ArchivioDiProva {

inline constexpr int kSchede = 100000;

inline QString g_file; // the archive the benchmarks scan

inline TScheda schedaRealistica(int i)
{
    static const char* marche[] = {"Bburago", "Burago", "Minichamps", "Herpa",
                                   "Revell",  "Tamiya", "Italeri",    "Märklin"};
    static const char* tipi[] = {"Automobile", "Motocicletta", "Nave", "Aereo", "Elicottero", "Treno", "Figurino"};
    static const char* scale[] = {"1:18", "1:24", "1:43", "1:72", "1:87", "1:144"};
    TScheda s;
    s.ScriviCampo(Campo::Nome, QStringLiteral("Ferrari 250 GTO Le Mans %1 n. %2").arg(1962 + i % 30).arg(i));
    s.ScriviCampo(Campo::Tipologia, QString::fromUtf8(tipi[i % 7]));
    s.ScriviCampo(Campo::Produttore, QString::fromUtf8(marche[i % 8]));
    s.ScriviCampo(Campo::Codice, QStringLiteral("CAT-%1-%2").arg(i % 977).arg(i));
    s.ScriviCampo(Campo::Descrizione,
                  QString::fromUtf8("Riproduzione in metallo pressofuso con interni dettagliati, "
                                    "portiere apribili e ruote sterzanti. Verniciatura originale rosso corsa; "
                                    "decalcomanie della versione da gara. Esemplare n. %1.")
                      .arg(i));
    s.ScriviCampo(Campo::Anno, QString::number(1960 + i % 60));
    s.ScriviCampo(Campo::Valore, QStringLiteral("%1,%2").arg(10 + i % 490).arg(i % 100, 2, 10, QLatin1Char('0')));
    s.ScriviCampo(Campo::Proprietario, QStringLiteral("Collezione privata Rossi"));
    s.ScriviCampo(Campo::Materiali, QStringLiteral("Metallo, plastica, gomma"));
    s.ScriviCampo(Campo::Colori, QStringLiteral("Rosso, nero"));
    s.ScriviCampo(Campo::Confezione, QStringLiteral("Scatola originale con finestra"));
    s.ScriviCampo(Campo::Difetti, i % 5 ? QString() : QStringLiteral("Piccolo graffio sul cofano"));
    s.ScriviCampo(Campo::Data, QStringLiteral("%1/%2/%3")
                                   .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                                   .arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                                   .arg(1990 + i % 34));
    s.ScriviCampo(Campo::Provenienza, QString::fromUtf8("Mercatino di Novegro, città di Segrate"));
    s.ScriviCampo(Campo::Montaggio,
                  i % 3 ? QString() : QStringLiteral("Kit montato e dipinto a mano, colla cianoacrilica."));
    s.ScriviCampo(Campo::Scala, QString::fromUtf8(scale[i % 6]));
    s.ScriviCampo(Campo::Dimensioni, QStringLiteral("24 x 10 x 7 cm"));
    s.ScriviCampo(Campo::Rarita, QString::fromUtf8("Media rarità"));
    s.ScriviCampo(Campo::Stato, QStringLiteral("Ottimo"));
    s.ScriviCampo(Campo::Luogo, QStringLiteral("Vetrina %1, ripiano %2").arg(1 + i % 12).arg(1 + i % 5));
    s.ScriviCampo(Campo::Note, QString::fromUtf8("Acquistato con certificato di autenticità."));
    s.ImpostaInVendita(i % 4 == 0);
    if (i % 10 == 0) {
        s.ScriviCampo(Campo::File01, QStringLiteral("certificato_%1.pdf").arg(i));
        s.ScriviCampo(Campo::Desc01, QString::fromUtf8("Certificato di autenticità"));
    }
    return s;
}

// Writes kSchede cards to `file`, in bulk: appending one synced record at a
// time would take minutes.
inline bool scriviArchivio(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    QByteArray blocco;
    for (int i = 1; i <= kSchede; ++i) {
        blocco += schedaRealistica(i).Byte();
        if (i % 1000 == 0) {
            if (f.write(blocco) != blocco.size())
                return false;
            blocco.clear();
        }
    }
    return f.write(blocco) == blocco.size();
}

// Writes the archive at `file` and makes it the one the benchmarks scan;
// says so on the error output when it cannot.
inline bool creaArchivio(const QString& file)
{
    g_file = file;
    if (scriviArchivio(file))
        return true;
    std::fprintf(stderr, "cannot create the test archive %s\n", qPrintable(file));
    return false;
}

// Every field of a record as the windows load it.
inline qsizetype caricaCampi(const TScheda& s)
{
    qsizetype totale = 0;
    for (const DescrizioneCampo& d : Campi) {
        QString testo = s.LeggiCampo(d.campo);
        totale += testo.size();
        benchmark::DoNotOptimize(testo);
    }
    return totale;
}

// LeggiSchede in blocks: one lock and one read per block, every field of
// every card loaded. Returns the cards read; `caratteri` counts the text.
inline qint32 scansioneABlocchi(const QString& file, qint32 bloccoSchede, qsizetype& caratteri)
{
    TArchivio a;
    a.ApriArchivio(file);
    const qint32 n = a.ContaSchede();
    caratteri = 0;
    for (qint32 primo = 1; primo <= n; primo += bloccoSchede) {
        for (const TScheda& s : a.LeggiSchede(primo, std::min(bloccoSchede, n - primo + 1)))
            caratteri += caricaCampi(s);
    }
    a.ChiudiArchivio();
    return n;
}

inline void BM_ScanInBlocks(benchmark::State& state)
{
    qint64 schede = 0;
    for (auto _ : state) {
        qsizetype caratteri = 0;
        schede += scansioneABlocchi(g_file, qint32(state.range(0)), caratteri);
        benchmark::DoNotOptimize(caratteri);
    }
    state.SetItemsProcessed(schede);
}

} // namespace ArchivioDiProva
