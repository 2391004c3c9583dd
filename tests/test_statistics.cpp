// The statistics of a collection without any window: amounts read to the
// cent, totals, breakdowns with their groups, decades and years, and the
// cards behind every number.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

#include "core/archive/Archivio.h"
#include "core/statistics/Statistics.h"

namespace {

// One card as "valore|tipologia|anno|data acquisto|V" (V: for sale); raw
// bytes where a field must hold what no writer of the program stores.
TScheda card(const QString& fields, int number)
{
    const QStringList f = fields.split(QLatin1Char('|'));
    TScheda s;
    s.ScriviCampo(Campo::Nome, QStringLiteral("Modello %1").arg(number));
    const QByteArray valore = f.value(0).toLatin1();
    const DescrizioneCampo& d = descrizione(Campo::Valore);
    s.dati()[d.offset] = char(valore.size()); // as stored, untrimmed and unchecked
    std::memcpy(s.dati() + d.offset + 1, valore.constData(), size_t(valore.size()));
    s.ScriviCampo(Campo::Tipologia, f.value(1));
    s.ScriviCampo(Campo::Anno, f.value(2));
    s.ScriviCampo(Campo::Data, f.value(3));
    s.ImpostaInVendita(f.value(4) == QLatin1String("V"));
    return s;
}

TCollectionStatistics statisticsOf(const QStringList& cards)
{
    TCollectionStatistics statistics;
    for (int i = 0; i < cards.size(); ++i)
        statistics.add(card(cards[i], i + 1), i + 1, false, false);
    statistics.finish();
    return statistics;
}

QString bars(const std::vector<StatisticsGroup>& groups)
{
    QStringList out;
    for (const StatisticsGroup& g : groups)
        out << QStringLiteral("%1:%2").arg(g.label).arg(g.count);
    return out.join(QLatin1Char(','));
}

QString records(const std::vector<qint32>& numbers)
{
    QStringList out;
    for (qint32 n : numbers)
        out << QString::number(n);
    return out.join(QLatin1Char(' '));
}

} // namespace

