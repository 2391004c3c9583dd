#include "core/archive/Scheda.h"

#include "core/formats/CodePage.h"
#include "core/formats/Text.h"

#include <algorithm>
#include <cstring>

namespace {

// The table must tile the record exactly: each field starts where the
// previous one ends and the last one ends at the record size.
constexpr bool campiContigui()
{
    int atteso = 0;
    for (std::size_t i = 0; i < Campi.size(); ++i) {
        if (Campi[i].campo != Campo(i) || Campi[i].offset != atteso || Campi[i].capacita > 255)
            return false;
        atteso += 1 + Campi[i].capacita;
    }
    return atteso == TScheda::Dimensione;
}
static_assert(campiContigui());

constexpr qsizetype kMaxCaratteri = 255;
constexpr qsizetype kMaxByte = 255;

// The first n characters, a pair of surrogates counting as one.
QStringView primiCaratteri(QStringView testo, qsizetype n)
{
    qsizetype i = 0;
    for (qsizetype contati = 0; i < testo.size() && contati < n; ++contati) {
        if (testo[i].isHighSurrogate() && i + 1 < testo.size() && testo[i + 1].isLowSurrogate())
            i += 2;
        else
            i += 1;
    }
    return testo.left(i);
}

} // namespace

void TScheda::ScriviCampo(Campo campo, const QString& testo)
{
    const DescrizioneCampo& d = descrizione(campo);
    const QString pulito = Text::trimmed(testo);
    const QByteArray byte = CodePage::encode(primiCaratteri(pulito, kMaxCaratteri));
    const qsizetype n = std::min<qsizetype>(std::min(byte.size(), kMaxByte), d.capacita);
    char* campoByte = m_byte.data() + d.offset;
    campoByte[0] = char(static_cast<unsigned char>(n));
    std::memcpy(campoByte + 1, byte.constData(), size_t(n));
    std::memset(campoByte + 1 + n, 0, size_t(d.capacita - n));
}

int TScheda::Lunghezza(Campo campo) const
{
    return static_cast<unsigned char>(m_byte[size_t(descrizione(campo).offset)]);
}

QByteArrayView TScheda::VistaCampo(Campo campo) const
{
    const DescrizioneCampo& d = descrizione(campo);
    const int n = std::min(Lunghezza(campo), d.capacita);
    return QByteArrayView(m_byte.data() + d.offset + 1, n);
}

QByteArrayView TScheda::VistaCampoRifilata(Campo campo) const
{
    QByteArrayView byte = VistaCampo(campo);
    while (!byte.isEmpty() && static_cast<unsigned char>(byte.front()) <= 32)
        byte = byte.sliced(1);
    while (!byte.isEmpty() && static_cast<unsigned char>(byte.back()) <= 32)
        byte.chop(1);
    return byte;
}

QByteArray TScheda::ByteCampo(Campo campo) const
{
    return VistaCampo(campo).toByteArray();
}

QString TScheda::LeggiCampo(Campo campo) const
{
    return CodePage::decode(VistaCampo(campo));
}

void TScheda::ImpostaInVendita(bool inVendita)
{
    // Fixed bytes, written as they stand rather than through the code page.
    static constexpr char si[] = {0x02, 0x53, char(0xEC)};
    static constexpr char no[] = {0x02, 0x4E, 0x6F};
    static_assert(sizeof si == 1 + descrizione(Campo::InVendita).capacita);
    std::memcpy(m_byte.data() + descrizione(Campo::InVendita).offset, inVendita ? si : no, sizeof si);
}

StatoVendita TScheda::LeggiInVendita() const
{
    const QString testo = LeggiCampo(Campo::InVendita);
    if (testo == QStringView(u"S\u00EC"))
        return StatoVendita::InVendita;
    if (testo == QStringView(u"No"))
        return StatoVendita::NonInVendita;
    return StatoVendita::Assente;
}

bool TScheda::ImpostaByte(QByteArrayView byte)
{
    if (byte.size() != Dimensione)
        return false;
    std::memcpy(m_byte.data(), byte.data(), Dimensione);
    return true;
}
