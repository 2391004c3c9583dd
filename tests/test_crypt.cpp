// The cipher of the password store and the store file itself.
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "core/access/Crypt.h"
#include "core/access/PasswordStore.h"

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
    void parseValue_data();
    void parseValue();
    void writeChangesOnlyTheValue_data();
    void writeChangesOnlyTheValue();
    void refusedWriteLeavesTheStore_data();
    void refusedWriteLeavesTheStore();
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
    QTest::newRow("one char") << "A"
                              << "1B";
    QTest::newRow("initial password") << "VETRINAMODELLI"
                                      << "0C739FCD1A8B59041D8B5635A17E";
    QTest::newRow("blanks inside") << "PASSWORD 123"
                                   << "0A8D9D557C0A4E020E8B6A34";
    QTest::newRow("accented") << QStringLiteral("ÀÉÌÒÙ ÇÑ") << "9A42414A69677A6C";
    QTest::newRow("blanks around") << " X "
                                   << "7AB7A0";
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
    QTest::newRow("one pair and a digit") << "1BF"
                                          << "A";
    QTest::newRow("initial password and a digit") << "0C739FCD1A8B59041D8B5635A17E7"
                                                  << "VETRINAMODELLI";
    // The unpaired digit is never converted, so it need not be hexadecimal.
    QTest::newRow("trailing non-hex") << "1BZ"
                                      << "A";
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

void TestCrypt::parseValue_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<QString>("value");
    const QByteArray bom("\xEF\xBB\xBF");
    // Intact values, among lines that cannot belong to them.
    QTest::newRow("as written") << QByteArray("[Accesso]\nValore=0C73\n") << true << "0C73";
    QTest::newRow("stray line after") << QByteArray("[Accesso]\nValore=0C73\nrotto\n") << true << "0C73";
    QTest::newRow("stray lines before") << QByteArray("rotto\n\x01\xff\n[Accesso]\nValore=0C73") << true << "0C73";
    QTest::newRow("CR LF") << QByteArray("[Accesso]\r\nValore=0C73\r\nrotto\r\n") << true << "0C73";
    QTest::newRow("lone CR") << QByteArray("[Accesso]\rValore=0C73\r") << true << "0C73";
    QTest::newRow("byte order mark") << bom + "[Accesso]\nValore=0C73\n" << true << "0C73";
    QTest::newRow("blanks around") << QByteArray(" [ Accesso ] \n\tValore = 0C73 \t\n") << true << "0C73";
    QTest::newRow("quoted") << QByteArray("[Accesso]\nValore=\"0C73\"\n") << true << "0C73";
    QTest::newRow("comments and blank lines")
        << QByteArray("; nota\n\n[Accesso]\n# Valore=1B\n\n  \nValore=0C73\n") << true << "0C73";
    QTest::newRow("other sections around")
        << QByteArray("Valore=1B\n[Prima]\nValore=2C\n[Accesso]\nAltro=3D\nValore=0C73\n[Dopo]\nValore=4E\n") << true
        << "0C73";
    QTest::newRow("section in two pieces")
        << QByteArray("[Accesso]\nAltro=1B\n[Altro]\n[Accesso]\nValore=0C73\n") << true << "0C73";
    QTest::newRow("same value twice") << QByteArray("[Accesso]\nValore=0C73\n[Accesso]\nValore=0C73\n") << true
                                      << "0C73";
    QTest::newRow("broken header of a later section")
        << QByteArray("[Accesso]\nValore=0C73\n[Altro\nChiave=1B\n") << true << "0C73";
    QTest::newRow("equals sign in the value") << QByteArray("[Accesso]\nValore=0C=73\n") << true << "0C=73";
    // Handed to the cipher as it stands, which refuses it.
    QTest::newRow("not hexadecimal") << QByteArray("[Accesso]\nValore=0C 7Z\n") << true << "0C 7Z";
    // An intact store without the value: the empty text.
    QTest::newRow("empty") << QByteArray() << true << "";
    QTest::newRow("only a byte order mark") << bom << true << "";
    QTest::newRow("no section") << QByteArray("[Altro]\nValore=0C73\n") << true << "";
    QTest::newRow("no key") << QByteArray("[Accesso]\nAltro=0C73\n") << true << "";
    QTest::newRow("key in other letter case") << QByteArray("[Accesso]\nvalore=0C73\n") << true << "";
    QTest::newRow("empty value") << QByteArray("[Accesso]\nValore=\n") << true << "";
    // Unreadable: the value cannot be told.
    QTest::newRow("two different values") << QByteArray("[Accesso]\nValore=0C73\nValore=1B\n") << false << "";
    QTest::newRow("empty and full value") << QByteArray("[Accesso]\nValore=\n[Accesso]\nValore=0C73\n") << false << "";
    QTest::newRow("stray line, no value") << QByteArray("[Accesso]\nrotto\n") << false << "";
    QTest::newRow("value behind a broken header") << QByteArray("[Accesso\nValore=0C73\n") << false << "";
    QTest::newRow("broken header between two values")
        << QByteArray("[Accesso]\nValore=0C73\n[Altro\nValore=1B\n") << false << "";
    QTest::newRow("binary") << QByteArray("\xff\xd8\xff\xe0\x00\x10JFIF\x00\x01", 12) << false << "";
}

