#include "core/archive/Scheda.h"
#include "core/formats/CodePage.h"

#include <QTest>

#include <clocale>
#include <cstring>
#include <set>

Q_DECLARE_METATYPE(Campo)
Q_DECLARE_METATYPE(StatoVendita)

namespace {

QByteArray byteDi(const TScheda& s, int offset, int quanti)
{
    return s.Byte().mid(offset, quanti);
}

TScheda riempita(char byte)
{
    TScheda s;
    s.ImpostaByte(QByteArray(TScheda::Dimensione, byte));
    return s;
}

} // namespace

class TestRecord : public QObject {
    Q_OBJECT

private slots:
    void fieldLayout_data();
    void fieldLayout();
    void storeText_data();
    void storeText();
    void damagedLength_data();
    void damagedLength();
    void everyByteLoads_data();
    void everyByteLoads();
    void everyByteRoundTrips();
    void lookAlikeIgnoresProcessLocale();
    void forSaleBytes();
    void forSaleReading_data();
    void forSaleReading();
    void rawBytes();
};

void TestRecord::fieldLayout_data()
{
    QTest::addColumn<Campo>("campo");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("capacita");

    // The record format: field, offset of its length byte, room in bytes.
    QTest::newRow("Nome") << Campo::Nome << 0 << 120;
    QTest::newRow("Tipologia") << Campo::Tipologia << 121 << 50;
    QTest::newRow("Produttore") << Campo::Produttore << 172 << 50;
    QTest::newRow("Codice") << Campo::Codice << 223 << 50;
    QTest::newRow("Descrizione") << Campo::Descrizione << 274 << 250;
    QTest::newRow("Anno") << Campo::Anno << 525 << 4;
    QTest::newRow("Valore") << Campo::Valore << 530 << 12;
    QTest::newRow("Proprietario") << Campo::Proprietario << 543 << 120;
    QTest::newRow("Materiali") << Campo::Materiali << 664 << 120;
    QTest::newRow("Colori") << Campo::Colori << 785 << 50;
    QTest::newRow("Confezione") << Campo::Confezione << 836 << 120;
    QTest::newRow("Difetti") << Campo::Difetti << 957 << 120;
    QTest::newRow("Data") << Campo::Data << 1078 << 10;
    QTest::newRow("Provenienza") << Campo::Provenienza << 1089 << 120;
    QTest::newRow("Montaggio") << Campo::Montaggio << 1210 << 250;
    QTest::newRow("Scala") << Campo::Scala << 1461 << 20;
    QTest::newRow("Dimensioni") << Campo::Dimensioni << 1482 << 50;
    QTest::newRow("Rarita") << Campo::Rarita << 1533 << 50;
    QTest::newRow("Stato") << Campo::Stato << 1584 << 50;
    QTest::newRow("Luogo") << Campo::Luogo << 1635 << 50;
    QTest::newRow("Note") << Campo::Note << 1686 << 250;
    QTest::newRow("InVendita") << Campo::InVendita << 1937 << 2;
    QTest::newRow("File01") << Campo::File01 << 1940 << 250;
    QTest::newRow("File02") << Campo::File02 << 2191 << 250;
    QTest::newRow("File03") << Campo::File03 << 2442 << 250;
    QTest::newRow("Desc01") << Campo::Desc01 << 2693 << 250;
    QTest::newRow("Desc02") << Campo::Desc02 << 2944 << 250;
    QTest::newRow("Desc03") << Campo::Desc03 << 3195 << 250;
}

// Filling a field must touch exactly its own bytes, at the documented place.
void TestRecord::fieldLayout()
{
    QFETCH(Campo, campo);
    QFETCH(int, offset);
    QFETCH(int, capacita);

    QCOMPARE(descrizione(campo).offset, offset);
    QCOMPARE(descrizione(campo).capacita, capacita);
    QCOMPARE(QByteArray(descrizione(campo).nome), QByteArray(QTest::currentDataTag()));

    const QByteArray sfondo(TScheda::Dimensione, char(0xA5));
    TScheda s = riempita(char(0xA5));
    s.ScriviCampo(campo, QString(300, QLatin1Char('x')));

    QByteArray atteso = sfondo;
    atteso[offset] = char(capacita);
    atteso.replace(offset + 1, capacita, QByteArray(capacita, 'x'));
    QCOMPARE(s.Byte(), atteso);
    QCOMPARE(s.LeggiCampo(campo), QString(capacita, QLatin1Char('x')));

    // A shorter text zeroes the rest of the room; neighbours stay untouched.
    s.ScriviCampo(campo, QStringLiteral("y"));
    atteso[offset] = 1;
    atteso.replace(offset + 1, capacita, QByteArray(1, 'y') + QByteArray(capacita - 1, '\0'));
    QCOMPARE(s.Byte(), atteso);

    s.ScriviCampo(campo, QString());
    atteso[offset] = 0;
    atteso.replace(offset + 1, capacita, QByteArray(capacita, '\0'));
    QCOMPARE(s.Byte(), atteso);
    QCOMPARE(s.LeggiCampo(campo), QString());
}

