#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>

#include <array>
#include <vector>

#include "core/archive/Failure.h"
#include "core/archive/Scheda.h"

// The spreadsheet export: the table of cards the export window shows and lets
// the user edit, and the writer of "Archivio_Modellini.xls", an HTML table
// with a spreadsheet head that Excel and Calc open as a worksheet.
namespace Esportazione {

// One exported column: the record field it shows, its header, its width in
// the grid and in the file, and whether the grid lets the user edit it.
struct Colonna {
    Campo campo;
    const char* intestazione; // UTF-8
    int larghezzaGriglia;
    bool modificabile;
    int larghezzaFile;
};

inline constexpr int NumeroColonne = 22;
extern const std::array<Colonna, NumeroColonne> Colonne;

QString NomeFile();
// Program folder + NomeFile().
QString Percorso();
// The mark LibreOffice leaves beside a file it holds open.
QString FileDiBlocco(const QString& percorso);

} // namespace Esportazione

// The cells of the export grid, without widgets: one row per card, the
// exported columns numbered 0 to 21. Rows read from the archive are kept as
// their code-page bytes, a few hundred bytes per card; only cells the user
// edited are held as text.
class TTabellaSchede {
public:
    // `righe` empty rows; edits are forgotten.
    void Reimposta(int righe);

    int Righe() const { return m_righe; }
    // Rows filled from cards, from the top; the rows below are empty.
    int RigheRiempite() const { return int(m_inizioRiga.size()); }

    // Fills the first row not yet filled from a card: its fields stripped of
    // leading and trailing blanks. False when every row is filled.
    bool AggiungiScheda(const TScheda& scheda);

    QString Testo(int riga, int colonna) const;
    void ImpostaTesto(int riga, int colonna, const QString& testo);

    // The cell as it goes into the file: stripped, in Windows-1252, with "&",
    // "<", ">", line breaks, every blank after the first of a run and the
    // characters the code page lacks written as character references, so
    // that Calc and Excel read back what was typed.
    void AccodaCella(int riga, int colonna, QByteArray& out) const;
    // The whole row as it goes into the file: "<tr>", its 22 cells each
    // marked as text for Calc, "</tr>".
    void AccodaRiga(int riga, QByteArray& out) const;

    // Bytes held for the cells (not counting the object itself).
    qsizetype MemoriaOccupata() const;

    // Releases the room reserved for rows still to come.
    void Compatta();

private:
    static qint64 chiave(int riga, int colonna) { return qint64(riga) * Esportazione::NumeroColonne + colonna; }
    QByteArrayView byteCella(int riga, int colonna) const;

    int m_righe = 0;
    // Filled rows back to back: per cell one length byte and its bytes.
    QByteArray m_byte;
    std::vector<qsizetype> m_inizioRiga;
    QHash<qint64, QString> m_modifiche;
};

namespace Esportazione {

// Sets the table to the archive's record count and fills it with the cards in
// file order. With no cards the table is left as it was. Throws EArchivioError
// on an access failure; the rows filled until then stay.
void RiempiDaArchivio(TTabellaSchede& tabella, const QString& percorso);

// The whole file for a table, one line with no line break.
QByteArray Contenuto(const TTabellaSchede& tabella);

// Writes the file for a table at `percorso`. It is written beside the old one
// and replaces it only when complete, so a failure leaves the previous export
// as it was. Fails, writing nothing, while a spreadsheet program marks the
// file as open; `failure` (when given) then says why.
bool ScriviFile(const QString& percorso, const TTabellaSchede& tabella, TFailure* failure = nullptr);

} // namespace Esportazione
