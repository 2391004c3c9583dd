#include "core/search/RigaRiepilogo.h"

#include "core/formats/CodePage.h"

#include <algorithm>

namespace {

// Appends the decoded field cut or padded to exactly `colonna` characters;
// with colonna < 0, the whole field.
void accoda(char16_t*& out, QByteArrayView byte, qsizetype colonna = -1)
{
    const qsizetype n = colonna < 0 ? byte.size() : std::min(byte.size(), colonna);
    out = CodePage::decodeTo(byte.first(n), out);
    for (qsizetype i = n; i < colonna; ++i)
        *out++ = u' ';
}

void accoda(char16_t*& out, std::u16string_view testo)
{
    out = std::copy(testo.begin(), testo.end(), out);
}

constexpr qsizetype kLarghezzaFissa = 147;

} // namespace

QString RigaRiepilogo(const TScheda& scheda)
{
    const QByteArrayView valore = scheda.VistaCampoRifilata(Campo::Valore);
    QString riga(kLarghezzaFissa + valore.size(), Qt::Uninitialized);
    auto* out = reinterpret_cast<char16_t*>(riga.data());
    accoda(out, scheda.VistaCampoRifilata(Campo::Nome), 30);
    accoda(out, u"  Tipo: ");
    accoda(out, scheda.VistaCampoRifilata(Campo::Tipologia), 26);
    accoda(out, u"  Anno: ");
    accoda(out, scheda.VistaCampoRifilata(Campo::Anno), 4);
    accoda(out, u"  Prod. ");
    accoda(out, scheda.VistaCampoRifilata(Campo::Produttore), 30);
    accoda(out, u"  Scala: ");
    accoda(out, scheda.VistaCampoRifilata(Campo::Scala), 12);
    accoda(out, u"  Valore: \u20AC ");
    accoda(out, valore);
    Q_ASSERT(out == reinterpret_cast<char16_t*>(riga.data()) + riga.size());
    return riga;
}

QString Abbassa(QStringView testo)
{
    QString risultato(testo.size(), Qt::Uninitialized);
    auto* out = reinterpret_cast<char16_t*>(risultato.data());
    for (QChar c : testo)
        *out++ = Abbassa(c.unicode());
    return risultato;
}

int ConfrontaRighe(QStringView a, QStringView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = Abbassa(a[i].unicode());
        const char16_t y = Abbassa(b[i].unicode());
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}