void TestRecord::storeText_data()
{
    QTest::addColumn<Campo>("campo");
    QTest::addColumn<QString>("testo");
    QTest::addColumn<QByteArray>("memorizzato");
    QTest::addColumn<QString>("riletto");

    const QString nome15 = QStringLiteral("Ferrari 250 GTO");
    QTest::newRow("spaces around a 15-char name")
        << Campo::Nome << QStringLiteral("  ") + nome15 + QStringLiteral("  ") << nome15.toLatin1() << nome15;
    QTest::newRow("control characters trimmed")
        << Campo::Note << QString(QChar(0)) + QStringLiteral("\t\r\n Bugatti Type 35 \x1f") + QChar(0)
        << QByteArray("Bugatti Type 35") << QStringLiteral("Bugatti Type 35");
    QTest::newRow("inner blanks and no-break space kept")
        << Campo::Nome << QString(QChar(0xA0)) + QStringLiteral("a  b\tc")
        << QByteArray("\xA0"
                      "a  b\tc")
        << QString(QChar(0xA0)) + QStringLiteral("a  b\tc");
    QTest::newRow("empty") << Campo::Nome << QString() << QByteArray() << QString();
    QTest::newRow("only blanks") << Campo::Nome << QStringLiteral(" \t ") << QByteArray() << QString();

    QString lungo;
    for (int i = 0; i < 130; ++i)
        lungo += QChar(u'A' + i % 26);
    QTest::newRow("130 chars into Nome") << Campo::Nome << lungo << lungo.left(120).toLatin1() << lungo.left(120);

    QTest::newRow("code page letters") << Campo::Rarita << QString::fromUtf8("Rarità € Œuvre ß")
                                       << QByteArray("Rarit\xE0 \x80 \x8Cuvre \xDF")
                                       << QString::fromUtf8("Rarità € Œuvre ß");
    QTest::newRow("look-alike") << Campo::Provenienza << QString::fromUtf8("Łódź")
                                << QByteArray("L\xF3"
                                              "dz")
                                << QString::fromUtf8("Lódz");
    QTest::newRow("no look-alike") << Campo::Nome << QString::fromUtf8("模型 1:43") << QByteArray("?? 1:43")
                                   << QStringLiteral("?? 1:43");
    QTest::newRow("beyond U+FFFF is one character")
        << Campo::Nome << QString::fromUtf8("a\U0001F697b") << QByteArray("a?b") << QStringLiteral("a?b");
    QTest::newRow("combining accent composed")
        << Campo::Luogo << QString::fromUtf8("Citta\u0300 di Pe\u0301saro") << QByteArray("Citt\xE0 di P\xE9saro")
        << QString::fromUtf8("Città di Pésaro");
    QTest::newRow("zero-width space dropped")
        << Campo::Codice << QString::fromUtf8("AB\u200B12") << QByteArray("AB12") << QStringLiteral("AB12");
    QTest::newRow("half a surrogate pair")
        << Campo::Nome << QString(QChar(0xD83D)) + QStringLiteral("x") << QByteArray("?x") << QStringLiteral("?x");

    // Cutting counts bytes: a look-alike of two bytes may be cut in half.
    const QString freccia = QString::fromUtf8("→");
    QTest::newRow("look-alike of two bytes")
        << Campo::Anno << QStringLiteral("ab") + freccia << QByteArray("ab->") << QStringLiteral("ab->");
    QTest::newRow("cut inside a look-alike")
        << Campo::Anno << QStringLiteral("abc") + freccia << QByteArray("abc-") << QStringLiteral("abc-");
    QTest::newRow("cut after 20 bytes, not 20 chars")
        << Campo::Scala << freccia.repeated(11) << QByteArray("->").repeated(10) << QStringLiteral("->").repeated(10);
}

