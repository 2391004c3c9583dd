#include "core/export/Export.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cstring>

#include "core/archive/Archivio.h"
#include "core/archive/ProgramFolder.h"
#include "core/archive/SaveFile.h"
#include "core/formats/CodePage.h"
#include "core/formats/Text.h"

namespace Esportazione {

const std::array<Colonna, NumeroColonne> Colonne{{
    {Campo::Nome, "Nome modellino", 250, false, 300},
    {Campo::Tipologia, "Tipologia", 200, true, 250},
    {Campo::Produttore, "Produttore", 200, false, 300},
    {Campo::Codice, "Codice prodotto", 180, false, 250},
    {Campo::Descrizione, "Descrizione", 380, false, 400},
    {Campo::Anno, "Anno produzione", 180, false, 200},
    {Campo::Valore, "Valore stimato", 180, true, 250},
    {Campo::Proprietario, "Proprietario", 220, false, 300},
    {Campo::Materiali, "Materiali", 280, false, 400},
    {Campo::Colori, "Colori", 250, false, 300},
    {Campo::Confezione, "Confezione", 220, true, 300},
    {Campo::Difetti, "Difetti", 280, true, 400},
    {Campo::Data, "Data acquisto", 180, true, 200},
    {Campo::Provenienza, "Provenienza", 250, true, 400},
    {Campo::Montaggio, "Montaggio", 350, true, 450},
    {Campo::Scala, "Scala", 180, true, 200},
    {Campo::Dimensioni, "Dimensioni", 200, false, 300},
    {Campo::Rarita, "Rarit\xC3\xA0", 200, true, 250},
    {Campo::Stato, "Stato conservazione", 200, true, 250},
    {Campo::Luogo, "Luogo conservazione", 250, true, 300},
    {Campo::Note, "Note", 350, true, 400},
    {Campo::InVendita, "In vendita", 120, true, 200},
}};

QString NomeFile()
{
    return QStringLiteral("Archivio_Modellini.xls");
}

QString Percorso()
{
    return ProgramFolder::path() + NomeFile();
}

QString FileDiBlocco(const QString& percorso)
{
    const QFileInfo file(percorso);
    return file.dir().filePath(QStringLiteral(".~lock.") + file.fileName() + QLatin1Char('#'));
}

} // namespace Esportazione

