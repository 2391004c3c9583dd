// Delimited text: CSV and its relatives.
#include <QFile>
#include <QStringDecoder>

#include <array>

#include "core/formats/CodePage.h"
#include "core/import/LettoreTabella.h"

namespace Importazione {

namespace {

enum class Codifica { Utf8, Utf16LE, Utf16BE, Windows1252 };

// The delimiter that splits the first lines most evenly; quoted text is not
// looked at.
QChar indovinaSeparatore(QStringView campione)
{
    static constexpr std::array<char16_t, 4> kCandidati{u';', u',', u'\t', u'|'};
    std::array<std::vector<int>, 4> conteggi;
    std::array<int, 4> riga{};
    bool virgolette = false;
    int righe = 0;
    for (const QChar c : campione) {
        if (c == u'"') {
            virgolette = !virgolette;
        } else if (!virgolette && c == u'\n') {
            for (size_t k = 0; k < kCandidati.size(); ++k) {
                conteggi[k].push_back(riga[k]);
                riga[k] = 0;
            }
            if (++righe == 50)
                break;
        } else if (!virgolette) {
            for (size_t k = 0; k < kCandidati.size(); ++k)
                riga[k] += c == kCandidati[k];
        }
    }
    if (righe == 0) // one line without an end
        for (size_t k = 0; k < kCandidati.size(); ++k)
            conteggi[k].push_back(riga[k]);
    size_t migliore = 0;
    int punteggioMigliore = -1;
    for (size_t k = 0; k < kCandidati.size(); ++k) {
        const std::vector<int>& c = conteggi[k];
        if (c.empty() || c.front() == 0)
            continue;
        int uguali = 0;
        for (const int n : c)
            uguali += n == c.front();
        // Lines that agree count most, then how many columns they make.
        const int punteggio = uguali * 1000 + std::min(c.front(), 999);
        if (punteggio > punteggioMigliore) {
            punteggioMigliore = punteggio;
            migliore = k;
        }
    }
    return QChar(kCandidati[migliore]);
}

class LettoreCsv : public LettoreTabella {
public:
    explicit LettoreCsv(const QString& percorso) : m_file(percorso) {}

    bool ApriFoglio(int indice) override
    {
        azzeraErrore();
        if (indice != 0)
            return fallisci(ErroreLettura::NonLeggibile);
        m_file.close();
        if (!m_file.open(QIODevice::ReadOnly))
            return fallisci(ErroreLettura::NonLeggibile);
        m_dimensione = m_file.size();
        // The start that tells the encoding.
        constexpr qint64 kCampione = qint64{256} * 1024;
        QByteArray campione = m_file.read(kCampione);
        qsizetype salta = 0;
        if (campione.startsWith("\xEF\xBB\xBF")) {
            m_codifica = Codifica::Utf8;
            salta = 3;
        } else if (campione.startsWith("\xFF\xFE")) {
            m_codifica = Codifica::Utf16LE;
            salta = 2;
        } else if (campione.startsWith("\xFE\xFF")) {
            m_codifica = Codifica::Utf16BE;
            salta = 2;
        } else {
            // Valid UTF-8 (a sequence cut by the sample's end aside) is UTF-8.
            QByteArray prova = campione;
            if (campione.size() == kCampione) {
                qsizetype taglio = prova.size();
                while (taglio > 0 && taglio > prova.size() - 4 && (quint8(prova[taglio - 1]) & 0xC0) == 0x80)
                    --taglio;
                if (taglio > 0 && quint8(prova[taglio - 1]) >= 0xC0)
                    --taglio;
                prova.truncate(taglio);
            }
            QStringDecoder prove(QStringDecoder::Utf8);
            const QString decodificata = prove(prova);
            m_codifica = prove.hasError() ? Codifica::Windows1252 : Codifica::Utf8;
        }
        m_decodificatore = QStringDecoder(m_codifica == Codifica::Utf16LE   ? QStringDecoder::Utf16LE
                                          : m_codifica == Codifica::Utf16BE ? QStringDecoder::Utf16BE
                                                                            : QStringDecoder::Utf8);
        m_testo.clear();
        m_pos = 0;
        m_fine = false;
        m_file.seek(salta);
        if (!carica())
            return false;
        m_separatore = indovinaSeparatore(QStringView(m_testo).left(qsizetype{64} * 1024));
        return true;
    }

    int Avanzamento() const override { return m_dimensione > 0 ? int(m_file.pos() * 1000 / m_dimensione) : 0; }

protected:
    bool rigaGrezza(QStringList& celle) override
    {
        QString cella;
        bool virgolette = false;
        bool qualcosa = false;
        qsizetype lunghezza = 0;
        for (;;) {
            if (m_pos >= m_testo.size()) {
                if (!carica())
                    return false;
                if (m_pos >= m_testo.size()) {
                    if (virgolette)
                        return fallisci(ErroreLettura::VirgoletteAperte);
                    if (!qualcosa && cella.isEmpty())
                        return false;
                    celle.append(cella);
                    return true;
                }
            }
            const QChar c = m_testo[m_pos++];
            qualcosa = true;
            if (++lunghezza > kRigaMassima)
                return fallisci(virgolette ? ErroreLettura::VirgoletteAperte : ErroreLettura::TroppoGrande);
            if (virgolette) {
                if (c == u'"') {
                    if (m_pos >= m_testo.size())
                        carica();
                    if (m_pos < m_testo.size() && m_testo[m_pos] == u'"') {
                        cella += u'"';
                        ++m_pos;
                    } else {
                        virgolette = false;
                    }
                } else if (c == u'\r') {
                    // A line break inside a field is kept as one LF.
                    if (m_pos >= m_testo.size())
                        carica();
                    if (m_pos < m_testo.size() && m_testo[m_pos] == u'\n')
                        ++m_pos;
                    cella += u'\n';
                } else {
                    cella += c;
                }
            } else if (c == m_separatore) {
                celle.append(cella);
                cella.clear();
            } else if (c == u'\n' || c == u'\r') {
                if (c == u'\r') {
                    if (m_pos >= m_testo.size())
                        carica();
                    if (m_pos < m_testo.size() && m_testo[m_pos] == u'\n')
                        ++m_pos;
                }
                celle.append(cella);
                return true;
            } else if (c == u'"' && cella.trimmed().isEmpty()) {
                cella.clear();
                virgolette = true;
            } else {
                cella += c;
            }
        }
    }

private:
    // More text at the end of what is held; false on a read failure.
    bool carica()
    {
        if (m_fine)
            return true;
        if (m_pos > 0) {
            m_testo.remove(0, m_pos);
            m_pos = 0;
        }
        const QByteArray byte = m_file.read(1 << 20);
        if (byte.isEmpty()) {
            m_fine = true;
            if (m_file.error() != QFileDevice::NoError)
                return fallisci(ErroreLettura::NonLeggibile);
            return true;
        }
        if (m_codifica == Codifica::Windows1252)
            m_testo += CodePage::decode(byte);
        else
            m_testo += m_decodificatore(byte);
        return true;
    }

    QFile m_file;
    qint64 m_dimensione = 0;
    Codifica m_codifica = Codifica::Utf8;
    QStringDecoder m_decodificatore;
    QString m_testo;
    qsizetype m_pos = 0;
    bool m_fine = false;
    QChar m_separatore = u';';
};

} // namespace

std::unique_ptr<LettoreTabella> LettoreTesto(const QString& percorso)
{
    return std::make_unique<LettoreCsv>(percorso);
}

} // namespace Importazione