class TestStatistics : public QObject {
    Q_OBJECT

private slots:
    void readAmounts_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("kind");
        QTest::addColumn<qint64>("cents");
        const int amount = int(Amounts::Kind::Amount);
        const int empty = int(Amounts::Kind::Empty);
        const int not_ = int(Amounts::Kind::NotAnAmount);
        QTest::newRow("two decimals") << QByteArray("12,50") << amount << qint64(1250);
        QTest::newRow("whole, as the 12-byte cut leaves it")
            << QByteArray("123456789012") << amount << qint64(12345678901200);
        QTest::newRow("one decimal after the cut") << QByteArray("1234567890,1") << amount << qint64(123456789010);
        QTest::newRow("leading comma") << QByteArray(",5") << amount << qint64(50);
        QTest::newRow("trailing comma") << QByteArray("5,") << amount << qint64(500);
        QTest::newRow("leading zeros") << QByteArray("007,05") << amount << qint64(705);
        QTest::newRow("zero") << QByteArray("0,00") << amount << qint64(0);
        QTest::newRow("empty is 0,00") << QByteArray("") << empty << qint64(0);
        QTest::newRow("minus sign") << QByteArray("-5,00") << not_ << qint64(0);
        QTest::newRow("plus sign") << QByteArray("+5,00") << not_ << qint64(0);
        QTest::newRow("several commas") << QByteArray("1,2,3") << not_ << qint64(0);
        QTest::newRow("three decimals are not rounded") << QByteArray("12,345") << not_ << qint64(0);
        QTest::newRow("letters") << QByteArray("circa 20") << not_ << qint64(0);
        QTest::newRow("exponent") << QByteArray("1e3") << not_ << qint64(0);
        QTest::newRow("full stop") << QByteArray("12.50") << not_ << qint64(0);
        QTest::newRow("inner blank") << QByteArray("1 000") << not_ << qint64(0);
        QTest::newRow("comma alone") << QByteArray(",") << not_ << qint64(0);
        QTest::newRow("currency sign") << QByteArray("\x80 5") << not_ << qint64(0);
    }

    void readAmounts()
    {
        QFETCH(QByteArray, stored);
        QFETCH(int, kind);
        QFETCH(qint64, cents);
        const Amounts::Read read = Amounts::read(stored);
        QCOMPARE(int(read.kind), kind);
        QCOMPARE(read.cents, cents);
    }

    void formatAmounts_data()
    {
        QTest::addColumn<qint64>("cents");
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing") << qint64(0) << QStringLiteral("0,00 €");
        QTest::newRow("cents only") << qint64(5) << QStringLiteral("0,05 €");
        QTest::newRow("below a thousand") << qint64(99999) << QStringLiteral("999,99 €");
        QTest::newRow("thousands") << qint64(1234550) << QStringLiteral("12.345,50 €");
        QTest::newRow("millions") << qint64(123456789012) << QStringLiteral("1.234.567.890,12 €");
    }

    void formatAmounts()
    {
        QFETCH(qint64, cents);
        QFETCH(QString, text);
        QCOMPARE(Amounts::format(cents), text);
    }

    // Collections with known totals: the value summed to the cent, the
    // cards with an empty or unreadable value counted apart, the groups,
    // the decades and the years of purchase.
    void totals_data()
    {
        QTest::addColumn<QStringList>("cards");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("average");
        QTest::addColumn<QString>("forSale");
        QTest::addColumn<QString>("counts"); // valued, empty, not valued, for sale, highest
        QTest::addColumn<QString>("kinds");
        QTest::addColumn<QString>("decades");
        QTest::addColumn<QString>("years");

        QTest::newRow("every form the amount rule allows")
            << QStringList{QStringLiteral("12,50|Auto|1965|01/02/2001|V"), QStringLiteral("7|Auto|1968|1/2/2001|"),
                           QStringLiteral(",5|Auto|1970|28/02/2003|V"), QStringLiteral("5,|Auto|1971|29/02/2004|"),
                           QStringLiteral("0,10|Auto|1999|31/12/2004|")}
            << QStringLiteral("25,10 €") << QStringLiteral("5,02 €") << QStringLiteral("13,00 €")
            << QStringLiteral("5 0 0 2 1") << QStringLiteral("Auto:5")
            << QStringLiteral("1960-1969:2,1970-1979:2,1990-1999:1")
            << QStringLiteral("2001:2/2/19,50 €,2003:1/3/20,00 €,2004:2/5/25,10 €");
        QTest::newRow("empty and non-amount values apart")
            << QStringList{QStringLiteral("100,00|Nave|1950||"), QStringLiteral("|Nave|1950||V"),
                           QStringLiteral("-5,00|Nave|1950||V"), QStringLiteral("circa 20|Nave|1950||"),
                           QStringLiteral("1,2,3|Nave|1950||"),  QStringLiteral("12,345|Nave|1950||")}
            << QStringLiteral("100,00 €") << QStringLiteral("50,00 €") << QStringLiteral("0,00 €")
            << QStringLiteral("2 1 4 2 1") << QStringLiteral("Nave:6") << QStringLiteral("1950-1959:6")
            << QStringLiteral("Data non indicata:6");
        QTest::newRow("accents and case in the groups, the common spelling shown")
            << QStringList{QStringLiteral("1,00|Città|2000||"),   QStringLiteral("1,00|citta|2000||"),
                           QStringLiteral("1,00| CITTÀ |2000||"), QStringLiteral("1,00|Città|2000||"),
                           QStringLiteral("1,00|Élite|2000||"),   QStringLiteral("1,00|elite|2000||"),
                           QStringLiteral("1,00|elite|2000||"),   QStringLiteral("1,00||2000||")}
            << QStringLiteral("8,00 €") << QStringLiteral("1,00 €") << QStringLiteral("0,00 €")
            << QStringLiteral("8 0 0 0 8") << QStringLiteral("Città:4,elite:3,(non indicato):1")
            << QStringLiteral("2000-2009:8") << QStringLiteral("Data non indicata:8");
        QTest::newRow("dates and years that don't parse")
            << QStringList{QStringLiteral("1,00|A|1965|15/06/1999|"), QStringLiteral("1,00|A|65|31/02/1999|"),
                           QStringLiteral("1,00|A|19x5|1999|"),       QStringLiteral("1,00|A||15-06-1999|"),
                           QStringLiteral("1,00|A|0999|15/6/99|"),    QStringLiteral("1,00|A|2024|ieri|")}
            << QStringLiteral("6,00 €") << QStringLiteral("1,00 €") << QStringLiteral("0,00 €")
            << QStringLiteral("6 0 0 0 6") << QStringLiteral("A:6")
            << QStringLiteral("1960-1969:1,2020-2029:1,Anno non indicato:1,Anno non leggibile:3")
            << QStringLiteral("1999:1/1/1,00 €,Data non leggibile:5");
        QTest::newRow("no cards") << QStringList{} << QStringLiteral("0,00 €") << QStringLiteral("0,00 €")
                                  << QStringLiteral("0,00 €") << QStringLiteral("0 0 0 0 0") << QString() << QString()
                                  << QString();
    }

    void totals()
    {
        QFETCH(QStringList, cards);
        QFETCH(QString, value);
        QFETCH(QString, average);
        QFETCH(QString, forSale);
        QFETCH(QString, counts);
        QFETCH(QString, kinds);
        QFETCH(QString, decades);
        QFETCH(QString, years);

        const TCollectionStatistics statistics = statisticsOf(cards);
        const StatisticsTotals& t = statistics.totals();
        using Set = StatisticsTotals::Set;
        QCOMPARE(t.cards, cards.size());
        QCOMPARE(Amounts::format(t.value), value);
        QCOMPARE(Amounts::format(t.average()), average);
        QCOMPARE(Amounts::format(t.forSaleValue), forSale);
        QCOMPARE(QStringLiteral("%1 %2 %3 %4 %5")
                     .arg(t.valued)
                     .arg(t.count(Set::EmptyValue))
                     .arg(t.count(Set::NotValued))
                     .arg(t.count(Set::ForSale))
                     .arg(t.count(Set::Highest)),
                 counts);
        QCOMPARE(t.count(Set::Valued) + t.count(Set::NotValued), t.cards);
        QCOMPARE(bars(statistics.groups(Breakdown::Tipologia)), kinds);
        QCOMPARE(bars(statistics.groups(Breakdown::Decade)), decades);
        QStringList growth;
        for (const StatisticsGroup& g : statistics.groups(Breakdown::Acquisition))
            growth << (g.kind == StatisticsGroup::Kind::Apart ? QStringLiteral("%1:%2").arg(g.label).arg(g.count)
                                                              : QStringLiteral("%1:%2/%3/%4")
                                                                    .arg(g.label)
                                                                    .arg(g.count)
                                                                    .arg(g.cumulativeCount)
                                                                    .arg(Amounts::format(g.cumulativeValue)));
        QCOMPARE(growth.join(QLatin1Char(',')), years);

        // Every card is in exactly one bar of every breakdown.
        for (Breakdown b : kAllBreakdowns) {
            qint64 sum = 0;
            for (const StatisticsGroup& g : statistics.groups(b))
                sum += qint64(g.records.size());
            QCOMPARE(sum, t.cards);
        }
    }

    // 20 kinds: the 15 largest one by one, then "Altri" with exactly the
    // cards of the other five.
    void moreThanFifteenGroups()
    {
        QStringList cards;
        QList<int> smallest;
        for (int kind = 1; kind <= 20; ++kind) {
            for (int copy = 0; copy < kind; ++copy) {
                cards << QStringLiteral("1,00|Tipo %1|||").arg(kind, 2, 10, QLatin1Char('0'));
                if (kind <= 5)
                    smallest << int(cards.size());
            }
        }
        const TCollectionStatistics statistics = statisticsOf(cards);
        const auto& groups = statistics.groups(Breakdown::Tipologia);
        QCOMPARE(int(groups.size()), 16);
        QCOMPARE(groups.front().label, QStringLiteral("Tipo 20"));
        QCOMPARE(groups.front().count, 20);
        QCOMPARE(groups[14].label, QStringLiteral("Tipo 06"));
        const StatisticsGroup& others = groups.back();
        QCOMPARE(others.label, QStringLiteral("Altri"));
        QCOMPARE(others.kind, StatisticsGroup::Kind::Others);
        QCOMPARE(others.count, 15);
        QCOMPARE(Amounts::format(others.value), QStringLiteral("15,00 €"));
        QCOMPARE(QList<int>(others.records.begin(), others.records.end()), smallest);
    }

    // Each bar, and each total, keeps exactly its cards.
    void barsKeepTheirCards()
    {
        const TCollectionStatistics statistics = statisticsOf(
            {QStringLiteral("10,00|Auto|||V"), QStringLiteral("|Nave|||"), QStringLiteral("x|auto|||V"),
             QStringLiteral("99,99|Treno|||"), QStringLiteral("99,99|AUTO|||")});
        const auto& kinds = statistics.groups(Breakdown::Tipologia);
        QCOMPARE(kinds[0].label, QStringLiteral("Auto"));
        QCOMPARE(records(kinds[0].records), QStringLiteral("1 3 5"));
        QCOMPARE(Amounts::format(kinds[0].value), QStringLiteral("109,99 €"));
        QCOMPARE(records(kinds[1].records), QStringLiteral("4"));
        QCOMPARE(records(kinds[2].records), QStringLiteral("2"));
        using Set = StatisticsTotals::Set;
        const StatisticsTotals& t = statistics.totals();
        QCOMPARE(records(t.records[size_t(Set::ForSale)]), QStringLiteral("1 3"));
        QCOMPARE(Amounts::format(t.forSaleValue), QStringLiteral("10,00 €"));
        QCOMPARE(records(t.records[size_t(Set::EmptyValue)]), QStringLiteral("2"));
        QCOMPARE(records(t.records[size_t(Set::NotValued)]), QStringLiteral("3"));
        QCOMPARE(records(t.records[size_t(Set::Highest)]), QStringLiteral("4 5"));
        QCOMPARE(t.highestName, QStringLiteral("Modello 4"));
    }

    // 100 000 cards of the largest value a card can hold: the sum passes
    // what 64 bits hold and still comes out to the cent.
    void largestSumToTheCent()
    {
        TCollectionStatistics statistics;
        const TScheda s = card(QStringLiteral("999999999999|Auto|||V"), 1);
        for (qint32 n = 1; n <= 100000; ++n)
            statistics.add(s, n, false, false);
        statistics.finish();
        QVERIFY(statistics.totals().value > Cents(std::numeric_limits<qint64>::max()));
        QCOMPARE(Amounts::format(statistics.totals().value), QStringLiteral("99.999.999.999.900.000,00 €"));
        QCOMPARE(Amounts::format(statistics.totals().forSaleValue), QStringLiteral("99.999.999.999.900.000,00 €"));
        QCOMPARE(Amounts::format(statistics.totals().average()), QStringLiteral("999.999.999.999,00 €"));
    }

    // From the archive file: photos from one listing of the photo folder,
    // attachments, the lines of the totals.
    void fromTheArchive()
    {
        QTemporaryDir dir;
        const QString archive = dir.filePath(QStringLiteral("Treni.dbm"));
        {
            // Written in one go: appending card by card waits for the disk 2500 times.
            QFile file(archive);
            QVERIFY(file.open(QIODevice::WriteOnly));
            for (int i = 1; i <= 2500; ++i) {
                TScheda s = card(QStringLiteral("1,00|Treno|1970|01/01/2000|"), i);
                if (i % 1000 == 0)
                    s.ScriviCampo(Campo::File02, QStringLiteral("libretto.pdf"));
                file.write(s.Byte());
            }
        }
        const QString photos = dir.filePath(QStringLiteral("Foto_Modellini"));
        QDir().mkpath(photos);
        for (const char* name : {"Treni_Foto_A_1.jpg", "Treni_Foto_A_2500.jpg", "Treni_Foto_B_2.jpg",
                                 "Treni_Foto_A_2501.jpg", "Treni_Foto_A_007.jpg", "Tram_Foto_A_3.jpg"}) {
            QFile f(photos + QLatin1Char('/') + QLatin1String(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QList<qint32> heard;
        const TCollectionStatistics statistics = TCollectionStatistics::compute(
            archive, {photos, QStringLiteral("Treni_Foto_A_"), QStringLiteral("Treni_Foto_B_")},
            [&](qint32 done, qint32 total) {
                heard << done;
                return total == 2500;
            });
        using Set = StatisticsTotals::Set;
        const StatisticsTotals& t = statistics.totals();
        QCOMPARE(heard, (QList<qint32>{0, 1000, 2000, 2500}));
        QCOMPARE(records(t.records[size_t(Set::PhotoA)]), QStringLiteral("1 2500"));
        QCOMPARE(records(t.records[size_t(Set::PhotoB)]), QStringLiteral("2"));
        QCOMPARE(records(t.records[size_t(Set::Attachment)]), QStringLiteral("1000 2000"));
        QCOMPARE(Amounts::format(t.value), QStringLiteral("2.500,00 €"));

        QStringList lines;
        for (const TotalsLine& line : totalsLines(t))
            lines << line.text;
        QCOMPARE(lines, (QStringList{
                            QStringLiteral("Schede in archivio: 2.500"),
                            QStringLiteral("Con foto A: 2"),
                            QStringLiteral("Con foto B: 1"),
                            QStringLiteral("Con allegati: 2"),
                            QStringLiteral("Valore stimato complessivo: 2.500,00 €"),
                            QStringLiteral("Media di 2.500 schede valutate: 1,00 €"),
                            QStringLiteral("Valore più alto: 1,00 € (Modello 1 e altre 2.499)"),
                            QStringLiteral("In vendita: 0 schede per 0,00 €"),
                            QStringLiteral("Valore vuoto (0,00): 0 schede"),
                            QStringLiteral("Non valutate (valore non leggibile): 0 schede"),
                        }));

        // Stopped half way: nothing is kept.
        const TCollectionStatistics stopped = TCollectionStatistics::compute(
            archive, {photos, QStringLiteral("Treni_Foto_A_"), QStringLiteral("Treni_Foto_B_")},
            [](qint32 done, qint32) { return done < 1000; });
        QCOMPARE(stopped.totals().cards, 0);
    }
};

QTEST_GUILESS_MAIN(TestStatistics)
#include "test_statistics.moc"
