#include "search/RigaRiepilogo.h"

#include "storage/CodePage.h"

#include <algorithm>
#include <array>

namespace {

// The character of each byte of the code page, looked up once per line
// character.
const std::array<char16_t, 256>& caratteri()
{
    static const std::array<char16_t, 256> tabella = [] {
        std::array<char16_t, 256> t {};
        for (int b = 0; b < 256; ++b)
            t[size_t(b)] = CodePage::unicodeOf(static_cast<unsigned char>(b));
        return t;
    }();
    return tabella;
}

// The stored bytes of a field without the leading and trailing ones of code
// 32 or less. Bytes up to 32 decode to the same codes and no other byte
// decodes to 32 or less, so this is the trim of the decoded text.
QByteArrayView byteRifilati(const TScheda& scheda, Campo campo)
{
    const DescrizioneCampo& d = descrizione(campo);
    const auto* room = reinterpret_cast<const unsigned char*>(scheda.dati() + d.offset + 1);
    qsizetype inizio = 0;
    qsizetype fine = std::min<qsizetype>(static_cast<unsigned char>(scheda.dati()[d.offset]), d.capacita);
    while (inizio < fine && room[inizio] <= 32)
        ++inizio;
    while (fine > inizio && room[fine - 1] <= 32)
        --fine;
    return QByteArrayView(room + inizio, fine - inizio);
}

// Appends the decoded field cut or padded to exactly `colonna` characters;
// with colonna < 0, the whole field.
void accoda(char16_t*& out, QByteArrayView byte, qsizetype colonna = -1)
{
    const qsizetype n = colonna < 0 ? byte.size() : std::min(byte.size(), colonna);
    const auto& tabella = caratteri();
    for (qsizetype i = 0; i < n; ++i)
        *out++ = tabella[static_cast<unsigned char>(byte[i])];
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
    const QByteArrayView valore = byteRifilati(scheda, Campo::Valore);
    QString riga(kLarghezzaFissa + valore.size(), Qt::Uninitialized);
    auto* out = reinterpret_cast<char16_t*>(riga.data());
    accoda(out, byteRifilati(scheda, Campo::Nome), 30);
    accoda(out, u"  Tipo: ");
    accoda(out, byteRifilati(scheda, Campo::Tipologia), 26);
    accoda(out, u"  Anno: ");
    accoda(out, byteRifilati(scheda, Campo::Anno), 4);
    accoda(out, u"  Prod. ");
    accoda(out, byteRifilati(scheda, Campo::Produttore), 30);
    accoda(out, u"  Scala: ");
    accoda(out, byteRifilati(scheda, Campo::Scala), 12);
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
