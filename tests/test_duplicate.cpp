// "Duplica": the card on screen becomes a new card with the same fields and
// photos; saving appends it and leaves the original as it was.
#include <QCheckBox>
#include <QLabel>

#include "PhotoFixtures.h"
#include "TestSupport.h"
#include "gui/widgets/ImageView.h"
#include "gui/widgets/PictureButton.h"

using namespace PhotoFixtures;

class TestDuplicate : public QObject, private SheetProgramTest {
    Q_OBJECT

    QString archivePath() const { return program->file(QStringLiteral("Navi.dbm")); }

    // Two cards; the second for sale, with an attachment and two photos.
    void writeFixture()
    {
        TScheda first;
        first.ScriviCampo(Campo::Nome, QStringLiteral("Modello 1"));
        TScheda second;
        const std::pair<Campo, const char*> texts[] = {
            {Campo::Nome, "Ferrari 250 GTO"}, {Campo::Tipologia, "Auto"},  {Campo::Produttore, "Bburago"},
            {Campo::Valore, "35,00"},         {Campo::Scala, "1:18"},      {Campo::Note, "Rossa, con scatola"},
            {Campo::File01, "scontrino.pdf"}, {Campo::Desc01, "Ricevuta"},
        };
        for (const auto& [field, text] : texts)
            second.ScriviCampo(field, QString::fromUtf8(text));
        second.ImpostaInVendita(true);
        writeRecords(archivePath(), {first, second});
        QVERIFY(CompanionFiles::ensurePhotoFolder());
        QVERIFY(writeCardPhoto(CompanionFiles::Photo::A, QStringLiteral("Navi"), 2,
                               encoded(halves(QSize(800, 600)), "JPG")));
        QVERIFY(writeCardPhoto(CompanionFiles::Photo::B, QStringLiteral("Navi"), 2,
                               encoded(halves(QSize(300, 400)), "JPG")));
    }

    QString position() const { return named<QLabel>(sheet, "lblPosizione")->text(); }

private slots:
    void init() { startSheetProgram(); }
    void cleanup() { endSheetProgram(); }

