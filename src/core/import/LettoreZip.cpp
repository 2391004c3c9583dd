// Workbooks: OpenDocument (zipped or flat) and Office Open XML, read as XML
// streams straight out of the zip, and old binary Excel files.
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <freexl.h>
#include <quazip.h>
#include <quazipfile.h>
#include <quazipfileinfo.h>

#include <optional>

#include "core/import/LettoreTabella.h"

namespace Importazione {

namespace {

// How much a part of a workbook may unpack to: generous for real workbooks,
// which pack a few times to a few tens, and far below what a zip bomb makes.
qint64 limiteScompattato(qint64 dimensioneFile)
{
    return std::min<qint64>(qint64(2) << 30, std::max<qint64>(qint64(64) << 20, 100 * dimensioneFile));
}

// A part of the zip as a device that fails once more than `limite` bytes
// have come out of it, whatever its directory claims.
class ParteLimitata : public QIODevice {
public:
    ParteLimitata(QuaZip* zip, qint64 limite) : m_parte(zip), m_limite(limite) {}
    bool apri()
    {
        if (!m_parte.open(QIODevice::ReadOnly))
            return false;
        return QIODevice::open(QIODevice::ReadOnly);
    }
    bool superato() const { return m_superato; }
    bool isSequential() const override { return true; }
    qint64 letti() const { return m_letti; }

protected:
    qint64 readData(char* dati, qint64 quanti) override
    {
        const qint64 r = m_parte.read(dati, quanti);
        if (r > 0) {
            m_letti += r;
            if (m_letti > m_limite) {
                m_superato = true;
                return -1;
            }
        }
        return r;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QuaZipFile m_parte;
    qint64 m_limite;
    qint64 m_letti = 0;
    bool m_superato = false;
};

// The shared part of the zipped readers: the zip, one part open at a time.
class Zip {
public:
    explicit Zip(const QString& percorso) : m_zip(percorso), m_dimensione(QFile(percorso).size()) {}
    bool apri() { return m_zip.open(QuaZip::mdUnzip); }
    bool contiene(const QString& nome) { return m_zip.setCurrentFile(nome); }

    // Opens part `nome`; the error to report when it cannot.
    std::optional<ErroreLettura> apriParte(const QString& nome)
    {
        m_parte.reset();
        if (!m_zip.setCurrentFile(nome))
            return ErroreLettura::Danneggiato;
        QuaZipFileInfo64 info;
        const qint64 limite = limiteScompattato(m_dimensione);
        if (m_zip.getCurrentFileInfo(&info) && qint64(info.uncompressedSize) > limite)
            return ErroreLettura::TroppoGrande;
        m_parte = std::make_unique<ParteLimitata>(&m_zip, limite);
        if (!m_parte->apri())
            return ErroreLettura::Danneggiato;
        return std::nullopt;
    }
    ParteLimitata* parte() { return m_parte.get(); }
    ErroreLettura erroreXml(const QXmlStreamReader& xml) const
    {
        if (m_parte && m_parte->superato())
            return ErroreLettura::TroppoGrande;
        return xml.error() == QXmlStreamReader::NoError ? ErroreLettura::Nessuno : ErroreLettura::Danneggiato;
    }
    int avanzamento(qint64 atteso) const
    {
        return m_parte && atteso > 0 ? int(std::min<qint64>(1000, m_parte->letti() * 1000 / atteso)) : 0;
    }
    qint64 dimensione() const { return m_dimensione; }

private:
    QuaZip m_zip;
    qint64 m_dimensione;
    std::unique_ptr<ParteLimitata> m_parte;
};

const QString kTable = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QString kOffice = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString kText = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
const QString kNumberColumnsRepeated = QStringLiteral("number-columns-repeated");
const QString kValueType = QStringLiteral("value-type");
const QString kDateValue = QStringLiteral("date-value");
const QString kTimeValue = QStringLiteral("time-value");
const QString kValue = QStringLiteral("value");

// An OpenDocument spreadsheet: content.xml of the zip, or the whole flat file.
class LettoreOpenDocument : public LettoreTabella {
public:
    LettoreOpenDocument(const QString& percorso, bool piatto) : m_percorso(percorso), m_piatto(piatto) {}

