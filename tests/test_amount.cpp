// Amounts: half-up rounding with the extended product, and the text the value
// field shows after the user leaves it.
#include <QTest>

#include <limits>

#include "core/formats/Amount.h"

class TestAmount : public QObject {
    Q_OBJECT

private slots:
    void normalisation_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");

        QTest::newRow("whole") << "12"
                               << "12,00";
        QTest::newRow("one decimal") << "12,5"
                                     << "12,50";
        QTest::newRow("third decimal rounds up") << "12,345"
                                                 << "12,35";
        QTest::newRow("carry into the units") << "1,999"
                                              << "2,00";
        QTest::newRow("exact half") << "0,125"
                                    << "0,13";
        QTest::newRow("no whole digits") << ",5"
                                         << "0,50";
        QTest::newRow("no decimal digits") << "5,"
                                           << "5,00";
        QTest::newRow("leading zeros") << "007"
                                       << "7,00";
        QTest::newRow("two commas") << "1,2,3"
                                    << "0,00";
        QTest::newRow("empty") << ""
                               << "0,00";
        QTest::newRow("zero stays") << "0,00"
                                    << "0,00";
        QTest::newRow("carry into the thousands") << "999,999"
                                                  << "1000,00";
        QTest::newRow("1,005 lies below") << "1,005"
                                          << "1,00";
        QTest::newRow("2,675 lies below") << "2,675"
                                          << "2,67";
        QTest::newRow("0,015 lies below") << "0,015"
                                          << "0,01";
        QTest::newRow("1,115 lies below") << "1,115"
                                          << "1,11";
        QTest::newRow("0,005 lies above") << "0,005"
                                          << "0,01";
        QTest::newRow("small decimals kept") << "0,07"
                                             << "0,07";
        QTest::newRow("12-digit whole amount") << "999999999999"
                                               << "999999999999,00";

        // Beyond the examples: the edges of the reading rule.
        QTest::newRow("only blanks") << "   "
                                     << "0,00";
        QTest::newRow("blanks around") << "  7,5 \t"
                                       << "7,50";
        QTest::newRow("plus sign") << "+5"
                                   << "5,00";
        QTest::newRow("exponent") << "1e3"
                                  << "1000,00";
        QTest::newRow("exponent with decimals") << "1,5E-1"
                                                << "0,15";
        QTest::newRow("exponent without digits") << "1e"
                                                 << "0,00";
        QTest::newRow("comma alone") << ","
                                     << "0,00";
        QTest::newRow("sign alone") << "-"
                                    << "0,00";
        QTest::newRow("full stop") << "12.5"
                                   << "0,00";
        QTest::newRow("thousands separator") << "1.000,00"
                                             << "0,00";
        QTest::newRow("inner blank") << "1 000"
                                     << "0,00";
        QTest::newRow("letters") << "abc"
                                 << "0,00";
        QTest::newRow("currency sign") << "5 €"
                                       << "0,00";
        QTest::newRow("Arabic-Indic digit") << QString::fromUtf8("\u0665") << "0,00";

        // Pasted negatives round away from zero, like their positive twins.
        QTest::newRow("negative half") << "-2,5"
                                       << "-2,50";
        QTest::newRow("negative rounding") << "-0,125"
                                           << "-0,13";
        QTest::newRow("negative to zero") << "-0,001"
                                          << "0,00";

        // The edges of double precision.
        QTest::newRow("15 significant digits") << "1234567890123,45"
                                               << "1234567890123,45";
        QTest::newRow("16 significant digits lose the last") << "12345678901234,56"
                                                             << "12345678901234,60";
        QTest::newRow("20 nines become 10^20") << "99999999999999999999"
                                               << "100000000000000000000,00";
        QTest::newRow("huge exponent written out") << "1,5e20"
                                                   << "150000000000000000000,00";
        QTest::newRow("beyond a double") << "1e400"
                                         << "0,00";
        QTest::newRow("below the smallest amount") << "1e-400"
                                                   << "0,00";
        QTest::newRow("held as the nearest double first") << "0,12499999999999999999999"
                                                          << "0,13";
    }

    void normalisation()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QCOMPARE(NormalizzaImporto(typed), shown);
        // Entering and leaving the field again changes nothing.
        QCOMPARE(NormalizzaImporto(shown), shown);
    }

    void reading_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isNumber");
        QTest::addColumn<double>("value");
        QTest::newRow("comma decimals") << "12,5" << true << 12.5;
        QTest::newRow("nearest double") << "2,675" << true << 2.675;
        QTest::newRow("exponent sign") << "25e-1" << true << 2.5;
        QTest::newRow("negative") << " -3, " << true << -3.0;
        QTest::newRow("largest double") << "1,7976931348623157e308" << true << std::numeric_limits<double>::max();
        QTest::newRow("two signs") << "--3" << false << 0.0;
        QTest::newRow("sign after digits") << "3-" << false << 0.0;
        QTest::newRow("exponent first") << "e5" << false << 0.0;
        QTest::newRow("infinity") << "inf" << false << 0.0;
        QTest::newRow("hexadecimal") << "0x10" << false << 0.0;
    }

    void reading()
    {
        QFETCH(QString, text);
        QFETCH(bool, isNumber);
        QFETCH(double, value);
        const std::optional<double> read = LeggiImporto(text);
        QCOMPARE(read.has_value(), isNumber);
        if (isNumber)
            QCOMPARE(*read, value);
    }

    void rounding_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<double>("rounded");
        QTest::newRow("extended product keeps 2,675 below") << 2.675 << 2 << 2.67;
        QTest::newRow("1,005 below") << 1.005 << 2 << 1.0;
        QTest::newRow("exact half up") << 0.125 << 2 << 0.13;
        QTest::newRow("no decimals") << 2.5 << 0 << 3.0;
        QTest::newRow("one decimal") << 1.25 << 1 << 1.3;
        QTest::newRow("three decimals") << 1.2345 << 3 << 1.234;
        QTest::newRow("three decimals, half") << 0.0625 << 3 << 0.063;
        QTest::newRow("already whole") << 42.0 << 2 << 42.0;
        // Int drops the fraction towards zero: -249,5 becomes -249.
        QTest::newRow("negative half goes up") << -2.5 << 2 << -2.49;
        QTest::newRow("huge stays") << 1e300 << 2 << 1e300;
        QTest::newRow("largest double stays")
            << std::numeric_limits<double>::max() << 2 << std::numeric_limits<double>::max();
    }

    void rounding()
    {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(double, rounded);
        QCOMPARE(Arrotonda(value, decimals), rounded);
    }

    void productInDoubleWouldRoundTheOtherWay()
    {
        // The reason for the extended product: in double, 2,675 × 100 is 267,5 exactly.
        volatile double value = 2.675;
        volatile double product = value * 100.0;
        QCOMPARE(static_cast<double>(product), 267.5);
        QCOMPARE(Arrotonda(value, 2), 2.67);
    }
};

QTEST_APPLESS_MAIN(TestAmount)
#include "test_amount.moc"
