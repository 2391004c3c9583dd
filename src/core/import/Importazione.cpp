#include "core/import/Importazione.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

#include "core/archive/CompanionFiles.h"
#include "core/export/Export.h"
#include "core/formats/Amount.h"
#include "core/formats/CodePage.h"
#include "core/formats/Text.h"

namespace Importazione {

namespace {

// A header as it is compared: no accents, no case, no punctuation, single blanks.
QString chiave(const QString& testo)
{
    const QString scomposto = testo.normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(scomposto.size());
    for (const QChar c : scomposto) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        out += c.isLetterOrNumber() ? c.toLower() : QChar(u' ');
    }
    return out.simplified();
}

const QHash<QString, int>& sinonimi()
{
    static const QHash<QString, int> tabella = [] {
        QHash<QString, int> t;
        auto aggiungi = [&t](int destinazione, std::initializer_list<const char*> nomi) {
            for (const char* nome : nomi)
                t.insert(chiave(QString::fromUtf8(nome)), destinazione);
        };
        for (const DescrizioneCampo& d : Campi)
            t.insert(chiave(QString::fromLatin1(d.nome)), int(d.campo));
        for (const Esportazione::Colonna& c : Esportazione::Colonne)
            t.insert(chiave(QString::fromUtf8(c.intestazione)), int(c.campo));
        aggiungi(int(Campo::Nome), {"Modello", "Nome modello", "Modellino", "Name", "Model", "Titolo", "Articolo"});
        aggiungi(int(Campo::Tipologia), {"Tipo", "Categoria", "Genere", "Type", "Category"});
        aggiungi(int(Campo::Produttore),
                 {"Marca", "Fabbricante", "Casa", "Casa produttrice", "Ditta", "Manufacturer", "Brand", "Maker"});
        aggiungi(int(Campo::Codice), {"Codice articolo", "Cod", "Riferimento", "Numero di catalogo", "Code", "SKU"});
        aggiungi(int(Campo::Descrizione), {"Description"});
        aggiungi(int(Campo::Anno), {"Anno di produzione", "Year", "Anno uscita"});
        aggiungi(int(Campo::Valore), {"Prezzo", "Valore stimato", "Costo", "Quotazione", "Price", "Value", "Euro"});
        aggiungi(int(Campo::Proprietario), {"Owner", "Collezionista"});
        aggiungi(int(Campo::Materiali), {"Materiale", "Material", "Materials"});
        aggiungi(int(Campo::Colori), {"Colore", "Colour", "Color", "Colors"});
        aggiungi(int(Campo::Confezione), {"Scatola", "Imballo", "Box", "Packaging"});
        aggiungi(int(Campo::Difetti), {"Difetto", "Defects"});
        aggiungi(int(Campo::Data), {"Data", "Data di acquisto", "Acquistato il", "Date", "Purchase date"});
        aggiungi(int(Campo::Provenienza), {"Origine", "Acquistato da", "Negozio", "Provenance", "Source"});
        aggiungi(int(Campo::Montaggio), {"Istruzioni di montaggio", "Assembly"});
        aggiungi(int(Campo::Scala), {"Scale", "Rapporto di scala"});
        aggiungi(int(Campo::Dimensioni), {"Misure", "Dimensione", "Size", "Dimensions"});
        aggiungi(int(Campo::Rarita), {"Rarity"});
        aggiungi(int(Campo::Stato), {"Stato", "Condizioni", "Conservazione", "Condition"});
        aggiungi(int(Campo::Luogo), {"Luogo", "Posizione", "Collocazione", "Location"});
        aggiungi(int(Campo::Note), {"Notes", "Annotazioni", "Osservazioni"});
        aggiungi(int(Campo::InVendita), {"Vendita", "In vendita", "Da vendere", "For sale", "Sale"});
        aggiungi(FotoA, {"Foto A", "Foto", "Foto 1", "Immagine", "Photo", "Photo A", "Percorso foto"});
        aggiungi(FotoB, {"Foto B", "Foto 2", "Photo B", "Seconda foto"});
        aggiungi(Allegato, {"Allegato", "Allegato 1", "Allegato 2", "Allegato 3", "Documento", "File", "Attachment"});
        return t;
    }();
    return tabella;
}

bool soloCifre(QStringView s)
{
    return !s.isEmpty() && std::all_of(s.begin(), s.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// A number a spreadsheet may hand over for a cell: a decimal point or comma.
std::optional<double> numero(const QString& testo)
{
    QString s = testo;
    s.replace(u',', u'.');
    bool ok = false;
    const double v = s.toDouble(&ok);
    return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

QString scalaDaOra(int ore, int minuti)
{
    return QString::number(ore) + u':' + QString::number(minuti);
}

// A scale "1:18" that a spreadsheet read as the time 01:18 comes back as
// "01:18:00" or as the fraction of a day 0.0541666…
std::optional<QString> scalaRipristinata(const QString& t)
{
    static const QRegularExpression ora(QStringLiteral("^(\\d{1,2}):(\\d{2}):00$"));
    static const QRegularExpression oraZero(QStringLiteral("^0(\\d):(\\d{2})$"));
    QRegularExpressionMatch m = ora.match(t);
    if (!m.hasMatch())
        m = oraZero.match(t);
    if (m.hasMatch())
        return scalaDaOra(m.captured(1).toInt(), m.captured(2).toInt());
    if (const std::optional<double> v = numero(t);
        v && *v > 0 && *v < 1 && t.contains(QRegularExpression(QStringLiteral("[.,]")))) {
        const int minuti = int(std::lround(*v * 24 * 60));
        if (minuti >= 60)
            return scalaDaOra(minuti / 60, minuti % 60);
    }
    return std::nullopt;
}

std::optional<QDate> data(const QString& t)
{
    static const QRegularExpression giornoPrima(QStringLiteral(
        "^(\\d{1,2})[/.\\-](\\d{1,2})[/.\\-](\\d{2}|\\d{4})(?:[ T]\\d{1,2}:\\d{2}(?::\\d{2}(?:\\.\\d+)?)?)?$"));
    static const QRegularExpression annoPrima(
        QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})(?:[ T]\\d{1,2}:\\d{2}(?::\\d{2}(?:\\.\\d+)?)?)?$"));
    QRegularExpressionMatch m = giornoPrima.match(t);
    if (m.hasMatch()) {
        int anno = m.captured(3).toInt();
        if (m.captured(3).size() == 2)
            anno += anno < 50 ? 2000 : 1900;
        const QDate d(anno, m.captured(2).toInt(), m.captured(1).toInt());
        return d.isValid() ? std::optional<QDate>(d) : std::nullopt;
    }
    m = annoPrima.match(t);
    if (m.hasMatch()) {
        const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        return d.isValid() ? std::optional<QDate>(d) : std::nullopt;
    }
    // A serial day number, as Excel and Calc count from 30 December 1899.
    if (const std::optional<double> v = numero(t);
        v && *v >= 1 && *v < 2958466 && !t.contains(u'e') && !t.contains(u'E')) {
        return QDate(1899, 12, 30).addDays(qint64(std::floor(*v)));
    }
    return std::nullopt;
}

// An amount in the program's Italian form, from that form or from the
// English one, with or without a currency sign and thousands separators.
std::optional<QString> importo(const QString& t, bool& inglese)
{
    QString s = t;
    s.remove(QChar(0x20AC)).remove(QStringLiteral("EUR"), Qt::CaseInsensitive).remove(u' ').remove(QChar(0xA0));
    const qsizetype punto = s.lastIndexOf(u'.');
    const qsizetype virgola = s.lastIndexOf(u',');
    static const QRegularExpression migliaiaPunto(QStringLiteral("^[-+]?\\d{1,3}(\\.\\d{3}){2,}$"));
    static const QRegularExpression migliaiaVirgola(QStringLiteral("^[-+]?\\d{1,3}(,\\d{3}){2,}$"));
    inglese = false;
    if (punto >= 0 && virgola >= 0) {
        if (punto > virgola) {
            s.remove(u',');
            s.replace(u'.', u',');
            inglese = true;
        } else {
            s.remove(u'.');
        }
    } else if (punto >= 0) {
        if (migliaiaPunto.match(s).hasMatch()) {
            s.remove(u'.');
        } else {
            s.replace(u'.', u',');
            inglese = true;
        }
    } else if (virgola >= 0 && migliaiaVirgola.match(s).hasMatch()) {
        s.remove(u',');
        inglese = true;
    }
    if (!LeggiImporto(s))
        return std::nullopt;
    return NormalizzaImporto(s);
}

QString percorsoDi(const QString& testo, const QString& cartella)
{
    QString p = testo;
    if (p.startsWith(QStringLiteral("file://")))
        p = p.mid(7);
    if (QFileInfo(p).isRelative() && !cartella.isEmpty())
        p = QDir(cartella).filePath(p);
    return p;
}

bool immagineLeggibile(const QString& percorso)
{
    QImageReader lettore(percorso);
    return lettore.canRead();
}

// Fits a text into a field as the record's writer stores it.
void adatta(Campo campo, Cella& cella)
{
    const QString t = Text::trimmed(cella.testo);
    const int capacita = descrizione(campo).capacita;
    // Plain ASCII, most cells, takes a byte per character and always fits the code page.
    if (std::all_of(t.cbegin(), t.cend(), [](QChar c) { return c.unicode() < 0x80; })) {
        if (t.size() > capacita) {
            cella.problemi |= TroppoLungo;
            cella.testo = t.left(capacita);
        } else {
            cella.testo = t;
        }
        return;
    }
    bool fuori = false;
    CodePage::forEachCharacter(QStringView(t).left(255), [&fuori](char32_t c) { fuori |= CodePage::byteOf(c) < 0; });
    if (fuori)
        cella.problemi |= FuoriCodifica;
    const QByteArray byte = CodePage::encode(QStringView(t).left(255));
    if (byte.size() > capacita || t.size() > 255)
        cella.problemi |= TroppoLungo;
    if (fuori || byte.size() > capacita || t.size() > 255) {
        thread_local TScheda prova;
        prova.ScriviCampo(campo, t);
        cella.testo = prova.LeggiCampo(campo);
    } else {
        cella.testo = t;
    }
}

Cella normalizza(int destinazione, const QString& grezzo, const QString& cartella, bool controllaFile)
{
    Cella cella;
    const QString t = Text::trimmed(grezzo);
    cella.testo = t;
    if (destinazione == NonImportare || t.isEmpty()) {
        if (destinazione == int(Campo::InVendita))
            cella.testo = QStringLiteral("No");
        return cella;
    }
    if (destinazione == FotoA || destinazione == FotoB || destinazione == Allegato) {
        cella.testo = percorsoDi(t, cartella);
        if (controllaFile) {
            const bool buono = destinazione == Allegato
                                   ? QFileInfo(cella.testo).isFile() && QFileInfo(cella.testo).isReadable()
                                   : immagineLeggibile(cella.testo);
            if (!buono)
                cella.problemi |= FileIlleggibile;
        }
        return cella;
    }
    switch (Campo(destinazione)) {
    case Campo::Scala:
        if (const std::optional<QString> scala = scalaRipristinata(t)) {
            cella.testo = *scala;
            cella.problemi |= Ripristinato;
        }
        break;
    case Campo::Data:
        if (const std::optional<QDate> d = data(t)) {
            cella.testo = d->toString(QStringLiteral("dd/MM/yyyy"));
            if (cella.testo != t)
                cella.problemi |= Ripristinato;
        } else {
            cella.problemi |= NonData;
        }
        break;
    case Campo::Valore: {
        bool inglese = false;
        if (const std::optional<QString> v = importo(t, inglese)) {
            cella.testo = *v;
            if (inglese)
                cella.problemi |= Ripristinato;
        } else {
            cella.problemi |= NonImporto;
        }
        break;
    }
    case Campo::InVendita: {
        static const QStringList si{QStringLiteral("si"), QStringLiteral("x"), QStringLiteral("1"),
                                    QStringLiteral("yes"), QStringLiteral("true")};
        cella.testo = si.contains(chiave(t)) ? QStringLiteral("Sì") : QStringLiteral("No");
        return cella;
    }
    case Campo::Anno:
        // A year a spreadsheet kept as a number may come as "1998.0".
        if (t.endsWith(QStringLiteral(".0")) && soloCifre(QStringView(t).chopped(2))) {
            cella.testo = t.chopped(2);
        }
        break;
    default: break;
    }
    adatta(Campo(destinazione), cella);
    return cella;
}

} // namespace

std::vector<int> DestinazioniPossibili()
{
    std::vector<int> tutte{NonImportare};
    for (const Esportazione::Colonna& c : Esportazione::Colonne)
        tutte.push_back(int(c.campo));
    tutte.push_back(FotoA);
    tutte.push_back(FotoB);
    tutte.push_back(Allegato);
    return tutte;
}

int DestinazionePerIntestazione(const QString& intestazione)
{
    return sinonimi().value(chiave(intestazione), NonImportare);
}

Cella Normalizza(int destinazione, const QString& grezzo, const QString& cartella)
{
    return normalizza(destinazione, grezzo, cartella, true);
}

bool TImportazione::Apri(const QString& percorso)
{
    m_percorso = percorso;
    m_cartella = QFileInfo(percorso).absolutePath();
    m_foglio = 0;
    m_lettore = ApriLettore(percorso, m_errore);
    if (!m_lettore)
        return false;
    return leggiAnteprima();
}

QStringList TImportazione::Fogli() const
{
    return m_lettore ? m_lettore->Fogli() : QStringList();
}

bool TImportazione::ScegliFoglio(int indice)
{
    if (!m_lettore)
        return false;
    m_foglio = indice;
    if (!m_lettore->ApriFoglio(indice)) {
        m_errore = m_lettore->Errore();
        return false;
    }
    return leggiAnteprima();
}

bool TImportazione::leggiAnteprima()
{
    m_primaRiga.clear();
    m_righe.clear();
    m_destinazioni.clear();
    if (!m_lettore->RigaSuccessiva(m_primaRiga)) {
        m_errore = m_lettore->Errore() == ErroreLettura::Nessuno ? ErroreLettura::FoglioVuoto : m_lettore->Errore();
        return false;
    }
    QStringList riga;
    while (int(m_righe.size()) < RighePreviste && m_lettore->RigaSuccessiva(riga))
        m_righe.push_back(riga);
    if (m_lettore->Errore() != ErroreLettura::Nessuno) {
        m_errore = m_lettore->Errore();
        return false;
    }
    qsizetype colonne = m_primaRiga.size();
    for (const QStringList& r : m_righe)
        colonne = std::max(colonne, r.size());
    m_destinazioni.assign(size_t(colonne), NonImportare);

    int riconosciute = 0;
    int piene = 0;
    for (const QString& cella : std::as_const(m_primaRiga)) {
        piene += !cella.trimmed().isEmpty();
        riconosciute += DestinazionePerIntestazione(cella) != NonImportare;
    }
    m_errore = ErroreLettura::Nessuno;
    ImpostaIntestazioni(riconosciute > 0 && (riconosciute * 2 >= piene || riconosciute >= 3));
    return true;
}

void TImportazione::ImpostaIntestazioni(bool prima)
{
    m_intestazioni = prima;
    std::fill(m_destinazioni.begin(), m_destinazioni.end(), int(NonImportare));
    if (prima) {
        int allegati = 0;
        for (int c = 0; c < int(m_primaRiga.size()); ++c) {
            const int d = DestinazionePerIntestazione(m_primaRiga[c]);
            if (d == NonImportare)
                continue;
            if (d == Allegato) {
                if (allegati++ < 3)
                    m_destinazioni[size_t(c)] = d;
            } else if (std::find(m_destinazioni.begin(), m_destinazioni.end(), d) == m_destinazioni.end()) {
                m_destinazioni[size_t(c)] = d;
            }
        }
    } else {
        // Without headers the columns are taken in the export's order.
        for (size_t c = 0; c < m_destinazioni.size() && c < Esportazione::Colonne.size(); ++c)
            m_destinazioni[c] = int(Esportazione::Colonne[c].campo);
    }
}

QString TImportazione::Intestazione(int colonna) const
{
    if (m_intestazioni && colonna < m_primaRiga.size())
        return m_primaRiga[colonna];
    return QStringLiteral("Colonna %1").arg(colonna + 1);
}

void TImportazione::ImpostaDestinazione(int colonna, int destinazione)
{
    if (colonna < 0 || colonna >= Colonne())
        return;
    if (destinazione != NonImportare) {
        int stesse = 0;
        for (size_t c = 0; c < m_destinazioni.size(); ++c)
            if (int(c) != colonna && m_destinazioni[c] == destinazione) {
                if (destinazione != Allegato || ++stesse >= 3)
                    m_destinazioni[c] = NonImportare;
            }
    }
    m_destinazioni[size_t(colonna)] = destinazione;
}

bool TImportazione::QualcosaDaImportare() const
{
    return RigheAnteprima() > 0
           && std::any_of(m_destinazioni.begin(), m_destinazioni.end(), [](int d) { return d != NonImportare; });
}

int TImportazione::RigheAnteprima() const
{
    return std::min(RighePreviste, int(m_righe.size()) + (m_intestazioni || m_primaRiga.isEmpty() ? 0 : 1));
}

Cella TImportazione::CellaAnteprima(int riga, int colonna) const
{
    const QStringList* r = nullptr;
    if (!m_intestazioni)
        r = riga == 0 ? &m_primaRiga : &m_righe[size_t(riga - 1)];
    else
        r = &m_righe[size_t(riga)];
    return Normalizza(m_destinazioni[size_t(colonna)], colonna < r->size() ? (*r)[colonna] : QString(), m_cartella);
}

TScheda TImportazione::Scheda(const QStringList& riga) const
{
    TScheda scheda;
    scheda.ImpostaInVendita(false);
    int allegati = 0;
    for (int c = 0; c < Colonne() && c < riga.size(); ++c) {
        const int d = m_destinazioni[size_t(c)];
        if (d == NonImportare || d == FotoA || d == FotoB)
            continue;
        const Cella cella = normalizza(d, riga[c], m_cartella, false);
        if (d == Allegato) {
            const QFileInfo file(cella.testo);
            if (allegati < 3 && !cella.testo.isEmpty() && file.isFile() && file.isReadable())
                scheda.ScriviCampo(Campo(int(Campo::File01) + allegati++), file.fileName());
        } else if (d == int(Campo::InVendita)) {
            scheda.ImpostaInVendita(cella.testo == QStringLiteral("Sì"));
        } else {
            scheda.ScriviCampo(Campo(d), cella.testo);
        }
    }
    return scheda;
}

Riepilogo TImportazione::Conta(const std::function<bool(int)>& avanzamento)
{
    TConteggio conteggio(*this);
    while (conteggio.Avanza(512))
        if (avanzamento && !avanzamento(conteggio.Avanzamento()))
            break;
    return conteggio.Risultato();
}

TConteggio::TConteggio(const TImportazione& importazione)
    : m_cartella(importazione.Cartella()), m_saltaPrima(importazione.Intestazioni())
{
    for (int c = 0; c < importazione.Colonne(); ++c)
        m_destinazioni.push_back(importazione.DestinazioneColonna(c));
    m_lettore = ApriLettore(importazione.Percorso(), m_errore);
    if (m_lettore && importazione.Foglio() != 0 && !m_lettore->ApriFoglio(importazione.Foglio())) {
        m_errore = m_lettore->Errore();
        m_lettore.reset();
    }
    m_finito = !m_lettore;
}

bool TConteggio::Avanza(int righe)
{
    for (int letta = 0; !m_finito && letta < righe; ++letta) {
        if (!m_lettore->RigaSuccessiva(m_riga)) {
            m_errore = m_lettore->Errore();
            m_finito = true;
            break;
        }
        if (m_saltaPrima) {
            m_saltaPrima = false;
            continue;
        }
        ++m_riepilogo.righe;
        const qsizetype colonne = std::min<qsizetype>(qsizetype(m_destinazioni.size()), m_riga.size());
        for (qsizetype c = 0; c < colonne; ++c) {
            const int d = m_destinazioni[size_t(c)];
            if (d == NonImportare)
                continue;
            const unsigned problemi = Normalizza(d, m_riga[c], m_cartella).problemi;
            for (int b = 0; b < NumeroProblemi; ++b)
                m_riepilogo.problemi[size_t(b)] += (problemi >> b) & 1u;
        }
    }
    return !m_finito;
}

int TConteggio::Avanzamento() const
{
    return m_finito ? 1000 : m_lettore->Avanzamento();
}

namespace {

struct FileDellaRiga {
    qint32 indice = 0;
    QString fotoA, fotoB;
    QStringList allegati;
};

// A photo into its companion file: a JPEG as it is, anything else converted.
bool copiaFoto(const QString& da, const QString& a)
{
    QImageReader lettore(da);
    if (!lettore.canRead())
        return false;
    const QString parziale = a + QStringLiteral(".importazione");
    QFile::remove(parziale);
    bool fatto = false;
    if (lettore.format() == "jpeg") {
        fatto = QFile::copy(da, parziale);
    } else {
        const QImage immagine = lettore.read();
        fatto = !immagine.isNull() && immagine.save(parziale, "JPG");
    }
    if (!fatto) {
        QFile::remove(parziale);
        return false;
    }
    QFile::remove(a);
    return QFile::rename(parziale, a);
}

} // namespace

Esito TImportazione::Importa(const QString& percorsoArchivio, const QString& nomeArchivio,
                             const std::function<bool(int)>& avanzamento)
{
    if (!m_lettore)
        throw ErroreLettura::NonLeggibile;
    if (RigheAnteprima() == 0)
        throw ErroreLettura::FoglioVuoto;
    if (!m_lettore->ApriFoglio(m_foglio))
        throw m_lettore->Errore();
    std::vector<FileDellaRiga> file;
    QStringList riga;
    bool prima = m_intestazioni;
    qint32 indice = 0;
    auto prossima = [&](TScheda& scheda) {
        for (;;) {
            if (!m_lettore->RigaSuccessiva(riga)) {
                if (m_lettore->Errore() != ErroreLettura::Nessuno)
                    throw m_lettore->Errore();
                return false;
            }
            if (prima) {
                prima = false;
                continue;
            }
            break;
        }
        scheda = Scheda(riga);
        FileDellaRiga f;
        for (int c = 0; c < Colonne() && c < riga.size(); ++c) {
            const int d = m_destinazioni[size_t(c)];
            if ((d == FotoA || d == FotoB || d == Allegato) && !Text::trimmed(riga[c]).isEmpty()) {
                const QString p = percorsoDi(Text::trimmed(riga[c]), m_cartella);
                if (d == FotoA)
                    f.fotoA = p;
                else if (d == FotoB)
                    f.fotoB = p;
                else if (QFileInfo(p).isFile())
                    f.allegati.append(p);
            }
        }
        if (!f.fotoA.isEmpty() || !f.fotoB.isEmpty() || !f.allegati.isEmpty()) {
            f.indice = indice;
            file.push_back(std::move(f));
        }
        ++indice;
        if (avanzamento && indice % 256 == 0 && !avanzamento(m_lettore->Avanzamento()))
            throw Interrotta();
        return true;
    };

    TArchivio archivio;
    archivio.ApriArchivio(percorsoArchivio);
    // The cards come in as new cards of the history, and go as undone ones.
    archivio.RegistraStoria(CardHistory::Kind::Added);
    Esito esito;
    esito.accodamento = archivio.AccodaSchede(prossima);
    archivio.ChiudiArchivio();

    // The cards are in; their files follow, each on its own.
    for (const FileDellaRiga& f : file) {
        const qint32 numero = esito.accodamento.primo + f.indice;
        const std::array<std::pair<CompanionFiles::Photo, QString>, 2> foto{
            {{CompanionFiles::Photo::A, f.fotoA}, {CompanionFiles::Photo::B, f.fotoB}}};
        for (const auto& [quale, da] : foto) {
            if (da.isEmpty())
                continue;
            const QString a = CompanionFiles::photoPath(quale, nomeArchivio, numero);
            if (CompanionFiles::ensurePhotoFolder() && copiaFoto(da, a))
                esito.fileAggiunti.append(a);
            else
                ++esito.fotoNonCopiate;
        }
        for (const QString& da : f.allegati) {
            const QString a = CompanionFiles::attachmentPath(QFileInfo(da).fileName());
            if (QFileInfo::exists(a))
                continue; // a copy of that name is already there and stays
            QDir().mkpath(CompanionFiles::attachmentsFolder());
            if (QFile::copy(da, a))
                esito.fileAggiunti.append(a);
            else
                ++esito.allegatiNonCopiati;
        }
    }
    return esito;
}

bool AnnullaImportazione(const QString& percorsoArchivio, const Esito& esito)
{
    TArchivio archivio;
    archivio.ApriArchivio(percorsoArchivio);
    archivio.RegistraStoria(CardHistory::Kind::Undone);
    const bool fatto = archivio.AnnullaAccodamento(esito.accodamento);
    archivio.ChiudiArchivio();
    if (fatto)
        for (const QString& f : esito.fileAggiunti)
            QFile::remove(f);
    return fatto;
}

} // namespace Importazione