void TestRecord::storeText()
{
    QFETCH(Campo, campo);
    QFETCH(QString, testo);
    QFETCH(QByteArray, memorizzato);
    QFETCH(QString, riletto);

    TScheda s;
    s.ScriviCampo(campo, testo);
    QCOMPARE(s.Lunghezza(campo), memorizzato.size());
    QCOMPARE(s.ByteCampo(campo), memorizzato);
    QCOMPARE(s.LeggiCampo(campo), riletto);
}

void TestRecord::damagedLength_data()
{
    QTest::addColumn<Campo>("campo");
    QTest::addColumn<int>("lunghezza");
    QTest::addColumn<QString>("riletto");

    QTest::newRow("255 in a 4-byte field") << Campo::Anno << 255 << QStringLiteral("RRRR");
    QTest::newRow("C+1 in Nome") << Campo::Nome << 121 << QString(120, QLatin1Char('R'));
    QTest::newRow("3 in InVendita") << Campo::InVendita << 3 << QStringLiteral("RR");
    QTest::newRow("255 in the last field") << Campo::Desc03 << 255 << QString(250, QLatin1Char('R'));
    QTest::newRow("0 over leftover room") << Campo::Valore << 0 << QString();
    QTest::newRow("2 of 12") << Campo::Valore << 2 << QStringLiteral("RR");
}

// Room bytes are 'R', every other byte 'X': any byte read beyond the room shows.
void TestRecord::damagedLength()
{
    QFETCH(Campo, campo);
    QFETCH(int, lunghezza);
    QFETCH(QString, riletto);

    const DescrizioneCampo& d = descrizione(campo);
    QByteArray byte(TScheda::Dimensione, 'X');
    byte[d.offset] = char(lunghezza);
    byte.replace(d.offset + 1, d.capacita, QByteArray(d.capacita, 'R'));
    TScheda s;
    QVERIFY(s.ImpostaByte(byte));

    QCOMPARE(s.LeggiCampo(campo), riletto);
    QCOMPARE(s.ByteCampo(campo), riletto.toLatin1());
}

void TestRecord::everyByteLoads_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("unicode");

    QTest::newRow("00") << 0x00 << 0x0000;
    QTest::newRow("1F") << 0x1F << 0x001F;
    QTest::newRow("41") << 0x41 << 0x0041;
    QTest::newRow("7F") << 0x7F << 0x007F;
    QTest::newRow("80 euro") << 0x80 << 0x20AC;
    QTest::newRow("81 undefined") << 0x81 << 0x0081;
    QTest::newRow("8A") << 0x8A << 0x0160;
    QTest::newRow("8D undefined") << 0x8D << 0x008D;
    QTest::newRow("8F undefined") << 0x8F << 0x008F;
    QTest::newRow("90 undefined") << 0x90 << 0x0090;
    QTest::newRow("93") << 0x93 << 0x201C;
    QTest::newRow("9D undefined") << 0x9D << 0x009D;
    QTest::newRow("9F") << 0x9F << 0x0178;
    QTest::newRow("A0") << 0xA0 << 0x00A0;
    QTest::newRow("EC") << 0xEC << 0x00EC;
    QTest::newRow("FF") << 0xFF << 0x00FF;
}

void TestRecord::everyByteLoads()
{
    QFETCH(int, byte);
    QFETCH(int, unicode);

    QByteArray raw(TScheda::Dimensione, '\0');
    const int offset = descrizione(Campo::Codice).offset;
    raw[offset] = 1;
    raw[offset + 1] = char(byte);
    TScheda s;
    s.ImpostaByte(raw);
    QCOMPARE(s.LeggiCampo(Campo::Codice), QString(QChar(unicode)));
}

// Any byte loads to a character of its own and is stored back as the same byte.
void TestRecord::everyByteRoundTrips()
{
    std::set<char16_t> visti;
    for (int b = 0; b < 256; ++b) {
        const QByteArray room = QByteArray("a") + char(b) + "a";
        QByteArray raw(TScheda::Dimensione, '\0');
        const int offset = descrizione(Campo::Note).offset;
        raw[offset] = char(room.size());
        raw.replace(offset + 1, room.size(), room);
        TScheda letta;
        letta.ImpostaByte(raw);

        const QString testo = letta.LeggiCampo(Campo::Note);
        QCOMPARE(testo.size(), 3);
        visti.insert(testo.at(1).unicode());

        TScheda scritta;
        scritta.ScriviCampo(Campo::Note, testo);
        QVERIFY2(scritta.ByteCampo(Campo::Note) == room, qPrintable(QString::number(b, 16)));
    }
    QCOMPARE(visti.size(), size_t(256));
}