namespace {

using Esportazione::Colonne;
using Esportazione::NumeroColonne;

void accodaRiferimento(char32_t carattere, QByteArray& out)
{
    out += "&#";
    out += QByteArray::number(quint32(carattere));
    out += ';';
}

// Bytes that cannot always stand for themselves in a cell: markup, control
// characters (a line break would split the file's single line) and the blank,
// which HTML readers fold with the blanks that follow it.
constexpr std::array<bool, 256> kDaSostituire = [] {
    std::array<bool, 256> t{};
    for (int b = 0; b < 0x20; ++b)
        t[size_t(b)] = true;
    t['&'] = t['<'] = t['>'] = t[' '] = true;
    return t;
}();

// One such byte, written at `q`, after the byte `precedente` of the same cell
// (0 at its start); returns the end. A blank stays a blank unless it follows
// one: Calc would keep only the first of a run.
char* scriviSostituto(unsigned char byte, char precedente, char* q)
{
    auto copia = [q](QByteArrayView testo) {
        std::memcpy(q, testo.data(), size_t(testo.size()));
        return q + testo.size();
    };
    switch (byte) {
    case ' ':
        if (precedente != ' ') {
            *q = ' ';
            return q + 1;
        }
        return copia("&#32;");
    case '&': return copia("&amp;");
    case '<': return copia("&lt;");
    case '>': return copia("&gt;");
    default: break;
    }
    *q++ = '&';
    *q++ = '#';
    if (byte >= 10)
        *q++ = char('0' + byte / 10);
    *q++ = char('0' + byte % 10);
    *q++ = ';';
    return q;
}

// The longest a cell of n code-page bytes can become.
constexpr qsizetype kEspansioneMassima = 5;

// Code-page bytes of a cell, as read from the archive, written at `q`, which
// has room for kEspansioneMassima bytes per byte; `precedente` is the byte
// written before them in the same cell (0 at its start). Returns the end.
char* scriviByte(QByteArrayView byte, char* q, char precedente = 0)
{
    for (const char c : byte) {
        if (!kDaSostituire[static_cast<unsigned char>(c)] || (c == ' ' && precedente != ' '))
            *q++ = c;
        else
            q = scriviSostituto(static_cast<unsigned char>(c), precedente, q);
        precedente = c;
    }
    return q;
}

void accodaByte(QByteArrayView byte, QByteArray& out, char precedente = 0)
{
    const qsizetype inizio = out.size();
    out.resize(inizio + kEspansioneMassima * byte.size());
    out.resize(scriviByte(byte, out.data() + inizio, precedente) - out.constData());
}

// A text typed by the user (or a header): what the code page lacks is written
// as a numeric reference rather than a look-alike or "?".
void accodaTesto(const QString& testo, QByteArray& out)
{
    char precedente = 0;
    CodePage::forEachCharacter(Text::trimmed(testo), [&out, &precedente](char32_t carattere) {
        if (QChar::isSurrogate(carattere))
            carattere = QChar::ReplacementCharacter; // half a pair is no character
        const int byte = CodePage::byteOf(carattere);
        if (byte < 0) {
            accodaRiferimento(carattere, out);
            precedente = 0;
            return;
        }
        const char codice = char(byte);
        accodaByte(QByteArrayView(&codice, 1), out, precedente); // markup and line breaks become references
        precedente = codice;
    });
}

// Pieces of the file before the data rows, up to the table's opening tag.
constexpr char kTestata[] = "<html xmlns:o=\"urn:schemas-microsoft-com:office:office\""
                            " xmlns:x=\"urn:schemas-microsoft-com:office:excel\""
                            " xmlns=\"http://www.w3.org/TR/REC-html40\">"
                            "<head>"
                            "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">"
                            "<!--[if gte mso 9]><xml>"
                            "<x:ExcelWorkbook>"
                            "<x:ExcelWorksheets>"
                            "<x:ExcelWorksheet>"
                            "<x:Name>Archivio Modellini</x:Name>"
                            "<x:WorksheetOptions>"
                            "<x:Selected/>"
                            "<x:Panes>"
                            "<x:Pane>"
                            "<x:Number>1</x:Number>"
                            "<x:ActiveRow>3</x:ActiveRow>"
                            "</x:Pane>"
                            "</x:Panes>"
                            "<x:ProtectContents>False</x:ProtectContents>"
                            "<x:ProtectObjects>False</x:ProtectObjects>"
                            "<x:ProtectScenarios>False</x:ProtectScenarios>"
                            "</x:WorksheetOptions>"
                            "</x:ExcelWorksheet>"
                            "</x:ExcelWorksheets>"
                            "</x:ExcelWorkbook>"
                            "</xml><![endif]-->"
                            "</head>"
                            "<body>"
                            "<table x:str>";

constexpr char kChiusura[] = "</table></body></html>";

void accodaIntestazione(QByteArray& out)
{
    out += "<tr>";
    for (const auto& colonna : Colonne) {
        out += "<td style=\"text-align: left; font-weight: bold;\" width=";
        out += QByteArray::number(colonna.larghezzaFile);
        out += '>';
        accodaTesto(QString::fromUtf8(colonna.intestazione), out);
        out += "</td>";
    }
    out += "</tr>";
}

// Produces the file in slices of about a megabyte, handed to `scarica`; stops
// at the first slice it refuses.
template <typename Scarica> bool produci(const TTabellaSchede& tabella, Scarica scarica)
{
    constexpr qsizetype kFetta = 1 << 20;
    QByteArray fetta;
    fetta.reserve(kFetta + qsizetype{64} * 1024);
    fetta += kTestata;
    accodaIntestazione(fetta);
    for (int riga = 0; riga < tabella.Righe(); ++riga) {
        tabella.AccodaRiga(riga, fetta);
        if (fetta.size() >= kFetta) {
            if (!scarica(fetta))
                return false;
            fetta.resize(0); // keeps the room
        }
    }
    fetta += kChiusura;
    return scarica(fetta);
}

} // namespace