    void duplicateThenSave()
    {
        writeFixture();
        QVERIFY(openRecordSheet(*windows, archivePath(), QStringLiteral("Navi")));
        QVERIFY(sheet->subMostraScheda(2));
        QVERIFY(named<QCheckBox>(sheet, "chkInVendita")->isChecked());
        const QByteArray before = readFile(archivePath());

        QTest::mouseClick(named<TPictureButton>(sheet, "cmdDuplica"), Qt::LeftButton);
        QCOMPARE(position(), QString());
        QCOMPARE(named<QLineEdit>(sheet, "txtNome")->text(), QStringLiteral("Ferrari 250 GTO"));
        QCOMPARE(named<QLineEdit>(sheet, "txtNote")->text(), QStringLiteral("Rossa, con scatola"));
        QVERIFY(!named<QCheckBox>(sheet, "chkInVendita")->isChecked());
        QCOMPARE(named<QLabel>(sheet, "lblFile01")->text(), QString());
        QCOMPARE(named<QLabel>(sheet, "lblDesc01")->text(), QString());
        QCOMPARE(named<TImageView>(sheet, "imgFoto")->photo().size(), QSize(800, 600));
        QCOMPARE(named<TImageView>(sheet, "imgFoto02")->photo().size(), QSize(300, 400));
        QCOMPARE(readFile(archivePath()), before); // nothing written yet

        named<QLineEdit>(sheet, "txtNome")->setText(QStringLiteral("Ferrari 250 GTO blu"));
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdSalva"), Qt::LeftButton);
        QCOMPARE(shownTexts(), QStringList{QStringLiteral("La scheda corrente è stata inserita in archivio.")});
        QCOMPARE(position(), QStringLiteral("3"));

        // The original, byte for byte; the copy after it.
        const QByteArray after = readFile(archivePath());
        QCOMPARE(after.size(), 3 * qsizetype(sizeof(TScheda)));
        QVERIFY(after.left(before.size()) == before);
        TArchivio archive;
        archive.ApriArchivio(archivePath());
        const TScheda copy = archive.LeggiScheda(3);
        archive.ChiudiArchivio();
        QCOMPARE(copy.LeggiCampo(Campo::Nome), QStringLiteral("Ferrari 250 GTO blu"));
        QCOMPARE(copy.LeggiCampo(Campo::Scala), QStringLiteral("1:18"));
        QCOMPARE(copy.LeggiCampo(Campo::Valore), QStringLiteral("35,00"));
        QCOMPARE(copy.LeggiInVendita(), StatoVendita::NonInVendita);
        QCOMPARE(copy.LeggiCampo(Campo::File01), QString());
        QCOMPARE(copy.LeggiCampo(Campo::Desc01), QString());

        // The photos were copied under the new number; the original's stay.
        for (const auto& [which, size] : {std::pair(CompanionFiles::Photo::A, QSize(800, 600)),
                                          std::pair(CompanionFiles::Photo::B, QSize(300, 400))}) {
            QCOMPARE(QImage(cardPhotoPath(which, QStringLiteral("Navi"), 3)).size(), size);
            QCOMPARE(QImage(cardPhotoPath(which, QStringLiteral("Navi"), 2)).size(), size);
        }

        // From now on it is card 3 that a save overwrites.
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdSalva"), Qt::LeftButton);
        QCOMPARE(shownTexts(), QStringList{QStringLiteral(
                                   "Le modifiche apportate alla scheda corrente sono state salvate in archivio.")});
        QCOMPARE(readFile(archivePath()).size(), 3 * qsizetype(sizeof(TScheda)));
        QVERIFY(readFile(archivePath()).left(before.size()) == before);
    }

    // A card whose photo files are missing shows placeholders that stand for
    // the unread files; its copy must not adopt whatever photo files lie
    // under the new number (left by an earlier archive of the same name).
    void duplicateOfACardWithoutPhotos()
    {
        writeArchive(archivePath(), 1);
        QVERIFY(CompanionFiles::ensurePhotoFolder());
        const QByteArray stale = encoded(halves(QSize(50, 50)), "JPG");
        QVERIFY(writeCardPhoto(CompanionFiles::Photo::A, QStringLiteral("Navi"), 2, stale));
        QVERIFY(openRecordSheet(*windows, archivePath(), QStringLiteral("Navi")));
        QVERIFY(sheet->subMostraScheda(1));
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdDuplica"), Qt::LeftButton);
        fillRequiredFields(sheet);
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdSalva"), Qt::LeftButton);
        QCOMPARE(position(), QStringLiteral("2"));
        QCOMPARE(QImage(cardPhotoPath(CompanionFiles::Photo::A, QStringLiteral("Navi"), 2)).size(),
                 QSize(366, 260)); // the placeholder, not the stale 50 x 50
    }

    void duplicateOfANewCardStaysNew()
    {
        writeArchive(archivePath(), 1);
        QVERIFY(openRecordSheet(*windows, archivePath(), QStringLiteral("Navi")));
        named<QLineEdit>(sheet, "txtNome")->setText(QStringLiteral("Bozza"));
        named<QCheckBox>(sheet, "chkInVendita")->setChecked(true);
        QTest::mouseClick(named<TPictureButton>(sheet, "cmdDuplica"), Qt::LeftButton);
        QCOMPARE(position(), QString());
        QCOMPARE(named<QLineEdit>(sheet, "txtNome")->text(), QStringLiteral("Bozza"));
        QVERIFY(!named<QCheckBox>(sheet, "chkInVendita")->isChecked());
        QCOMPARE(readFile(archivePath()).size(), qsizetype(sizeof(TScheda)));
    }
};

QTEST_MAIN(TestDuplicate)
#include "test_duplicate.moc"