// The look-alikes come from transliteration tables that glibc takes from
// the thread's LC_CTYPE; the "C" locale has none of them.
void TestRecord::lookAlikeIgnoresProcessLocale()
{
    const QByteArray prima = std::setlocale(LC_CTYPE, nullptr);
    const QString testo = QString::fromUtf8("Łódź →");
    const QByteArray atteso("L\xF3"
                            "dz ->");

    for (const char* locale : {"C", "C.UTF-8", "POSIX"}) {
        if (!std::setlocale(LC_CTYPE, locale))
            continue;
        QCOMPARE(CodePage::encode(testo), atteso);
    }
    std::setlocale(LC_CTYPE, prima.constData());
}

void TestRecord::forSaleBytes()
{
    const int offset = descrizione(Campo::InVendita).offset;
    TScheda s = riempita('\0');

    s.ImpostaInVendita(true);
    QCOMPARE(byteDi(s, offset, 3), QByteArray("\x02\x53\xEC"));
    QCOMPARE(s.LeggiInVendita(), StatoVendita::InVendita);

    s.ImpostaInVendita(false);
    QCOMPARE(byteDi(s, offset, 3), QByteArray("\x02\x4E\x6F"));
    QCOMPARE(s.LeggiInVendita(), StatoVendita::NonInVendita);

    // Nothing outside the marker changes.
    QByteArray atteso(TScheda::Dimensione, '\0');
    atteso.replace(offset, 3, QByteArray("\x02\x4E\x6F"));
    QCOMPARE(s.Byte(), atteso);

    // The fixed bytes are what the code page makes of the two texts.
    TScheda comeTesto;
    comeTesto.ScriviCampo(Campo::InVendita, QString::fromUtf8("Sì"));
    QCOMPARE(byteDi(comeTesto, offset, 3), QByteArray("\x02\x53\xEC"));
}

void TestRecord::forSaleReading_data()
{
    QTest::addColumn<QByteArray>("byte");
    QTest::addColumn<StatoVendita>("stato");

    QTest::newRow("Sì") << QByteArray("\x02S\xEC") << StatoVendita::InVendita;
    QTest::newRow("No") << QByteArray("\x02No") << StatoVendita::NonInVendita;
    QTest::newRow("empty") << QByteArray("\x00\x00\x00", 3) << StatoVendita::Assente;
    QTest::newRow("empty over old Sì") << QByteArray("\x00S\xEC", 3) << StatoVendita::Assente;
    QTest::newRow("Si without accent") << QByteArray("\x02Si") << StatoVendita::Assente;
    QTest::newRow("lower case sì") << QByteArray("\x02s\xEC") << StatoVendita::Assente;
    QTest::newRow("NO") << QByteArray("\x02NO") << StatoVendita::Assente;
    QTest::newRow("S alone") << QByteArray("\x01S\xEC") << StatoVendita::Assente;
    QTest::newRow("damaged length over Sì") << QByteArray("\xFFS\xEC") << StatoVendita::InVendita;
}

void TestRecord::forSaleReading()
{
    QFETCH(QByteArray, byte);
    QFETCH(StatoVendita, stato);

    QByteArray raw(TScheda::Dimensione, '\0');
    raw.replace(descrizione(Campo::InVendita).offset, 3, byte);
    TScheda s;
    QVERIFY(s.ImpostaByte(raw));
    QCOMPARE(s.LeggiInVendita(), stato);
}

void TestRecord::rawBytes()
{
    QByteArray raw(TScheda::Dimensione, '\0');
    for (int i = 0; i < raw.size(); ++i)
        raw[i] = char(i * 7);
    TScheda s;
    QVERIFY(s.ImpostaByte(raw));
    QCOMPARE(s.Byte(), raw);
    QCOMPARE(std::memcmp(s.dati(), raw.constData(), size_t(raw.size())), 0);

    QVERIFY(!s.ImpostaByte(raw.left(TScheda::Dimensione - 1)));
    QVERIFY(!s.ImpostaByte(raw + 'x'));
    QCOMPARE(s.Byte(), raw);
}

QTEST_GUILESS_MAIN(TestRecord)
#include "test_record.moc"
