// The cipher of the password store and the store file itself.
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "shell/Crypt.h"
#include "shell/PasswordStore.h"

class TestCrypt : public QObject {
    Q_OBJECT

private slots:
    void pinnedCiphertexts_data();
    void pinnedCiphertexts();
    void roundTrip_data();
    void roundTrip();
    void keyAdvancesWithEveryByte();
    void onlyTheLowByteEnters();
    void oddDigitCountIgnoresLastDigit_data();
    void oddDigitCountIgnoresLastDigit();
    void lowerCaseHexReadsAlike();
    void nonHexPairFails_data();
    void nonHexPairFails();

    void missingStoreReadsEmpty_data();
    void missingStoreReadsEmpty();
    void unreadableStoreFails();
    void writeCreatesSectionAndKeepsOtherEntries();
    void writeLeavesNoScratchFiles();
    void writeIntoMissingFolderFails();
    void readPasswordDeciphersAndTrims();
    void normalisedFoldsOnlyAsciiLetters_data();
    void normalisedFoldsOnlyAsciiLetters();
    void limits_data();
    void limits();
};

// Worked out by hand from the algorithm with K=5A3C, M=B4E1, A=3D29: a change
// of constants or of the key schedule cannot slip through.
void TestCrypt::pinnedCiphertexts_data()
{
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("cipher");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("one char") << "A" << "1B";
    QTest::newRow("initial password") << "VETRINAMODELLI" << "0C739FCD1A8B59041D8B5635A17E";
    QTest::newRow("blanks inside") << "PASSWORD 123" << "0A8D9D557C0A4E020E8B6A34";
    QTest::newRow("accented") << QStringLiteral("ÀÉÌÒÙ ÇÑ") << "9A42414A69677A6C";
    QTest::newRow("blanks around") << " X " << "7AB7A0";
}

void TestCrypt::pinnedCiphertexts()
{
    QFETCH(QString, plain);
    QFETCH(QString, cipher);
    QCOMPARE(Crypt::Encrypt(plain), cipher);
    QCOMPARE(Crypt::Decrypt(cipher), std::optional<QString>(plain));
    // No random part: the same text always gives the same cipher.
    QCOMPARE(Crypt::Encrypt(plain), Crypt::Encrypt(plain));
}

void TestCrypt::roundTrip_data()
{
    QTest::addColumn<QString>("plain");
    QTest::newRow("empty") << QString();
    QTest::newRow("one char") << "Z";
    QTest::newRow("255 chars") << QString(255, QLatin1Char('Q'));
    QTest::newRow("255 mixed") << QString::fromLatin1("abcXYZ019 !~").repeated(22).left(255);
    QTest::newRow("accented") << QStringLiteral("àèéìòùÀÈÉÌÒÙçñÇÑ°");
    QTest::newRow("every byte 1..255") << [] {
        QString all;
        for (int c = 1; c <= 255; ++c)
            all += QChar(char16_t(c));
        return all;
    }();
}

void TestCrypt::roundTrip()
{
    QFETCH(QString, plain);
    const QString cipher = Crypt::Encrypt(plain);
    QCOMPARE(cipher.size(), plain.size() * 2);
    for (QChar c : cipher)
        QVERIFY2((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'), qPrintable(cipher));
    QCOMPARE(Crypt::Decrypt(cipher), std::optional<QString>(plain));
}

void TestCrypt::keyAdvancesWithEveryByte()
{
    // A repeated letter must not show as a repeated pair.
    const QString cipher = Crypt::Encrypt(QStringLiteral("AAAAAAAA"));
    QSet<QString> pairs;
    for (int i = 0; i < cipher.size(); i += 2)
        pairs.insert(cipher.mid(i, 2));
    QVERIFY(pairs.size() > 4);
    // And a stream cipher: the cipher of a prefix is a prefix of the cipher.
    QVERIFY(Crypt::Encrypt(QStringLiteral("AAAAAAAAB")).startsWith(cipher));
}

void TestCrypt::onlyTheLowByteEnters()
{
    QCOMPARE(Crypt::Encrypt(QString(QChar(0x0141))), Crypt::Encrypt(QStringLiteral("A")));
    QCOMPARE(Crypt::Encrypt(QString(QChar(0x20AC))), Crypt::Encrypt(QString(QChar(0xAC))));
}

void TestCrypt::oddDigitCountIgnoresLastDigit_data()
{
    QTest::addColumn<QString>("cipher");
    QTest::addColumn<QString>("plain");
    QTest::newRow("single digit") << "1" << QString();
    QTest::newRow("one pair and a digit") << "1BF" << "A";
    QTest::newRow("initial password and a digit") << "0C739FCD1A8B59041D8B5635A17E7" << "VETRINAMODELLI";
    // The unpaired digit is never converted, so it need not be hexadecimal.
    QTest::newRow("trailing non-hex") << "1BZ" << "A";
}

void TestCrypt::oddDigitCountIgnoresLastDigit()
{
    QFETCH(QString, cipher);
    QFETCH(QString, plain);
    QCOMPARE(Crypt::Decrypt(cipher), std::optional<QString>(plain));
}

void TestCrypt::lowerCaseHexReadsAlike()
{
    const QString cipher = Crypt::Encrypt(QStringLiteral("VETRINAMODELLI"));
    QVERIFY(cipher != cipher.toLower());
    QCOMPARE(Crypt::Decrypt(cipher.toLower()), std::optional<QString>(QStringLiteral("VETRINAMODELLI")));
    QCOMPARE(Crypt::Decrypt(QStringLiteral("0c739fCD1a8B59041D8B5635A17e")),
             std::optional<QString>(QStringLiteral("VETRINAMODELLI")));
}

void TestCrypt::nonHexPairFails_data()
{
    QTest::addColumn<QString>("cipher");
    QTest::newRow("letter G") << "0C7G";
    QTest::newRow("all letters") << "ZZ";
    QTest::newRow("blank inside pair") << "0C 3";
    QTest::newRow("sign") << "+1";
    QTest::newRow("bad pair after good ones") << "0C739FCD1A8B59041D8B5635A1XX";
    QTest::newRow("bad pair first") << "x10C73";
    QTest::newRow("full-width digit") << QStringLiteral("0C７3");
}

void TestCrypt::nonHexPairFails()
{
    QFETCH(QString, cipher);
    QCOMPARE(Crypt::Decrypt(cipher), std::nullopt);
}

// ---- the store file ------------------------------------------------------------

void TestCrypt::missingStoreReadsEmpty_data()
{
    QTest::addColumn<QByteArray>("contents"); // empty: no file at all
    QTest::newRow("no file") << QByteArray();
    QTest::newRow("empty file") << QByteArray("\n");
    QTest::newRow("other section") << QByteArray("[Altro]\nValore=0C73\n");
    QTest::newRow("other key") << QByteArray("[Accesso]\nChiave=0C73\n");
    QTest::newRow("empty value") << QByteArray("[Accesso]\nValore=\n");
}

void TestCrypt::missingStoreReadsEmpty()
{
    QFETCH(QByteArray, contents);
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("unins000.dll"));
    if (!contents.isEmpty()) {
        QFile file(store);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }
    QCOMPARE(PasswordStore::readValue(store), std::optional<QString>(QString()));
    QCOMPARE(PasswordStore::readPassword(store), std::optional<QString>(QString()));
}

void TestCrypt::unreadableStoreFails()
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("unins000.dll"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("unins000.dll")));
    QCOMPARE(PasswordStore::readValue(store), std::nullopt);
    QCOMPARE(PasswordStore::readPassword(store), std::nullopt);
}

