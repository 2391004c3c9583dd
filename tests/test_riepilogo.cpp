// The record line, the search's matching rule, the for-sale rule and the
// order of the listed lines, without any window.
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

#include "core/archive/Archivio.h"
#include "core/search/Ricerca.h"
#include "core/search/RigaRiepilogo.h"

namespace {

// Writes raw bytes into a field, as a record no writer of this program made.
void scriviGrezzo(TScheda& s, Campo campo, const QByteArray& byte)
{
    const DescrizioneCampo& d = descrizione(campo);
    s.dati()[d.offset] = char(byte.size());
    std::memcpy(s.dati() + d.offset + 1, byte.constData(), size_t(byte.size()));
}

struct Card {
    const char* nome;
    const char* tipologia;
    const char* anno;
    const char* note;
};

// The archive the search cases run over; record numbers from 1 in this order.
const Card kCards[] = {
    {"Rosso Corsa", "Auto", "1965", ""},              // 1
    {"ROSSA Fiammante", "Moto", "1972", ""},          // 2
    {"Gianrossi Special", "Auto", "2019", ""},        // 3
    {"Étoile du Nord", "Treno", "1930", ""},          // 4
    {"étoile minuscola", "Treno", "1931", ""},        // 5
    {"Alfa rossa", "Auto", "1988", ""},               // 6
    {"Alfarossa", "Nave", "1899", "due  spazi"},      // 7
    {"Vespa", "Moto", "1950", "Scooter l'originale"}, // 8
};

} // namespace

class TestRiepilogo : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString archivePath;