    QStringList Fogli() const override
    {
        if (!m_nomiLetti) {
            // One more pass, only asked for by a window that offers the choice.
            LettoreOpenDocument altro(m_percorso, m_piatto);
            if (altro.apriXml()) {
                QXmlStreamReader& xml = altro.m_xml;
                while (!xml.atEnd()) {
                    xml.readNext();
                    if (xml.isStartElement() && xml.name() == u"table" && xml.namespaceUri() == kTable) {
                        m_nomi << xml.attributes().value(kTable, QStringLiteral("name")).toString();
                        xml.skipCurrentElement();
                    }
                }
            }
            m_nomiLetti = true;
        }
        return m_nomi;
    }

    bool ApriFoglio(int indice) override
    {
        azzeraErrore();
        if (!apriXml())
            return false;
        int visti = 0;
        while (!m_xml.atEnd()) {
            m_xml.readNext();
            if (m_xml.isStartElement() && m_xml.name() == u"table" && m_xml.namespaceUri() == kTable) {
                if (visti++ == indice) {
                    m_ripetizioni = 0;
                    return true;
                }
                m_xml.skipCurrentElement();
            }
        }
        if (const ErroreLettura e = erroreXml(); e != ErroreLettura::Nessuno)
            return fallisci(e);
        return fallisci(visti == 0 ? ErroreLettura::NonFoglio : ErroreLettura::FoglioVuoto);
    }

    int Avanzamento() const override
    {
        if (m_piatto)
            return m_file.size() > 0 ? int(m_file.pos() * 1000 / m_file.size()) : 0;
        return m_zip ? m_zip->avanzamento(m_zip->dimensione() * 10) : 0;
    }

protected:
    bool rigaGrezza(QStringList& celle) override
    {
        if (m_ripetizioni > 0) {
            --m_ripetizioni;
            celle = m_ripetuta;
            return true;
        }
        while (!m_xml.atEnd()) {
            m_xml.readNext();
            if (m_xml.isEndElement() && m_xml.name() == u"table" && m_xml.namespaceUri() == kTable)
                return false; // the end of the sheet
            if (!m_xml.isStartElement() || m_xml.namespaceUri() != kTable || m_xml.name() != u"table-row")
                continue;
            const int ripetuta = std::max(
                1, m_xml.attributes().value(kTable, QStringLiteral("number-rows-repeated")).toInt());
            if (!leggiRiga(celle))
                return false;
            if (ripetuta > 1 && !celle.isEmpty()) {
                m_ripetuta = celle;
                m_ripetizioni = ripetuta - 1;
            }
            return true;
        }
        const ErroreLettura e = erroreXml();
        return e == ErroreLettura::Nessuno ? false : fallisci(e);
    }

private:
    bool apriXml()
    {
        m_xml.clear();
        if (m_piatto) {
            m_file.close();
            m_file.setFileName(m_percorso);
            if (!m_file.open(QIODevice::ReadOnly))
                return fallisci(ErroreLettura::NonLeggibile);
            m_xml.setDevice(&m_file);
            return true;
        }
        m_zip = std::make_unique<Zip>(m_percorso);
        if (!m_zip->apri())
            return fallisci(ErroreLettura::Danneggiato);
        if (const std::optional<ErroreLettura> e = m_zip->apriParte(QStringLiteral("content.xml")))
            return fallisci(*e);
        m_xml.setDevice(m_zip->parte());
        return true;
    }

    ErroreLettura erroreXml() const
    {
        if (!m_piatto && m_zip)
            return m_zip->erroreXml(m_xml);
        return m_xml.error() == QXmlStreamReader::NoError ? ErroreLettura::Nessuno : ErroreLettura::Danneggiato;
    }