void TTabellaSchede::Reimposta(int righe)
{
    m_righe = std::max(0, righe);
    m_byte.clear();
    m_inizioRiga.clear();
    m_inizioRiga.shrink_to_fit();
    m_inizioRiga.reserve(size_t(m_righe));
    m_modifiche.clear();
}

bool TTabellaSchede::AggiungiScheda(const TScheda& scheda)
{
    if (RigheRiempite() >= m_righe)
        return false;
    // Straight from the record's room, stripped, sized once per row.
    std::array<QByteArrayView, NumeroColonne> celle;
    qsizetype dimensione = NumeroColonne;
    for (int c = 0; c < NumeroColonne; ++c) {
        celle[size_t(c)] = scheda.VistaCampoRifilata(Colonne[size_t(c)].campo);
        dimensione += celle[size_t(c)].size();
    }
    const qsizetype inizio = m_byte.size();
    m_inizioRiga.push_back(inizio);
    m_byte.resize(inizio + dimensione);
    char* p = m_byte.data() + inizio;
    for (const QByteArrayView& cella : celle) {
        *p++ = char(static_cast<unsigned char>(cella.size()));
        std::memcpy(p, cella.data(), size_t(cella.size()));
        p += cella.size();
    }
    return true;
}

QByteArrayView TTabellaSchede::byteCella(int riga, int colonna) const
{
    if (riga < 0 || riga >= RigheRiempite() || colonna < 0 || colonna >= NumeroColonne)
        return {};
    const char* p = m_byte.constData() + m_inizioRiga[size_t(riga)];
    for (int c = 0; c < colonna; ++c)
        p += 1 + static_cast<unsigned char>(*p);
    return QByteArrayView(p + 1, static_cast<unsigned char>(*p));
}

QString TTabellaSchede::Testo(int riga, int colonna) const
{
    const auto modifica = m_modifiche.constFind(chiave(riga, colonna));
    if (modifica != m_modifiche.constEnd())
        return *modifica;
    return CodePage::decode(byteCella(riga, colonna));
}

void TTabellaSchede::ImpostaTesto(int riga, int colonna, const QString& testo)
{
    if (riga < 0 || riga >= m_righe || colonna < 0 || colonna >= NumeroColonne)
        return;
    m_modifiche.insert(chiave(riga, colonna), testo);
}

void TTabellaSchede::AccodaCella(int riga, int colonna, QByteArray& out) const
{
    const auto modifica = m_modifiche.constFind(chiave(riga, colonna));
    if (modifica != m_modifiche.constEnd())
        accodaTesto(*modifica, out);
    else
        accodaByte(byteCella(riga, colonna), out);
}

