// HTML tables, above all our own export "Archivio_Modellini.xls": rows of
// cells between tags, in the page's code page, with character references.
#include <QFile>
#include <QHash>

#include "core/formats/CodePage.h"
#include "core/import/LettoreTabella.h"

namespace Importazione {

namespace {

const QHash<QString, char32_t>& entitaNominate()
{
    static const QHash<QString, char32_t> tabella{
        {QStringLiteral("amp"), U'&'},       {QStringLiteral("lt"), U'<'},     {QStringLiteral("gt"), U'>'},
        {QStringLiteral("quot"), U'"'},      {QStringLiteral("apos"), U'\''},  {QStringLiteral("nbsp"), U'\u00A0'},
        {QStringLiteral("euro"), U'\u20AC'}, {QStringLiteral("agrave"), U'à'}, {QStringLiteral("egrave"), U'è'},
        {QStringLiteral("eacute"), U'é'},    {QStringLiteral("igrave"), U'ì'}, {QStringLiteral("ograve"), U'ò'},
        {QStringLiteral("ugrave"), U'ù'},    {QStringLiteral("Agrave"), U'À'}, {QStringLiteral("Egrave"), U'È'},
        {QStringLiteral("Eacute"), U'É'},    {QStringLiteral("deg"), U'°'},    {QStringLiteral("copy"), U'©'},
    };
    return tabella;
}

// A cell's text: blanks typed into the page fold into one, as in every HTML
// reader; those written as references stay as they are.
QString testoCella(const QString& grezzo)
{
    // Most cells have neither references nor blanks to fold.
    bool semplice = true;
    for (qsizetype i = 0; i < grezzo.size() && semplice; ++i) {
        const char16_t c = grezzo[i].unicode();
        semplice = c != u'&' && c != u'\t' && c != u'\n' && c != u'\r'
                   && (c != u' ' || i == 0 || grezzo[i - 1] != u' ');
    }
    if (semplice)
        return grezzo;
    QString out;
    out.reserve(grezzo.size());
    bool bianco = false;
    for (qsizetype i = 0; i < grezzo.size(); ++i) {
        const QChar c = grezzo[i];
        if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r') {
            if (!bianco)
                out += u' ';
            bianco = true;
            continue;
        }
        bianco = false;
        if (c != u'&') {
            out += c;
            continue;
        }
        const qsizetype fine = grezzo.indexOf(u';', i + 1);
        if (fine < 0 || fine - i > 12) {
            out += c;
            continue;
        }
        const QStringView nome = QStringView(grezzo).sliced(i + 1, fine - i - 1);
        char32_t carattere = 0;
        bool ok = false;
        if (nome.startsWith(u'#')) {
            const bool esadecimale = nome.size() > 1 && (nome[1] == u'x' || nome[1] == u'X');
            const uint v = nome.sliced(esadecimale ? 2 : 1).toUInt(&ok, esadecimale ? 16 : 10);
            ok = ok && v > 0 && v <= 0x10FFFF;
            carattere = char32_t(v);
        } else {
            const auto trovata = entitaNominate().constFind(nome.toString());
            ok = trovata != entitaNominate().constEnd();
            if (ok)
                carattere = *trovata;
        }
        if (!ok) {
            out += c;
            continue;
        }
        if (carattere < 0x10000) {
            out += QChar(char16_t(carattere));
        } else {
            out += QChar(QChar::highSurrogate(carattere));
            out += QChar(QChar::lowSurrogate(carattere));
        }
        i = fine;
    }
    return out;
}

class LettoreTabellaHtml : public LettoreTabella {
public:
    explicit LettoreTabellaHtml(const QString& percorso) : m_file(percorso) {}

    bool ApriFoglio(int indice) override
    {
        azzeraErrore();
        m_file.close();
        if (indice != 0 || !m_file.open(QIODevice::ReadOnly))
            return fallisci(ErroreLettura::NonLeggibile);
        m_dimensione = m_file.size();
        m_buf.clear();
        m_pos = 0;
        m_fine = false;
        if (!carica())
            return false;
        const QByteArray testa = m_buf.left(8192).toLower();
        m_utf8 = m_buf.startsWith("\xEF\xBB\xBF") || testa.contains("charset=utf-8")
                 || testa.contains("charset=\"utf-8\"");
        return true;
    }