    // The cells of the row just opened; empty cells repeated at its end are
    // never made.
    bool leggiRiga(QStringList& celle)
    {
        qsizetype vuoteInSospeso = 0;
        while (!m_xml.atEnd()) {
            m_xml.readNext();
            if (m_xml.isEndElement() && m_xml.name() == u"table-row")
                return true;
            if (!m_xml.isStartElement() || m_xml.namespaceUri() != kTable
                || (m_xml.name() != u"table-cell" && m_xml.name() != u"covered-table-cell"))
                continue;
            // The attributes wanted, read before the cell's text moves the
            // reader on: a number, date or time is kept as stored, not in the
            // saving machine's display format, since the import knows how to
            // put them back.
            const QXmlStreamAttributes& a = m_xml.attributes();
            const qsizetype ripetuta = std::max(1, a.value(kTable, kNumberColumnsRepeated).toInt());
            const QStringView tipo = a.value(kOffice, kValueType);
            const bool durata = tipo == u"time";
            const bool numero = tipo == u"float" || tipo == u"currency" || tipo == u"percentage";
            const bool comeTesto = !durata && !numero && tipo != u"date";
            QString valore;
            if (durata)
                valore = a.value(kOffice, kTimeValue).toString();
            else if (numero)
                valore = a.value(kOffice, kValue).toString();
            else if (!comeTesto)
                valore = a.value(kOffice, kDateValue).toString();
            QString testo = testoCella();
            if (m_xml.hasError())
                break;
            if (durata) {
                static const QRegularExpression formaDurata(QStringLiteral("^PT(\\d+)H(\\d+)M(\\d+)"));
                const QRegularExpressionMatch m = formaDurata.match(valore);
                if (m.hasMatch())
                    testo = QStringLiteral("%1:%2:%3")
                                .arg(m.captured(1).toInt(), 2, 10, QLatin1Char('0'))
                                .arg(m.captured(2).toInt(), 2, 10, QLatin1Char('0'))
                                .arg(m.captured(3).toInt(), 2, 10, QLatin1Char('0'));
            } else if (!comeTesto) {
                testo = valore;
            }
            if (testo.isEmpty()) {
                vuoteInSospeso += ripetuta;
                continue;
            }
            const qsizetype spazio = kColonneMassime - celle.size();
            for (qsizetype i = 0; i < std::min(vuoteInSospeso, spazio); ++i)
                celle.append(QString());
            vuoteInSospeso = 0;
            for (qsizetype i = 0; i < std::min(ripetuta, kColonneMassime - celle.size()); ++i)
                celle.append(testo);
        }
        const ErroreLettura e = erroreXml();
        return fallisci(e == ErroreLettura::Nessuno ? ErroreLettura::Danneggiato : e);
    }

    // The paragraphs of the cell just opened, one per line.
    QString testoCella()
    {
        QString testo;
        int paragrafi = 0;
        int profondita = 1;
        while (profondita > 0 && !m_xml.atEnd()) {
            m_xml.readNext();
            if (m_xml.isStartElement()) {
                ++profondita;
                if (m_xml.namespaceUri() != kText)
                    continue;
                // A paragraph after the first, like a line break, starts a new line.
                if ((m_xml.name() == u"p" && profondita == 2 && paragrafi++ > 0) || m_xml.name() == u"line-break")
                    testo += u'\n';
                else if (m_xml.name() == u"s")
                    testo += QString(std::max(1, m_xml.attributes().value(kText, QStringLiteral("c")).toInt()), u' ');
                else if (m_xml.name() == u"tab")
                    testo += u'\t';
                else if (m_xml.name() == u"note" || m_xml.name() == u"annotation") {
                    m_xml.skipCurrentElement();
                    --profondita;
                }
            } else if (m_xml.isEndElement()) {
                --profondita;
            } else if (m_xml.isCharacters()) {
                if (testo.isEmpty())
                    testo = m_xml.text().toString(); // most cells: one piece of text
                else
                    testo += m_xml.text();
                if (testo.size() > kRigaMassima)
                    return testo;
            }
        }
        return testo;
    }