private slots:
    void initTestCase()
    {
        archivePath = dir.filePath(QStringLiteral("Prova.dbm"));
        TArchivio archive;
        archive.ApriArchivio(archivePath);
        for (const Card& c : kCards) {
            TScheda s;
            s.ScriviCampo(Campo::Nome, QString::fromUtf8(c.nome));
            s.ScriviCampo(Campo::Tipologia, QString::fromUtf8(c.tipologia));
            s.ScriviCampo(Campo::Anno, QString::fromUtf8(c.anno));
            s.ScriviCampo(Campo::Note, QString::fromUtf8(c.note));
            archive.AccodaScheda(s);
        }
        archive.ChiudiArchivio();
    }

    void workedExample()
    {
        TScheda s;
        s.ScriviCampo(Campo::Nome, QStringLiteral("Spider 2000"));
        s.ScriviCampo(Campo::Tipologia, QStringLiteral("Auto"));
        s.ScriviCampo(Campo::Anno, QStringLiteral("1965"));
        s.ScriviCampo(Campo::Produttore, QStringLiteral("Officina Rossi"));
        s.ScriviCampo(Campo::Scala, QStringLiteral("1:43"));
        s.ScriviCampo(Campo::Valore, QStringLiteral("35,50"));
        s.ScriviCampo(Campo::Codice, QStringLiteral("not in the line"));
        const QString expected = QStringLiteral("Spider 2000                   "
                                                "  Tipo: Auto                      "
                                                "  Anno: 1965"
                                                "  Prod. Officina Rossi                "
                                                "  Scala: 1:43        "
                                                "  Valore: \u20AC 35,50");
        QCOMPARE(RigaRiepilogo(s), expected);
        QCOMPARE(RigaRiepilogo(s).size(), 152);
    }

    void columns_data()
    {
        QTest::addColumn<QByteArray>("nome");
        QTest::addColumn<QByteArray>("tipologia");
        QTest::addColumn<QByteArray>("valore");
        QTest::addColumn<QString>("nameColumn");
        QTest::addColumn<QString>("kindColumn");
        QTest::addColumn<QString>("valueText");

        QTest::newRow("12-character value")
            << QByteArray("Vespa") << QByteArray("Moto") << QByteArray("123456789,00")
            << QStringLiteral("Vespa%1").arg(QString(25, u' ')) << QStringLiteral("Moto%1").arg(QString(22, u' '))
            << QStringLiteral("123456789,00");
        QTest::newRow("name and kind cut to their columns")
            << QByteArray("Ferrari 250 GTO Le Mans 1962 edizione limitata")
            << QByteArray("Automobile da competizione stradale") << QByteArray("10,00")
            << QStringLiteral("Ferrari 250 GTO Le Mans 1962 e") << QStringLiteral("Automobile da competizione")
            << QStringLiteral("10,00");
        QTest::newRow("control characters and blanks at the ends")
            << QByteArray("\t\x01 Vespa\x1f \r") << QByteArray("  Moto ") << QByteArray(" 7,00\x09")
            << QStringLiteral("Vespa%1").arg(QString(25, u' ')) << QStringLiteral("Moto%1").arg(QString(22, u' '))
            << QStringLiteral("7,00");
        QTest::newRow("inner blanks kept, code page decoded")
            << QByteArray("Citt\xe0  di  Roma") << QByteArray("") << QByteArray("")
            << QStringLiteral("Città  di  Roma%1").arg(QString(15, u' ')) << QString(26, u' ') << QString();
    }

    void columns()
    {
        QFETCH(QByteArray, nome);
        QFETCH(QByteArray, tipologia);
        QFETCH(QByteArray, valore);
        QFETCH(QString, nameColumn);
        QFETCH(QString, kindColumn);
        QFETCH(QString, valueText);

        TScheda s;
        scriviGrezzo(s, Campo::Nome, nome);
        scriviGrezzo(s, Campo::Tipologia, tipologia);
        scriviGrezzo(s, Campo::Valore, valore);
        const QString line = RigaRiepilogo(s);
        QCOMPARE(line.size(), 147 + valueText.size());
        QCOMPARE(line.left(30), nameColumn);
        QCOMPARE(line.mid(30, 8), QStringLiteral("  Tipo: "));
        QCOMPARE(line.mid(38, 26), kindColumn);
        QCOMPARE(line.mid(64, 12), QStringLiteral("  Anno:     "));
        QCOMPARE(line.mid(135, 12), QStringLiteral("  Valore: \u20AC "));
        QCOMPARE(line.mid(147), valueText);
    }

    void search_data()
    {
        QTest::addColumn<QStringList>("criteria");
        QTest::addColumn<QList<int>>("listed");

        auto criteria = [](std::initializer_list<std::pair<int, const char*>> set) {
            QStringList c(CriteriRicerca::Numero, QString());
            for (const auto& [i, text] : set)
                c[i] = QString::fromUtf8(text);
            return c;
        };
        // Criteria by index: 0 Nome, 1 Tipologia, 5 Anno, 9 Note.
        QTest::newRow("every criterion blank lists all") << criteria({}) << QList<int>{1, 2, 3, 4, 5, 6, 7, 8};
        QTest::newRow("ross finds every case of A-Z") << criteria({{0, "ross"}}) << QList<int>{1, 2, 3, 6, 7};
        QTest::newRow("upper-case criterion alike") << criteria({{0, "ROSS"}}) << QList<int>{1, 2, 3, 6, 7};
        QTest::newRow("accented capital finds only itself") << criteria({{0, "É"}}) << QList<int>{4};
        QTest::newRow("accented small letter finds only itself") << criteria({{0, "étoile"}}) << QList<int>{5};
        QTest::newRow("year as text, 19 in 1965 and 2019 alike")
            << criteria({{5, "19"}}) << QList<int>{1, 2, 3, 4, 5, 6, 8};
        QTest::newRow("year 19 inside 2019 too") << criteria({{5, "019"}}) << QList<int>{3};
        QTest::newRow("leading blank is part of the criterion") << criteria({{0, " rossa"}}) << QList<int>{6};
        QTest::newRow("trailing blank is not trimmed") << criteria({{5, "1965 "}}) << QList<int>{};
        QTest::newRow("blanks only are not required") << criteria({{9, "  "}}) << QList<int>{1, 2, 3, 4, 5, 6, 7, 8};
        QTest::newRow("blanks only still count") << criteria({{0, "zzz"}, {9, "  "}}) << QList<int>{7};
        QTest::newRow("two criteria must both match") << criteria({{0, "ross"}, {1, "auto"}}) << QList<int>{1, 3, 6};
        QTest::newRow("no match") << criteria({{0, "Lancia"}}) << QList<int>{};
        // A character the archive cannot hold matches nothing, not a look-alike.
        QTest::newRow("character outside the code page") << criteria({{9, "ł"}}) << QList<int>{};
        QTest::newRow("apostrophe and later fields") << criteria({{9, "l'orig"}}) << QList<int>{8};
    }

    void search()
    {
        QFETCH(QStringList, criteria);
        QFETCH(QList<int>, listed);

        const CriteriRicerca criteri(criteria);
        std::vector<RigaElenco> righe;
        ScansionaArchivio(
            archivePath, [&](const TScheda& s) { return criteri.Corrisponde(s); }, righe);
        QList<int> numbers;
        for (const RigaElenco& r : righe)
            numbers << r.numero;
        QCOMPARE(numbers, listed);
        for (const RigaElenco& r : righe)
            QCOMPARE(r.testo.left(30).trimmed(), QString::fromUtf8(kCards[r.numero - 1].nome));
    }

    void criteriaFieldsAndRequiredCount()
    {
        const auto& campi = CriteriRicerca::Campi();
        const std::array<Campo, 10> expected{
            Campo::Nome, Campo::Tipologia,    Campo::Produttore,  Campo::Codice, Campo::Descrizione,
            Campo::Anno, Campo::Proprietario, Campo::Provenienza, Campo::Rarita, Campo::Note};
        QCOMPARE(campi, expected);
        QStringList c(10, QString());
        c[2] = QStringLiteral(" x ");
        c[3] = QStringLiteral("   ");
        c[7] = QStringLiteral("\t");
        c[9] = QStringLiteral("y");
        QCOMPARE(CriteriRicerca(c).Richiesti(), 2);
    }

    void missingArchiveIsCreatedEmpty()
    {
        const QString path = dir.filePath(QStringLiteral("Nuovo.dbm"));
        std::vector<RigaElenco> righe;
        ScansionaArchivio(
            path, [](const TScheda&) { return true; }, righe);
        QVERIFY(righe.empty());
        QVERIFY(QFileInfo(path).isFile());
        QCOMPARE(QFileInfo(path).size(), 0);
    }

    void unreadableArchiveFails()
    {
        std::vector<RigaElenco> righe;
        QVERIFY_THROWS_EXCEPTION(EArchivioError, ScansionaArchivio(
                                                     dir.path(), [](const TScheda&) { return true; }, righe));
    }

    void forSaleRule_data()
    {
        QTest::addColumn<QByteArray>("marker");
        QTest::addColumn<bool>("listed");
        QTest::newRow("Sì") << QByteArray("S\xec") << true;
        QTest::newRow("No") << QByteArray("No") << false;
        QTest::newRow("empty") << QByteArray() << true;
        QTest::newRow("no") << QByteArray("no") << true;
        QTest::newRow("NO") << QByteArray("NO") << true;
        QTest::newRow("N") << QByteArray("N") << true;
    }

    void forSaleRule()
    {
        QFETCH(QByteArray, marker);
        QFETCH(bool, listed);
        TScheda s;
        scriviGrezzo(s, Campo::InVendita, marker);
        QCOMPARE(InVenditaElencabile(s), listed);
    }

    void order_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("case of A-Z ignored") << "alfa"
                                             << "Beta";
        QTest::newRow("upper after lower letter") << "alfa"
                                                  << "ZETA";
        QTest::newRow("prefix first") << "Auto"
                                      << "automobile";
        QTest::newRow("accented capital by its code, after z") << "zeta"
                                                               << "Étoile";
        QTest::newRow("accented capital before its small letter") << "Étoile"
                                                                  << "étoile";
        QTest::newRow("underscore before letters") << "Auto_1"
                                                   << "AutoA";
        QTest::newRow("digits before letters") << "500 Fiat"
                                               << "Abarth";
        QTest::newRow("blank first") << "Fiat 500"
                                     << "Fiat500";
        QTest::newRow("euro sign by its code") << "Valore: z"
                                               << "Valore: €";
        QTest::newRow("character no archive holds, by its code") << "Zeta"
                                                                 << "Łódź";
    }

    void order()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QVERIFY(ConfrontaRighe(first, second) < 0);
        QVERIFY(ConfrontaRighe(second, first) > 0);

        std::vector<RigaElenco> righe{{second, 1}, {first, 2}};
        OrdinaRighe(righe);
        QCOMPARE(righe[0].testo, first);
    }

    void equalLinesKeepFileOrder()
    {
        std::vector<RigaElenco> righe{{QStringLiteral("b"), 1},
                                      {QStringLiteral("A"), 2},
                                      {QStringLiteral("a"), 3},
                                      {QStringLiteral("B"), 4},
                                      {QStringLiteral("a"), 5}};
        OrdinaRighe(righe);
        QList<int> numbers;
        for (const RigaElenco& r : righe)
            numbers << r.numero;
        QCOMPARE(numbers, (QList<int>{2, 3, 5, 1, 4}));
    }
};

QTEST_GUILESS_MAIN(TestRiepilogo)
#include "test_riepilogo.moc"
