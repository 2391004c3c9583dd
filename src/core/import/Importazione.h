#pragma once
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "core/archive/Archivio.h"
#include "core/archive/Scheda.h"
#include "core/import/LettoreTabella.h"

// The import of a table into an archive: which card field each column fills,
// what every cell becomes once stored and what is wrong with it, and the
// writing of all the cards at once, which can be taken back.
namespace Importazione {

// Where a column goes: a card field (its Campo as a number, 0 to 27), a
// photo or attachment file to copy, or nowhere.
enum Destinazione : int {
    NonImportare = -1,
    FotoA = NumeroCampi,
    FotoB,
    Allegato,
};
// The destinations a column may be given, in the order a chooser lists them.
std::vector<int> DestinazioniPossibili();

// The destination a header names: the export's headers and the card's field
// names, case and accents ignored, and the usual synonyms; NonImportare when
// none.
int DestinazionePerIntestazione(const QString& intestazione);

// What may be wrong with a cell, one bit each.
enum Problema : unsigned {
    TroppoLungo = 1u << 0,     // longer than the field's room: it is cut
    FuoriCodifica = 1u << 1,   // characters the archive's code page lacks
    NonImporto = 1u << 2,      // not an amount, in the value column
    NonData = 1u << 3,         // not a date, in the date column
    FileIlleggibile = 1u << 4, // a photo that is not a readable picture, an attachment that is not there
    Ripristinato = 1u << 5,    // a cell a spreadsheet had turned into a time, a number or a serial date, put back
};
inline constexpr int NumeroProblemi = 6;

struct Cella {
    QString testo; // as it will be stored (cut to the field's room)
    unsigned problemi = 0;
};

// A cell's raw text turned into what a column with that destination stores.
// Relative file paths are taken from `cartella`.
Cella Normalizza(int destinazione, const QString& grezzo, const QString& cartella = {});

struct Riepilogo {
    qint64 righe = 0; // cards that will be added
    std::array<qint64, NumeroProblemi> problemi{};
};

struct Esito {
    TArchivio::Accodamento accodamento;
    QStringList fileAggiunti;   // companion files the import created
    int fotoNonCopiate = 0;     // photos left out: their cards have none
    int allegatiNonCopiati = 0; // attachments left out
};

// Thrown out of Importa() when the progress callback asks to stop.
struct Interrotta : std::exception {
    const char* what() const noexcept override { return "import cancelled"; }
};

// One file being imported: its reader, the sheet, whether the first row holds
// the headers, each column's destination, and the first rows as a preview.
class TImportazione {
public:
    static constexpr int RighePreviste = 200;

    // Reads the file's first sheet and matches its columns; false, with
    // Errore() set, when the file cannot be read or holds nothing.
    bool Apri(const QString& percorso);
    ErroreLettura Errore() const { return m_errore; }
    const QString& Percorso() const { return m_percorso; }
    // Where relative photo and attachment paths are taken from.
    const QString& Cartella() const { return m_cartella; }

    QStringList Fogli() const;
    int Foglio() const { return m_foglio; }
    bool ScegliFoglio(int indice);

    bool Intestazioni() const { return m_intestazioni; }
    void ImpostaIntestazioni(bool prima);

    int Colonne() const { return int(m_destinazioni.size()); }
    QString Intestazione(int colonna) const;
    int DestinazioneColonna(int colonna) const { return m_destinazioni[size_t(colonna)]; }
    // Another column that had the same field gives it up.
    void ImpostaDestinazione(int colonna, int destinazione);
    bool QualcosaDaImportare() const;

    // The first data rows as they will be stored.
    int RigheAnteprima() const;
    Cella CellaAnteprima(int riga, int colonna) const;

    // Every data row of the sheet, read once more: how many cards, and what
    // is wrong with their cells. A window counts through TConteggio instead,
    // a slice at a time.
    Riepilogo Conta(const std::function<bool(int avanzamento)>& avanzamento = {});

    // Appends a card per data row to the archive at `percorsoArchivio` named
    // `nomeArchivio`, all or nothing, then copies the photos and attachments
    // the rows name. `avanzamento` (0..1000) returns false to cancel, which
    // throws Interrotta with the archive as it was. Throws EArchivioError when
    // the archive cannot be written, and a reading failure as
    // ErroreLettura, the archive as it was either way.
    Esito Importa(const QString& percorsoArchivio, const QString& nomeArchivio,
                  const std::function<bool(int avanzamento)>& avanzamento = {});

    // The card a data row becomes.
    TScheda Scheda(const QStringList& riga) const;

private:
    bool leggiAnteprima();

    QString m_percorso;
    QString m_cartella;
    std::unique_ptr<LettoreTabella> m_lettore;
    ErroreLettura m_errore = ErroreLettura::Nessuno;
    int m_foglio = 0;
    bool m_intestazioni = false;
    QStringList m_primaRiga;
    std::vector<QStringList> m_righe; // the first rows after the first
    std::vector<int> m_destinazioni;
};

// The summary's count over every data row of an import's sheet, with the
// columns' destinations as they were when it began. It reads with a reader of
// its own a slice at a time, so that the import window shows the preview at
// once and stays responsive while a large file is read to its end.
class TConteggio {
public:
    // Rows a window reads between two turns of its event loop.
    static constexpr int RighePerPasso = 2000;

    explicit TConteggio(const TImportazione& importazione);

    // Reads up to `righe` more rows; false once the sheet is read to its end
    // or the reading failed (Errore() says why).
    bool Avanza(int righe);
    bool Finito() const { return m_finito; }
    const Riepilogo& Risultato() const { return m_riepilogo; }
    ErroreLettura Errore() const { return m_errore; }
    // How far it has got, from 0 to 1000.
    int Avanzamento() const;

private:
    std::unique_ptr<LettoreTabella> m_lettore;
    std::vector<int> m_destinazioni;
    QString m_cartella;
    bool m_saltaPrima = false;
    bool m_finito = false;
    ErroreLettura m_errore = ErroreLettura::Nessuno;
    Riepilogo m_riepilogo;
    QStringList m_riga;
};

// Takes back an import while no other write has touched the archive since:
// its cards and the companion files it created. False, and nothing touched,
// when another write came in between. Throws EArchivioError.
bool AnnullaImportazione(const QString& percorsoArchivio, const Esito& esito);

} // namespace Importazione