    int Avanzamento() const override { return m_dimensione > 0 ? int(m_file.pos() * 1000 / m_dimensione) : 0; }

protected:
    bool rigaGrezza(QStringList& celle) override
    {
        bool inRiga = false;
        bool inCella = false;
        QByteArray cella;
        for (;;) {
            const qsizetype apre = trova('<');
            if (apre < 0) {
                if (errore())
                    return false;
                if (inCella)
                    celle.append(decodifica(cella));
                return inRiga;
            }
            if (inCella) {
                cella.append(m_buf.constData() + m_pos, apre - m_pos);
                if (cella.size() > kRigaMassima)
                    return fallisci(ErroreLettura::TroppoGrande);
            }
            m_pos = apre;
            if (!assicura(4))
                return false;
            if (QByteArrayView(m_buf).sliced(m_pos).startsWith("<!--")) {
                const qsizetype fine = trovaTesto("-->");
                if (fine < 0)
                    return errore() ? false : inRiga;
                m_pos = fine + 3;
                continue;
            }
            const qsizetype chiude = trova('>');
            if (chiude < 0)
                return errore() ? false : fallisci(ErroreLettura::Danneggiato);
            const QByteArrayView tag = nomeTag(QByteArrayView(m_buf).sliced(m_pos + 1, chiude - m_pos - 1));
            m_pos = chiude + 1;
            auto e = [&tag](const char* nome) { return tag.compare(QByteArrayView(nome), Qt::CaseInsensitive) == 0; };
            if (e("tr")) {
                if (inRiga) // an unclosed row ends where the next begins
                    break;
                inRiga = true;
            } else if (e("/tr") || e("/table")) {
                if (inRiga)
                    break;
            } else if (e("td") || e("th")) {
                if (inCella)
                    celle.append(decodifica(cella));
                cella.clear();
                inRiga = inCella = true;
            } else if (e("/td") || e("/th")) {
                if (inCella)
                    celle.append(decodifica(cella));
                cella.clear();
                inCella = false;
            } else if (inCella && (e("br") || e("br/") || e("/p"))) {
                cella += "&#10;";
            }
        }
        if (inCella)
            celle.append(decodifica(cella));
        return true;
    }

private:
    static QByteArrayView nomeTag(QByteArrayView interno)
    {
        qsizetype n = 0;
        while (n < interno.size() && interno[n] != ' ' && interno[n] != '\t' && interno[n] != '\n'
               && interno[n] != '\r')
            ++n;
        return interno.first(n);
    }

    QString decodifica(const QByteArray& byte) const
    {
        return testoCella(m_utf8 ? QString::fromUtf8(byte) : CodePage::decode(byte));
    }

    bool errore() const { return Errore() != ErroreLettura::Nessuno; }

    // The position of `c` at or after m_pos, reading on as needed; -1 at the end.
    qsizetype trova(char c)
    {
        qsizetype da = m_pos;
        for (;;) {
            const qsizetype i = m_buf.indexOf(c, da);
            if (i >= 0)
                return i;
            const qsizetype visti = m_buf.size() - m_pos; // carica() drops what lies before m_pos
            if (m_fine || !carica())
                return -1;
            da = m_pos + visti;
        }
    }
    qsizetype trovaTesto(const char* testo)
    {
        for (;;) {
            const qsizetype i = m_buf.indexOf(testo, m_pos);
            if (i >= 0)
                return i;
            if (m_fine || !carica())
                return -1;
        }
    }
    bool assicura(qsizetype quanti)
    {
        while (m_buf.size() - m_pos < quanti && !m_fine)
            if (!carica())
                return false;
        return true;
    }

    bool carica()
    {
        if (m_pos > 0) {
            m_buf.remove(0, m_pos);
            m_pos = 0;
        }
        if (m_buf.size() > kRigaMassima * 2)
            return fallisci(ErroreLettura::TroppoGrande);
        const QByteArray piu = m_file.read(1 << 20);
        if (piu.isEmpty()) {
            m_fine = true;
            if (m_file.error() != QFileDevice::NoError)
                return fallisci(ErroreLettura::NonLeggibile);
            return true;
        }
        m_buf += piu;
        return true;
    }

    QFile m_file;
    qint64 m_dimensione = 0;
    QByteArray m_buf;
    qsizetype m_pos = 0;
    bool m_fine = false;
    bool m_utf8 = false;
};

} // namespace

std::unique_ptr<LettoreTabella> LettoreHtml(const QString& percorso)
{
    return std::make_unique<LettoreTabellaHtml>(percorso);
}

} // namespace Importazione