    QString m_percorso;
    bool m_piatto;
    QFile m_file;
    std::unique_ptr<Zip> m_zip;
    QXmlStreamReader m_xml;
    QStringList m_ripetuta;
    int m_ripetizioni = 0;
    mutable QStringList m_nomi;
    mutable bool m_nomiLetti = false;
};

const QString kMain = QStringLiteral("http://schemas.openxmlformats.org/spreadsheetml/2006/main");

// The column of a cell reference such as "AB12", from 0; -1 when none.
int colonnaDi(QStringView riferimento)
{
    int c = 0;
    qsizetype i = 0;
    for (; i < riferimento.size() && riferimento[i].isLetter(); ++i) {
        c = c * 26 + (riferimento[i].toUpper().unicode() - u'A' + 1);
        if (c > kColonneMassime)
            return kColonneMassime;
    }
    return i == 0 ? -1 : c - 1;
}

// An Office Open XML workbook: the sheets listed by the workbook, the shared
// strings read once, each sheet streamed.
class LettoreOoxml : public LettoreTabella {
public:
    explicit LettoreOoxml(const QString& percorso) : m_zip(percorso) {}

    bool prepara()
    {
        if (!m_zip.apri() || !m_zip.contiene(QStringLiteral("xl/workbook.xml")))
            return fallisci(ErroreLettura::NonFoglio);
        // Where each sheet's part lies.
        QHash<QString, QString> parti;
        if (!m_zip.apriParte(QStringLiteral("xl/_rels/workbook.xml.rels"))) {
            QXmlStreamReader xml(m_zip.parte());
            while (xml.readNextStartElement() || !xml.atEnd()) {
                if (xml.isStartElement() && xml.name() == u"Relationship") {
                    QString destinazione = xml.attributes().value(QStringLiteral("Target")).toString();
                    if (destinazione.startsWith(u'/'))
                        destinazione = destinazione.mid(1);
                    else
                        destinazione = QStringLiteral("xl/") + destinazione;
                    parti.insert(xml.attributes().value(QStringLiteral("Id")).toString(), destinazione);
                }
                if (!xml.isStartElement())
                    xml.readNext();
            }
        }
        if (const std::optional<ErroreLettura> e = m_zip.apriParte(QStringLiteral("xl/workbook.xml")))
            return fallisci(*e);
        {
            QXmlStreamReader xml(m_zip.parte());
            while (!xml.atEnd()) {
                xml.readNext();
                if (xml.isStartElement() && xml.name() == u"sheet") {
                    m_nomi << xml.attributes().value(QStringLiteral("name")).toString();
                    QString id;
                    for (const QXmlStreamAttribute& a : xml.attributes())
                        if (a.name() == u"id")
                            id = a.value().toString();
                    m_parti << parti.value(id, QStringLiteral("xl/worksheets/sheet%1.xml").arg(m_nomi.size()));
                }
            }
            if (const ErroreLettura e = m_zip.erroreXml(xml); e != ErroreLettura::Nessuno)
                return fallisci(e);
        }
        if (m_nomi.isEmpty())
            return fallisci(ErroreLettura::Danneggiato);
        if (m_zip.contiene(QStringLiteral("xl/sharedStrings.xml"))) {
            if (const std::optional<ErroreLettura> e = m_zip.apriParte(QStringLiteral("xl/sharedStrings.xml")))
                return fallisci(*e);
            QXmlStreamReader xml(m_zip.parte());
            QString voce;
            bool inVoce = false;
            qint64 caratteri = 0;
            while (!xml.atEnd()) {
                xml.readNext();
                if (xml.isStartElement() && xml.name() == u"si") {
                    voce.clear();
                    inVoce = true;
                } else if (xml.isEndElement() && xml.name() == u"si") {
                    caratteri += voce.size();
                    m_condivise << voce;
                    inVoce = false;
                } else if (inVoce && xml.isStartElement() && (xml.name() == u"rPh" || xml.name() == u"phoneticPr")) {
                    xml.skipCurrentElement();
                } else if (inVoce && xml.isStartElement() && xml.name() == u"t") {
                    voce += xml.readElementText();
                }
                if (caratteri > kCelleMassime * 8)
                    return fallisci(ErroreLettura::TroppoGrande);
            }
            if (const ErroreLettura e = m_zip.erroreXml(xml); e != ErroreLettura::Nessuno)
                return fallisci(e);
        }
        return true;
    }

