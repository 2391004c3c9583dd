#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <vector>

#include "core/archive/Scheda.h"

// One listed record: its line and the number it was read from, so that
// choosing the line brings back exactly that record even when another
// record gives the same line.
struct RigaElenco {
    QString testo;
    qint32 numero = 0;
};

// The find window's criteria: up to ten texts, each looked for in its own
// record field.
//
// A criterion is used exactly as typed (blanks included) and lowered; it
// matches a record when it is not empty and occurs in the field, lowered
// and not trimmed. R is the number of criteria that are not blank once
// trimmed; a record is listed when at least R criteria match. So every
// criterion blank lists every record, and a criterion of blanks only is not
// required but still counts where the field holds that run of blanks.
class CriteriRicerca {
public:
    static constexpr int Numero = 10;
    // The record field each criterion is looked for in, in the order of
    // the find window's fields.
    static const std::array<Campo, Numero>& Campi();

    explicit CriteriRicerca(const QStringList& testi);

    int Richiesti() const { return m_richiesti; }

    // Number of criteria that match the record (M).
    int Corrispondenze(const TScheda& scheda) const;
    bool Corrisponde(const TScheda& scheda) const { return Corrispondenze(scheda) >= m_richiesti; }

private:
    struct Criterio {
        QByteArray byte;        // lowered, in the archive code page; empty: never matches
        bool possibile = false; // false when a character has no byte in the code page
    };
    std::array<Criterio, Numero> m_criteri;
    int m_richiesti = 0;
};

// One criterion of that rule on its own, for the bytes of one field: the
// gallery's filter. Required() is false for a text that is blank once
// trimmed, and then every field is kept; otherwise a field is kept when the
// lowered text occurs in it, lowered and not trimmed.
class CriterioRicerca {
public:
    explicit CriterioRicerca(const QString& testo);
    bool Richiesto() const { return m_richiesto; }
    bool Trovato(QByteArrayView campo) const;

private:
    QByteArray m_byte; // as CriteriRicerca keeps it
    bool m_possibile = false;
    bool m_richiesto = false;
};

// The for-sale listing's rule: a record is listed unless its marker, trimmed,
// is exactly "No"; an empty or unknown marker is listed.
bool InVenditaElencabile(const TScheda& scheda);

// Reads the archive at `percorso` in file order (a missing file is created
// empty) and appends to `righe` the line of every record `accetta` takes.
// Throws EArchivioError on any failure; the lines of the records read before
// it stay in `righe`.
void ScansionaArchivio(const QString& percorso, const std::function<bool(const TScheda&)>& accetta,
                       std::vector<RigaElenco>& righe);

// Sorted as the lists show them (ConfrontaRighe); equal lines stay in file order.
void OrdinaRighe(std::vector<RigaElenco>& righe);
