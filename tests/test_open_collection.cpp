// The card's two forms and the open collection, without widgets.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>

#include "ArchiveFixtures.h"
#include "FilePermissions.h"
#include "core/archive/ProgramFolder.h"
#include "core/card/OpenCollection.h"

namespace {

TCard cardNamed(const QString& name)
{
    TCard card;
    card.setText(Campo::Nome, name);
    card.setText(Campo::Tipologia, QStringLiteral("Auto"));
    card.setText(Campo::Valore, QStringLiteral("12,50"));
    return card;
}

TScheda recordNamed(const QString& name)
{
    return cardNamed(name).toRecord();
}

} // namespace

class TestOpenCollection : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        ProgramFolder::setOverride(m_dir->path());
        m_path = m_dir->filePath(QStringLiteral("Ferrovie.dbm"));
    }
    void cleanup() { ProgramFolder::setOverride({}); }

    // Every field lands where the record keeps it and comes back trimmed;
    // the attachments go to File01..Desc03 in order.
    void cardRoundTripsThroughRecord()
    {
        TCard card;
        for (int i = 0; i < TCard::TextCount; ++i)
            card.texts[std::size_t(i)] = QStringLiteral("%1è").arg(i); // fits even Anno's four bytes
        card.forSale = true;
        card.attachments = {TAttachment{QStringLiteral("a.pdf"), QStringLiteral("libretto")},
                            TAttachment{QStringLiteral("b.jpg"), QString()},
                            TAttachment{QString(), QStringLiteral("senza file")}};
        const TScheda record = card.toRecord();
        QCOMPARE(record.LeggiCampo(Campo::Descrizione), QStringLiteral("4è"));
        QCOMPARE(record.LeggiCampo(Campo::File02), QStringLiteral("b.jpg"));
        QCOMPARE(record.LeggiCampo(Campo::Desc03), QStringLiteral("senza file"));
        QCOMPARE(record.LeggiInVendita(), StatoVendita::InVendita);
        QCOMPARE(TCard::fromRecord(record), card);

        TScheda padded;
        padded.ScriviCampo(Campo::Nome, QStringLiteral("x"));
        // Blanks the record's own writer would have trimmed, as an older file may hold them.
        padded.dati()[0] = 3;
        padded.dati()[1] = ' ';
        padded.dati()[2] = 'x';
        padded.dati()[3] = '\t';
        QCOMPARE(TCard::fromRecord(padded).text(Campo::Nome), QStringLiteral("x"));
    }

    // A mark no writer produces is kept apart, so the window can leave its
    // box as it was; written back it becomes "not for sale".
    void unknownForSaleMark()
    {
        const TScheda blank;
        const TCard card = TCard::fromRecord(blank);
        QVERIFY(!card.forSale.has_value());
        QCOMPARE(card.toRecord().LeggiInVendita(), StatoVendita::NonInVendita);
    }

    void moves_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("move");
        QTest::addColumn<int>("target");
        QTest::addColumn<bool>("empty");
        QTest::addColumn<int>("currentAfter");
        using M = TOpenCollection::Move;
        QTest::newRow("first of three") << 3 << 2 << int(M::First) << 1 << false << 2;
        QTest::newRow("last of three") << 3 << 0 << int(M::Last) << 3 << false << 0;
        QTest::newRow("next from a new card") << 3 << 0 << int(M::Next) << 1 << false << 0;
        QTest::newRow("next from the middle") << 3 << 2 << int(M::Next) << 3 << false << 2;
        QTest::newRow("next from the last stays") << 3 << 3 << int(M::Next) << 0 << false << 3;
        QTest::newRow("previous from a new card") << 3 << 0 << int(M::Previous) << 1 << false << 0;
        QTest::newRow("previous from the middle") << 3 << 2 << int(M::Previous) << 1 << false << 2;
        QTest::newRow("previous from the first stays") << 3 << 1 << int(M::Previous) << 0 << false << 1;
        QTest::newRow("first of none") << 0 << 0 << int(M::First) << 0 << true << 0;
        QTest::newRow("last of none") << 0 << 0 << int(M::Last) << 0 << true << 0;
        QTest::newRow("previous in none") << 0 << 0 << int(M::Previous) << 0 << true << 0;
        // The archive was emptied by another workstation meanwhile.
        QTest::newRow("next in none forgets the card") << 0 << 2 << int(M::Next) << 0 << true << 0;
        QTest::newRow("previous from the first of none says nothing") << 0 << 1 << int(M::Previous) << 0 << false << 1;
        // A card in hand past the end (the file was cut short elsewhere)
        // leads nowhere further.
        QTest::newRow("next past the end stays") << 2 << 5 << int(M::Next) << 0 << false << 5;
    }
    void moves()
    {
        QFETCH(int, count);
        QFETCH(int, current);
        QFETCH(int, move);
        QFETCH(int, target);
        QFETCH(bool, empty);
        QFETCH(int, currentAfter);
        QList<TScheda> records;
        for (int i = 1; i <= qMax(count, current); ++i)
            records.append(recordNamed(QStringLiteral("Carro %1").arg(i)));
        writeRecords(m_path, records);
        TOpenCollection collection(m_path, QStringLiteral("Ferrovie"));
        if (current > 0)
            QVERIFY(collection.load(current));
        if (count < records.size())
            QVERIFY(QFile::resize(m_path, qint64(count) * TScheda::Dimensione));

        const auto step = collection.step(TOpenCollection::Move(move));
        QVERIFY(step);
        QCOMPARE(step.value().target, target);
        QCOMPARE(step.value().empty, empty);
        QCOMPARE(collection.current(), currentAfter);
        QCOMPARE(collection.knownCount(), count);
    }

    // A new card is appended and becomes the card in hand; the next save
    // writes over it and leaves its neighbours alone.
    void saveAppendsThenOverwrites()
    {
        writeRecords(m_path, {recordNamed(QStringLiteral("Uno"))});
        const QByteArray before = recordAt(m_path, 1).Byte();
        TOpenCollection collection(QStringLiteral("  ") + m_path + QStringLiteral(" "), QStringLiteral("Ferrovie"));
        QCOMPARE(collection.path(), m_path);
        QVERIFY(collection.isNewCard());

        TCard card = cardNamed(QStringLiteral("Due"));
        const auto appended = collection.save(card);
        QVERIFY(appended);
        QCOMPARE(appended.value(), 2);
        QCOMPARE(collection.current(), 2);
        QCOMPARE(collection.knownCount(), 2);

        card.setText(Campo::Nome, QStringLiteral("Due bis"));
        const auto written = collection.save(card);
        QVERIFY(written);
        QCOMPARE(written.value(), 2);
        QCOMPARE(QFileInfo(m_path).size(), 2 * TScheda::Dimensione);
        QCOMPARE(recordAt(m_path, 1).Byte(), before);
        QCOMPARE(TCard::fromRecord(recordAt(m_path, 2)).text(Campo::Nome), QStringLiteral("Due bis"));

        const auto loaded = collection.load(1);
        QVERIFY(loaded);
        QCOMPARE(loaded.value().text(Campo::Nome), QStringLiteral("Uno"));
        collection.startNewCard();
        QCOMPARE(collection.save(cardNamed(QStringLiteral("Tre"))).value(), 3);
    }

    // A failing archive gives a failure that names the action and the file;
    // the card in hand stays what it was.
    void failuresAreValues()
    {
        writeRecords(m_path, {recordNamed(QStringLiteral("Uno"))});
        TOpenCollection collection(m_path, QStringLiteral("Ferrovie"));
        QVERIFY(collection.load(1));

        const auto missing = collection.load(7);
        QVERIFY(!missing);
        QCOMPARE(missing.failure().operation, TFailure::Operation::ReadCards);
        QCOMPARE(missing.failure().path, m_path);
        QCOMPARE(collection.current(), 1);

        QFile::setPermissions(m_path, QFileDevice::ReadOwner);
        QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        {
            ObeyFilePermissions obey;
            QVERIFY(obey.holds());
            const auto saved = collection.save(cardNamed(QStringLiteral("Nuovo")));
            QVERIFY(!saved);
            QCOMPARE(saved.failure().operation, TFailure::Operation::WriteCard);
            // The archive would not open for writing: that step and the
            // system's reason are the cause.
            QCOMPARE(saved.failure().path, m_path);
            QCOMPARE(saved.failure().cause, QStringLiteral("open-archive: ") + qt_error_string(EACCES));
            QCOMPARE(collection.current(), 1);
            QVERIFY(!collection.step(TOpenCollection::Move::Next));
        }
        QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(TCard::fromRecord(recordAt(m_path, 1)).text(Campo::Nome), QStringLiteral("Uno"));
    }

    void companionPaths()
    {
        const TOpenCollection collection(m_path, QStringLiteral(" Ferrovie "));
        QCOMPARE(QFileInfo(collection.photoPath(CompanionFiles::Photo::B, 12)).fileName(),
                 QStringLiteral("Ferrovie_Foto_B_12.jpg"));
        QCOMPARE(TOpenCollection::attachmentPath(QStringLiteral(" libretto.pdf ")),
                 CompanionFiles::attachmentsFolder() + QStringLiteral("libretto.pdf"));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

QTEST_GUILESS_MAIN(TestOpenCollection)
#include "test_open_collection.moc"