    QStringList Fogli() const override { return m_nomi; }

    bool ApriFoglio(int indice) override
    {
        azzeraErrore();
        if (indice < 0 || indice >= m_parti.size())
            return fallisci(ErroreLettura::NonLeggibile);
        if (const std::optional<ErroreLettura> e = m_zip.apriParte(m_parti[indice]))
            return fallisci(*e);
        m_xml.clear();
        m_xml.setDevice(m_zip.parte());
        return true;
    }

    int Avanzamento() const override { return m_zip.avanzamento(m_zip.dimensione() * 10); }

protected:
    bool rigaGrezza(QStringList& celle) override
    {
        while (!m_xml.atEnd()) {
            m_xml.readNext();
            if (m_xml.isStartElement() && m_xml.name() == u"row")
                return leggiRiga(celle);
        }
        const ErroreLettura e = m_zip.erroreXml(m_xml);
        return e == ErroreLettura::Nessuno ? false : fallisci(e);
    }

private:
    bool leggiRiga(QStringList& celle)
    {
        while (!m_xml.atEnd()) {
            m_xml.readNext();
            if (m_xml.isEndElement() && m_xml.name() == u"row")
                return true;
            if (!m_xml.isStartElement() || m_xml.name() != u"c")
                continue;
            // Only the two attributes wanted, looked up once; views of them
            // die with the next token, so the type is kept as a small tag.
            const QXmlStreamAttributes& a = m_xml.attributes();
            const QStringView t = a.value(QLatin1StringView("t"));
            const char16_t tipo = t.isEmpty() ? u'n' : t == u"s" ? u's' : t == u"b" ? u'b' : t == u"e" ? u'e' : u'n';
            int colonna = colonnaDi(a.value(QLatin1StringView("r")));
            if (colonna < 0)
                colonna = int(celle.size());
            QString valore;
            int livello = 0;
            bool inTesto = false; // inside a <v>, or a <t> of an inline string
            while (!m_xml.atEnd()) {
                const QXmlStreamReader::TokenType token = m_xml.readNext();
                if (token == QXmlStreamReader::Characters) {
                    if (!inTesto)
                        continue;
                    if (valore.isEmpty())
                        valore = m_xml.text().toString();
                    else
                        valore += m_xml.text();
                } else if (token == QXmlStreamReader::StartElement) {
                    const QStringView nome = m_xml.name();
                    if (nome == u"f") {
                        m_xml.skipCurrentElement();
                    } else {
                        ++livello;
                        inTesto = nome == u"v" || nome == u"t";
                    }
                } else if (token == QXmlStreamReader::EndElement) {
                    if (livello-- == 0)
                        break; // the end of the cell
                    inTesto = false;
                }
            }
            if (tipo == u's') {
                bool ok = false;
                const int n = valore.toInt(&ok);
                valore = ok && n >= 0 && n < m_condivise.size() ? m_condivise[n] : QString();
            } else if (tipo == u'b') {
                valore = valore == u"1" ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
            } else if (tipo == u'e') {
                valore.clear();
            }
            if (colonna >= kColonneMassime || valore.isEmpty())
                continue;
            while (celle.size() < colonna)
                celle.append(QString());
            if (celle.size() == colonna)
                celle.append(valore);
        }
        const ErroreLettura e = m_zip.erroreXml(m_xml);
        return fallisci(e == ErroreLettura::Nessuno ? ErroreLettura::Danneggiato : e);
    }