void TestCrypt::writeCreatesSectionAndKeepsOtherEntries()
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("unins000.dll"));
    QVERIFY(PasswordStore::writeValue(store, QStringLiteral("1B")));
    {
        QSettings ini(store, QSettings::IniFormat);
        QCOMPARE(ini.value(QStringLiteral("Accesso/Valore")).toString(), QStringLiteral("1B"));
        ini.setValue(QStringLiteral("Altro/Chiave"), QStringLiteral("resta"));
    }
    QVERIFY(PasswordStore::writeValue(store, QStringLiteral("0C73")));
    QSettings ini(store, QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("Accesso/Valore")).toString(), QStringLiteral("0C73"));
    QCOMPARE(ini.value(QStringLiteral("Altro/Chiave")).toString(), QStringLiteral("resta"));
    QCOMPARE(PasswordStore::readValue(store), std::optional<QString>(QStringLiteral("0C73")));
}

void TestCrypt::writeLeavesNoScratchFiles()
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("unins000.dll"));
    QVERIFY(PasswordStore::writeValue(store, QStringLiteral("1B")));
    QVERIFY(PasswordStore::writeValue(store, QStringLiteral("0C73")));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("unins000.dll")});
}

void TestCrypt::writeIntoMissingFolderFails()
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("manca/unins000.dll"));
    QVERIFY(!PasswordStore::writeValue(store, QStringLiteral("1B")));
    QVERIFY(!QFile::exists(store));
}

void TestCrypt::readPasswordDeciphersAndTrims()
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("unins000.dll"));
    QVERIFY(PasswordStore::writeValue(store, Crypt::Encrypt(QStringLiteral("\t  MODELLI \r\n"))));
    QCOMPARE(PasswordStore::readPassword(store), std::optional<QString>(QStringLiteral("MODELLI")));
    QVERIFY(PasswordStore::writeValue(store, QStringLiteral("0C7G")));
    QCOMPARE(PasswordStore::readPassword(store), std::nullopt);
}

void TestCrypt::normalisedFoldsOnlyAsciiLetters_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("lower") << "vetrinamodelli" << "VETRINAMODELLI";
    QTest::newRow("mixed and blanks") << "  VetrinaModelli \t" << "VETRINAMODELLI";
    QTest::newRow("inner blank kept") << "a b" << "A B";
    QTest::newRow("accented not folded") << QStringLiteral("caffè") << QStringLiteral("CAFFè");
    QTest::newRow("sharp s and y umlaut") << QStringLiteral("ßÿ") << QStringLiteral("ßÿ");
    QTest::newRow("digits and signs") << "a1-z9_" << "A1-Z9_";
}

void TestCrypt::normalisedFoldsOnlyAsciiLetters()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QCOMPARE(PasswordStore::normalised(typed), stored);
}

void TestCrypt::limits_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("refused");
    QTest::newRow("255 chars") << QString(255, QLatin1Char('A')) << false;
    QTest::newRow("256 chars") << QString(256, QLatin1Char('A')) << true;
    QTest::newRow("latin-1 accents") << QStringLiteral("ÀÈÌÒÙÿ") << false;
    QTest::newRow("euro sign") << QStringLiteral("PREZZO€") << true;
    QTest::newRow("code 256") << QString(QChar(0x100)) << true;
    QTest::newRow("emoji") << QStringLiteral("AUTO🚗") << true;
    QTest::newRow("code 0 inside") << QStringLiteral("A") + QChar(0) + QStringLiteral("B") << true;
}

void TestCrypt::limits()
{
    QFETCH(QString, password);
    QFETCH(bool, refused);
    QCOMPARE(!PasswordStore::refusal(password).isEmpty(), refused);
}

QTEST_GUILESS_MAIN(TestCrypt)
#include "test_crypt.moc"