void TestCrypt::parseValue()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, readable);
    QFETCH(QString, value);
    const std::optional<QString> expected = readable ? std::optional<QString>(value) : std::nullopt;
    QCOMPARE(PasswordStore::parseValue(text), expected);

    // The file reads alike, on every read in the same process.
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("unins000.dll"));
    QFile file(store);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    for (int read = 0; read < 2; ++read)
        QCOMPARE(PasswordStore::readValue(store), expected);
}

void TestCrypt::writeChangesOnlyTheValue_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    const QByteArray bom("\xEF\xBB\xBF");
    QTest::newRow("no file") << QByteArray() << QByteArray("[Accesso]\nValore=1B2C\n");
    QTest::newRow("value replaced") << QByteArray("[Accesso]\nValore=0C73\n") << QByteArray("[Accesso]\nValore=1B2C\n");
    QTest::newRow("stray lines and comments kept") << QByteArray("; nota\nrotto\n[Accesso]\n  Valore = 0C73 \nrotto\n")
                                                   << QByteArray("; nota\nrotto\n[Accesso]\nValore=1B2C\nrotto\n");
    QTest::newRow("CR LF and byte order mark kept") << bom + "[Accesso]\r\nValore=0C73\r\n"
                                                    << bom + "[Accesso]\r\nValore=1B2C\r\n";
    QTest::newRow("every copy of the value") << QByteArray("[Accesso]\nValore=0C73\n[Accesso]\nValore=0C73")
                                             << QByteArray("[Accesso]\nValore=1B2C\n[Accesso]\nValore=1B2C");
    QTest::newRow("key added to the section")
        << QByteArray("[Accesso]\r\nAltro=1\r\n") << QByteArray("[Accesso]\r\nValore=1B2C\r\nAltro=1\r\n");
    QTest::newRow("key added after a last header")
        << QByteArray("[Altro]\nA=1\n[Accesso]") << QByteArray("[Altro]\nA=1\n[Accesso]\nValore=1B2C\n");
    QTest::newRow("section added") << QByteArray("[Altro]\nValore=0C73")
                                   << QByteArray("[Altro]\nValore=0C73\n\n[Accesso]\nValore=1B2C\n");
}

void TestCrypt::writeChangesOnlyTheValue()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("unins000.dll"));
    if (!before.isEmpty()) {
        QFile file(store);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(before);
    }
    QVERIFY(PasswordStore::writeValue(store, QStringLiteral("1B2C")));
    QFile file(store);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), after);
    QCOMPARE(PasswordStore::readValue(store), std::optional<QString>(QStringLiteral("1B2C")));
}

void TestCrypt::refusedWriteLeavesTheStore_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("value");
    QTest::newRow("two different values") << QByteArray("[Accesso]\nValore=0C73\nValore=1B\n") << "1B2C";
    QTest::newRow("stray line, no value") << QByteArray("[Accesso]\nrotto\n") << "1B2C";
    // Values that would not read back as given.
    QTest::newRow("line break in the value") << QByteArray("[Accesso]\nValore=0C73\n") << "1B\n[Accesso]\nValore=2C";
    QTest::newRow("blank around the value") << QByteArray("[Accesso]\nValore=0C73\n") << " 1B";
    QTest::newRow("quoted value") << QByteArray("[Accesso]\nValore=0C73\n") << "\"1B\"";
}

void TestCrypt::refusedWriteLeavesTheStore()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, value);
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("unins000.dll"));
    {
        QFile file(store);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(before);
    }
    QVERIFY(!PasswordStore::writeValue(store, value));
    QFile file(store);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("unins000.dll")});
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
    QTest::newRow("lower") << "vetrinamodelli"
                           << "VETRINAMODELLI";
    QTest::newRow("mixed and blanks") << "  VetrinaModelli \t"
                                      << "VETRINAMODELLI";
    QTest::newRow("inner blank kept") << "a b"
                                      << "A B";
    QTest::newRow("accented not folded") << QStringLiteral("caffè") << QStringLiteral("CAFFè");
    QTest::newRow("sharp s and y umlaut") << QStringLiteral("ßÿ") << QStringLiteral("ßÿ");
    QTest::newRow("digits and signs") << "a1-z9_"
                                      << "A1-Z9_";
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
    QCOMPARE(PasswordStore::refusal(password) != PasswordStore::Refusal::None, refused);
}

QTEST_GUILESS_MAIN(TestCrypt)
#include "test_crypt.moc"