    Zip m_zip;
    QStringList m_nomi;
    QStringList m_parti;
    QStringList m_condivise;
    QXmlStreamReader m_xml;
};

// Binary Excel 97-2003 through FreeXL, which holds the workbook in memory;
// such files are small by their nature (65 536 rows at most).
class LettoreBiff : public LettoreTabella {
public:
    explicit LettoreBiff(const QString& percorso)
    {
        if (freexl_open(QFile::encodeName(percorso).constData(), &m_handle) != FREEXL_OK) {
            if (m_handle)
                freexl_close(m_handle);
            m_handle = nullptr;
            return;
        }
        unsigned int fogli = 0;
        if (freexl_get_info(m_handle, FREEXL_BIFF_SHEET_COUNT, &fogli) == FREEXL_OK)
            for (unsigned short i = 0; i < fogli && i < 1000; ++i) {
                const char* nome = nullptr;
                freexl_get_worksheet_name(m_handle, i, &nome);
                m_nomi << (nome ? QString::fromUtf8(nome) : QString());
            }
    }
    ~LettoreBiff() override
    {
        if (m_handle)
            freexl_close(m_handle);
    }
    LettoreBiff(const LettoreBiff&) = delete;
    LettoreBiff& operator=(const LettoreBiff&) = delete;

    QStringList Fogli() const override { return m_nomi; }

    bool ApriFoglio(int indice) override
    {
        azzeraErrore();
        if (!m_handle)
            return fallisci(ErroreLettura::Danneggiato);
        if (indice < 0 || indice >= m_nomi.size()
            || freexl_select_active_worksheet(m_handle, static_cast<unsigned short>(indice)) != FREEXL_OK
            || freexl_worksheet_dimensions(m_handle, &m_righe, &m_colonne) != FREEXL_OK)
            return fallisci(ErroreLettura::Danneggiato);
        m_riga = 0;
        return true;
    }

    int Avanzamento() const override { return m_righe > 0 ? int(qint64(m_riga) * 1000 / m_righe) : 0; }

protected:
    bool rigaGrezza(QStringList& celle) override
    {
        if (m_riga >= m_righe)
            return false;
        const unsigned short colonne = std::min<unsigned short>(m_colonne, kColonneMassime);
        for (unsigned short c = 0; c < colonne; ++c) {
            FreeXL_CellValue v{};
            if (freexl_get_cell_value(m_handle, m_riga, c, &v) != FREEXL_OK)
                return fallisci(ErroreLettura::Danneggiato);
            QString testo;
            switch (v.type) {
            case FREEXL_CELL_INT: testo = QString::number(v.value.int_value); break;
            case FREEXL_CELL_DOUBLE: testo = QString::number(v.value.double_value, 'g', 15); break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
            case FREEXL_CELL_TIME: testo = QString::fromUtf8(v.value.text_value); break;
            default: break;
            }
            celle.append(testo);
        }
        ++m_riga;
        return true;
    }

private:
    const void* m_handle = nullptr;
    QStringList m_nomi;
    unsigned int m_righe = 0;
    unsigned short m_colonne = 0;
    unsigned int m_riga = 0;
};

// Reports the failure it was made with from ApriFoglio.
class LettoreFallito : public LettoreTabella {
public:
    explicit LettoreFallito(ErroreLettura errore) : m_errore(errore) {}
    bool ApriFoglio(int) override { return fallisci(m_errore); }

protected:
    bool rigaGrezza(QStringList&) override { return false; }

private:
    ErroreLettura m_errore;
};

} // namespace

std::unique_ptr<LettoreTabella> LettoreOds(const QString& percorso, bool piatto)
{
    return std::make_unique<LettoreOpenDocument>(percorso, piatto);
}

std::unique_ptr<LettoreTabella> LettoreXlsx(const QString& percorso)
{
    auto lettore = std::make_unique<LettoreOoxml>(percorso);
    if (!lettore->prepara()) {
        const ErroreLettura e = lettore->Errore();
        return std::make_unique<LettoreFallito>(e == ErroreLettura::NonFoglio && QuaZip(percorso).open(QuaZip::mdUnzip)
                                                    ? ErroreLettura::NonFoglio
                                                : e == ErroreLettura::NonFoglio ? ErroreLettura::Danneggiato
                                                                                : e);
    }
    return lettore;
}

std::unique_ptr<LettoreTabella> LettoreXls(const QString& percorso)
{
    return std::make_unique<LettoreBiff>(percorso);
}

} // namespace Importazione
