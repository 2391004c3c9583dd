#include "core/search/Ricerca.h"

#include "core/archive/Archivio.h"
#include "core/formats/CodePage.h"
#include "core/formats/Text.h"
#include "core/search/RigaRiepilogo.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace {

unsigned char abbassaByte(unsigned char b)
{
    return (b >= 'A' && b <= 'Z') ? static_cast<unsigned char>(b + ('a' - 'A')) : b;
}

} // namespace

const std::array<Campo, CriteriRicerca::Numero>& CriteriRicerca::Campi()
{
    static const std::array<Campo, Numero> campi{{
        Campo::Nome,
        Campo::Tipologia,
        Campo::Produttore,
        Campo::Codice,
        Campo::Descrizione,
        Campo::Anno,
        Campo::Proprietario,
        Campo::Provenienza,
        Campo::Rarita,
        Campo::Note,
    }};
    return campi;
}

CriteriRicerca::CriteriRicerca(const QStringList& testi)
{
    for (int i = 0; i < Numero && i < testi.size(); ++i) {
        const QString& testo = testi[i];
        if (!Text::trimmed(testo).isEmpty())
            ++m_richiesti;
        // Matching is done on the stored bytes: lowering A-Z in the text is
        // lowering the same bytes, and a character the code page lacks can
        // occur in no field.
        Criterio& c = m_criteri[size_t(i)];
        c.possibile = !testo.isEmpty();
        c.byte.reserve(testo.size());
        for (QChar ch : testo) {
            const int b = CodePage::byteOf(ch.unicode());
            if (b < 0) {
                c.possibile = false;
                break;
            }
            c.byte += char(abbassaByte(static_cast<unsigned char>(b)));
        }
    }
}

// The same reading of the text as one of the find window's criteria.
CriterioRicerca::CriterioRicerca(const QString& testo)
    : m_possibile(!testo.isEmpty()), m_richiesto(!Text::trimmed(testo).isEmpty())
{
    for (QChar ch : testo) {
        const int b = CodePage::byteOf(ch.unicode());
        if (b < 0) {
            m_possibile = false;
            break;
        }
        m_byte += char(abbassaByte(static_cast<unsigned char>(b)));
    }
}

bool CriterioRicerca::Trovato(QByteArrayView campo) const
{
    if (!m_possibile || campo.size() < m_byte.size())
        return false;
    char abbassato[256];
    const qsizetype n = std::min<qsizetype>(campo.size(), qsizetype(sizeof abbassato));
    for (qsizetype k = 0; k < n; ++k)
        abbassato[k] = char(abbassaByte(static_cast<unsigned char>(campo[k])));
    return std::string_view(abbassato, size_t(n)).find(std::string_view(m_byte.constData(), size_t(m_byte.size())))
           != std::string_view::npos;
}

int CriteriRicerca::Corrispondenze(const TScheda& scheda) const
{
    int m = 0;
    for (int i = 0; i < Numero; ++i) {
        const Criterio& c = m_criteri[size_t(i)];
        if (!c.possibile)
            continue;
        const QByteArrayView byte = scheda.VistaCampo(Campi()[size_t(i)]);
        if (byte.size() < c.byte.size())
            continue;
        char campo[256];
        const qsizetype n = byte.size();
        for (qsizetype k = 0; k < n; ++k)
            campo[k] = char(abbassaByte(static_cast<unsigned char>(byte[k])));
        if (std::string_view(campo, size_t(n)).find(std::string_view(c.byte.constData(), size_t(c.byte.size())))
            != std::string_view::npos)
            ++m;
    }
    return m;
}

bool InVenditaElencabile(const TScheda& scheda)
{
    return scheda.LeggiInVendita() != StatoVendita::NonInVendita;
}

void ScansionaArchivio(const QString& percorso, const std::function<bool(const TScheda&)>& accetta,
                       std::vector<RigaElenco>& righe)
{
    TArchivio archivio;
    archivio.ApriArchivio(percorso);
    archivio.ScorriSchede([&](const TScheda& scheda, qint32 numero) {
        if (accetta(scheda))
            righe.push_back({RigaRiepilogo(scheda), numero});
    });
    archivio.ChiudiArchivio();
}

namespace {

// The characters a line can hold are those of the code page (the fixed
// texts of a line are among them). Lowered, there are fewer than 256 of
// them, so each gets a one-byte rank in the order of its code: keys made of
// ranks compare with memcmp in the order ConfrontaRighe gives. 0: a
// character no line holds.
const std::array<quint8, 65536>& ranghi()
{
    static const std::array<quint8, 65536> tabella = [] {
        std::vector<char16_t> caratteri;
        caratteri.reserve(256);
        for (int b = 0; b < 256; ++b)
            caratteri.push_back(Abbassa(CodePage::unicodeOf(static_cast<unsigned char>(b))));
        std::sort(caratteri.begin(), caratteri.end());
        caratteri.erase(std::unique(caratteri.begin(), caratteri.end()), caratteri.end());
        std::array<quint8, 65536> t{};
        for (size_t i = 0; i < caratteri.size() && i < 255; ++i)
            t[caratteri[i]] = quint8(i + 1);
        return t;
    }();
    return tabella;
}

} // namespace

void OrdinaRighe(std::vector<RigaElenco>& righe)
{
    // Most lines share a long start (one maker's models, one series), so the
    // comparisons dominate: they run on one-byte keys made once, all in one
    // buffer, rather than lowering inside every comparison.
    const size_t n = righe.size();
    const auto& rango = ranghi();
    std::vector<quint32> inizio(n + 1);
    size_t totale = 0;
    for (size_t i = 0; i < n; ++i) {
        inizio[i] = quint32(totale);
        totale += size_t(righe[i].testo.size());
    }
    inizio[n] = quint32(totale);
    std::vector<quint8> chiavi(totale);
    bool tutteCodificate = totale <= UINT32_MAX;
    for (size_t i = 0; i < n && tutteCodificate; ++i) {
        quint8* out = chiavi.data() + inizio[i];
        for (QChar c : righe[i].testo) {
            const quint8 r = rango[Abbassa(c.unicode())];
            tutteCodificate = tutteCodificate && r != 0;
            *out++ = r;
        }
    }

    std::vector<quint32> ordine(n);
    for (size_t i = 0; i < n; ++i)
        ordine[i] = quint32(i);
    if (tutteCodificate) {
        std::stable_sort(ordine.begin(), ordine.end(), [&](quint32 a, quint32 b) {
            const size_t la = inizio[a + 1] - inizio[a];
            const size_t lb = inizio[b + 1] - inizio[b];
            const int c = std::memcmp(chiavi.data() + inizio[a], chiavi.data() + inizio[b], std::min(la, lb));
            return c != 0 ? c < 0 : la < lb;
        });
    } else {
        std::stable_sort(ordine.begin(), ordine.end(),
                         [&righe](quint32 a, quint32 b) { return ConfrontaRighe(righe[a].testo, righe[b].testo) < 0; });
    }
    chiavi = {};
    std::vector<RigaElenco> ordinate;
    ordinate.reserve(n);
    for (quint32 i : ordine)
        ordinate.push_back(std::move(righe[i]));
    righe = std::move(ordinate);
}
