#pragma once
#include <QString>
#include <QStringView>

#include "core/archive/Scheda.h"

// The one-line text form of a record that the find and for-sale lists show
// and the summary report prints: name, kind, year, maker and scale in fixed
// columns, then the value, so that lines printed one under the other in a
// monospaced font stay aligned.
//
//   Nome (30) "  Tipo: " Tipologia (26) "  Anno: " Anno (4) "  Prod. "
//   Produttore (30) "  Scala: " Scala (12) "  Valore: € " Valore
//
// Each field is trimmed first, then cut or padded with blanks to its column;
// the value is trimmed only. 147 characters plus the value.
QString RigaRiepilogo(const TScheda& scheda);

// Letters A-Z become a-z; every other character, accented capitals too,
// stays as it is. Searching and sorting ignore case this way only.
QString Abbassa(QStringView testo);
inline char16_t Abbassa(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c + (u'a' - u'A')) : c;
}

// Order of the listed lines: the whole text, character by character, with
// A-Z compared as a-z and every other character by its code; a line that is
// the start of another comes first. Negative, zero or positive.
int ConfrontaRighe(QStringView a, QStringView b);
