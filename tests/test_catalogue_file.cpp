// The set of archives without windows: the name rule, creating, listing and
// deleting archive files in a scratch program folder.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "FilePermissions.h"
#include "core/archive/Catalogue.h"
#include "core/archive/ProgramFolder.h"

namespace {

void touch(const QString& path, const QByteArray& contents = {})
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

} // namespace

class TestCatalogueFile : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString file(const QString& name) const { return ProgramFolder::path() + name; }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        ProgramFolder::setOverride(m_dir->path());
    }
    void cleanup()
    {
        ProgramFolder::setOverride({});
        m_dir.reset();
    }

    void nameRule_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("check");
        QTest::newRow("plain") << "Navi" << int(Catalogue::NameCheck::Fine);
        QTest::newRow("vertical bar and apostrophe") << "Treni | d'epoca" << int(Catalogue::NameCheck::Fine);
        QTest::newRow("empty") << "" << int(Catalogue::NameCheck::Empty);
        QTest::newRow("slash") << "../Fuori" << int(Catalogue::NameCheck::HasSeparator);
        QTest::newRow("backslash") << "a\\b" << int(Catalogue::NameCheck::HasSeparator);
        QTest::newRow("nul") << QStringLiteral("a") + QChar(0) + QStringLiteral("b")
                             << int(Catalogue::NameCheck::HasSeparator);
        // 251 + ".dbm" is 255 bytes, the most a file name holds.
        QTest::newRow("longest") << QString(251, QLatin1Char('a')) << int(Catalogue::NameCheck::Fine);
        QTest::newRow("one byte more") << QString(252, QLatin1Char('a')) << int(Catalogue::NameCheck::TooLong);
        // An accented letter takes two bytes: 126 of them are 252.
        QTest::newRow("accented, too long") << QString(126, QChar(0xE8)) << int(Catalogue::NameCheck::TooLong);
        QTest::newRow("accented, fits") << QString(125, QChar(0xE8)) << int(Catalogue::NameCheck::Fine);
    }

    void nameRule()
    {
        QFETCH(QString, name);
        QFETCH(int, check);
        QCOMPARE(int(Catalogue::checkName(name)), check);
    }

    void refusedCharacters()
    {
        for (QChar c : QStringLiteral("\"*/:<>?\\°ÇÑçñ"))
            QVERIFY2(Catalogue::isRefusedCharacter(c), qPrintable(QString(c)));
        for (QChar c : QStringLiteral("|'aZ09 -_.,èàé"))
            QVERIFY2(!Catalogue::isRefusedCharacter(c), qPrintable(QString(c)));
    }

    void pathAndNameOfEntry()
    {
        QCOMPARE(Catalogue::archivePath(QStringLiteral("Navi")), file(QStringLiteral("Navi.dbm")));
        QCOMPARE(Catalogue::nameOfEntry(QStringLiteral("Navi.dbm")), QStringLiteral("Navi"));
        QCOMPARE(Catalogue::nameOfEntry(QStringLiteral("abc")), QString());
    }

    void createMakesAnEmptyFileAndKeepsAnExistingOne()
    {
        const QString path = Catalogue::archivePath(QStringLiteral("Navi"));
        QCOMPARE(Catalogue::create(path), Catalogue::CreateResult::Created);
        QVERIFY(QFileInfo::exists(path));
        QCOMPARE(QFileInfo(path).size(), 0);

        touch(path, QByteArray(3446, 'x'));
        QCOMPARE(Catalogue::create(path), Catalogue::CreateResult::AlreadyExists);
        QCOMPARE(QFileInfo(path).size(), 3446);
    }

    void createFailsWhereTheFolderRefuses()
    {
        QVERIFY(QDir().mkpath(file(QStringLiteral("chiusa"))));
        QVERIFY(QFile::setPermissions(file(QStringLiteral("chiusa")), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        {
            ObeyFilePermissions obey;
            QVERIFY(obey.holds());
            QCOMPARE(Catalogue::create(file(QStringLiteral("chiusa/Navi.dbm"))), Catalogue::CreateResult::Failed);
        }
        QVERIFY(!QFileInfo::exists(file(QStringLiteral("chiusa/Navi.dbm"))));
        QFile::setPermissions(file(QStringLiteral("chiusa")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    void listHoldsTheArchivesOfTheFolderItself()
    {
        touch(file(QStringLiteral("Navi.dbm")));
        touch(file(QStringLiteral("Auto.dbm")));
        touch(file(QStringLiteral(".Nascosto.dbm")));
        touch(file(QStringLiteral("note.txt")));
        touch(file(QStringLiteral("Navi.dbm-journal")));
        QVERIFY(QDir().mkpath(file(QStringLiteral("Sotto"))));
        touch(file(QStringLiteral("Sotto/Dentro.dbm")));
        QVERIFY(QDir().mkpath(file(QStringLiteral("Cartella.dbm"))));

        QStringList listed = Catalogue::list();
        listed.sort();
        QCOMPARE(listed, (QStringList{QStringLiteral(".Nascosto.dbm"), QStringLiteral("Auto.dbm"),
                                      QStringLiteral("Navi.dbm")}));
    }

    void removeTakesTheArchiveAndItsJournalOnly()
    {
        touch(file(QStringLiteral("Navi.dbm")));
        touch(file(QStringLiteral("Navi.dbm-journal")));
        touch(file(QStringLiteral("Auto.dbm")));
        QVERIFY(QDir().mkpath(file(QStringLiteral("Foto_Modellini"))));
        touch(file(QStringLiteral("Foto_Modellini/Navi_Foto_A_1.jpg")));

        QVERIFY(Catalogue::remove(file(QStringLiteral("Navi.dbm"))));
        QVERIFY(!QFileInfo::exists(file(QStringLiteral("Navi.dbm"))));
        QVERIFY(!QFileInfo::exists(file(QStringLiteral("Navi.dbm-journal"))));
        QVERIFY(QFileInfo::exists(file(QStringLiteral("Auto.dbm"))));
        QVERIFY(QFileInfo::exists(file(QStringLiteral("Foto_Modellini/Navi_Foto_A_1.jpg"))));

        // Nothing there: nothing deleted, and no journal of another archive touched.
        touch(file(QStringLiteral("Treni.dbm-journal")));
        QVERIFY(!Catalogue::remove(file(QStringLiteral("Treni.dbm"))));
        QVERIFY(QFileInfo::exists(file(QStringLiteral("Treni.dbm-journal"))));
    }
};

QTEST_GUILESS_MAIN(TestCatalogueFile)
#include "test_catalogue_file.moc"