void TTabellaSchede::AccodaRiga(int riga, QByteArray& out) const
{
    static constexpr QByteArrayView apriRiga("<tr>");
    static constexpr QByteArrayView chiudiRiga("</tr>");
    // The number format "@" (text, in the Italian locale 1040) keeps Calc
    // from reading a cell as a number, a date or a formula, as the table's
    // x:str does for Excel; Excel ignores the attribute.
    static constexpr QByteArrayView apri("<td style=\"text-align: left;\" sdnum=\"1040;0;@\">");
    static constexpr QByteArrayView chiudi("</td>");
    const bool riempita = riga >= 0 && riga < RigheRiempite();
    const char* p = riempita ? m_byte.constData() + m_inizioRiga[size_t(riga)] : nullptr;
    const qsizetype dimensione = !riempita ? 0
                                           : (size_t(riga) + 1 < m_inizioRiga.size() ? m_inizioRiga[size_t(riga) + 1]
                                                                                     : m_byte.size())
                                                 - m_inizioRiga[size_t(riga)];
    bool modificata = false;
    for (int colonna = 0; colonna < NumeroColonne && !m_modifiche.isEmpty() && !modificata; ++colonna)
        modificata = m_modifiche.contains(chiave(riga, colonna));

    if (modificata) {
        // Rare: the user retouched a cell of this row.
        out.append(apriRiga);
        for (int colonna = 0; colonna < NumeroColonne; ++colonna) {
            out.append(apri);
            AccodaCella(riga, colonna, out);
            out.append(chiudi);
        }
        out.append(chiudiRiga);
        return;
    }

    // The row's cells lie one after the other: walked once and written
    // straight into room made for the longest the row can become.
    auto copia = [](char* q, QByteArrayView testo) {
        std::memcpy(q, testo.data(), size_t(testo.size()));
        return q + testo.size();
    };
    const qsizetype inizio = out.size();
    out.resize(inizio + apriRiga.size() + chiudiRiga.size() + NumeroColonne * (apri.size() + chiudi.size())
               + kEspansioneMassima * dimensione);
    char* q = copia(out.data() + inizio, apriRiga);
    for (int colonna = 0; colonna < NumeroColonne; ++colonna) {
        q = copia(q, apri);
        if (p) {
            const QByteArrayView cella(p + 1, static_cast<unsigned char>(*p));
            q = scriviByte(cella, q);
            p += 1 + cella.size();
        }
        q = copia(q, chiudi);
    }
    q = copia(q, chiudiRiga);
    out.resize(q - out.constData());
}

qsizetype TTabellaSchede::MemoriaOccupata() const
{
    qsizetype totale = m_byte.capacity() + qsizetype(m_inizioRiga.capacity() * sizeof(qsizetype));
    for (const QString& testo : m_modifiche)
        totale += testo.capacity() * qsizetype(sizeof(QChar)) + qsizetype(sizeof(qint64) + sizeof(QString));
    return totale;
}

void TTabellaSchede::Compatta()
{
    m_byte.squeeze();
}

namespace Esportazione {

void RiempiDaArchivio(TTabellaSchede& tabella, const QString& percorso)
{
    TArchivio archivio;
    archivio.ApriArchivio(percorso);
    const qint32 schede = archivio.ContaSchede();
    if (schede == 0) {
        archivio.ChiudiArchivio();
        return;
    }
    tabella.Reimposta(schede);
    archivio.ScorriSchede([&](const TScheda& scheda, qint32) { tabella.AggiungiScheda(scheda); });
    tabella.Compatta();
    archivio.ChiudiArchivio();
}

QByteArray Contenuto(const TTabellaSchede& tabella)
{
    QByteArray tutto;
    produci(tabella, [&](const QByteArray& fetta) {
        tutto += fetta;
        return true;
    });
    return tutto;
}

bool ScriviFile(const QString& percorso, const TTabellaSchede& tabella, TFailure* failure)
{
    const auto fail = [&](const QString& cause) {
        if (failure)
            *failure = TFailure{TFailure::Operation::Export, percorso, cause};
        return false;
    };
    if (QFileInfo::exists(FileDiBlocco(percorso)))
        return fail(QStringLiteral("open in a spreadsheet program (its lock file is there)"));
    QSaveFile file(percorso);
    if (!file.open(QIODevice::WriteOnly))
        return fail(deviceError(file));
    const bool scritto = produci(tabella, [&](const QByteArray& fetta) { return file.write(fetta) == fetta.size(); });
    if (!scritto) {
        const QString cause = deviceError(file);
        file.cancelWriting();
        return fail(cause);
    }
    QString cause;
    return SaveFile::commit(file, &cause) || fail(cause);
}

} // namespace Esportazione
