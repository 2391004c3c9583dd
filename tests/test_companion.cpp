// Companion files of the records (photo names and folders, attachment copies)
// and the photo values behind the slots: display rule, bytes kept, encodings,
// orientation marks.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "FileSizeLimit.h"
#include "PhotoFixtures.h"
#include "core/archive/CompanionFiles.h"
#include "core/archive/ProgramFolder.h"
#include "core/photos/Photo.h"

using namespace PhotoFixtures;
using CompanionFiles::CopyResult;

Q_DECLARE_METATYPE(CompanionFiles::Photo)
Q_DECLARE_METATYPE(CompanionFiles::CopyResult)

class TestCompanion : public QObject {
    Q_OBJECT

    QTemporaryDir* scratch = nullptr;

    QString program() const { return ProgramFolder::path(); }

private slots:
    void init()
    {
        scratch = new QTemporaryDir;
        QVERIFY(scratch->isValid());
        ProgramFolder::setOverride(scratch->filePath(QStringLiteral("Miniarca")));
        QVERIFY(QDir().mkpath(program()));
    }

    void cleanup()
    {
        ProgramFolder::setOverride({});
        delete scratch;
    }

    // ---- names and folders ---------------------------------------------------

    void photoNames_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<qint32>("number");
        QTest::addColumn<CompanionFiles::Photo>("which");
        QTest::addColumn<QString>("expected");
        using CompanionFiles::Photo;
        QTest::newRow("record 12") << "Ferrovie" << qint32(12) << Photo::A << "Ferrovie_Foto_A_12.jpg";
        QTest::newRow("photo B") << "Ferrovie" << qint32(12) << Photo::B << "Ferrovie_Foto_B_12.jpg";
        QTest::newRow("record 1") << "Ferrovie" << qint32(1) << Photo::A << "Ferrovie_Foto_A_1.jpg";
        QTest::newRow("record 10, no leading zeros")
            << "Ferrovie" << qint32(10) << Photo::A << "Ferrovie_Foto_A_10.jpg";
        QTest::newRow("blanks around the archive name")
            << "  Ferrovie \t" << qint32(3) << Photo::B << "Ferrovie_Foto_B_3.jpg";
        QTest::newRow("blanks inside are kept")
            << " Auto d'epoca " << qint32(2) << Photo::A << "Auto d'epoca_Foto_A_2.jpg";
    }

    void photoNames()
    {
        QFETCH(QString, archive);
        QFETCH(qint32, number);
        QFETCH(CompanionFiles::Photo, which);
        QFETCH(QString, expected);
        QCOMPARE(CompanionFiles::photoPath(which, archive, number),
                 program() + QStringLiteral("Foto_Modellini/") + expected);
    }

    void folders()
    {
        QCOMPARE(CompanionFiles::photoFolder(), program() + QStringLiteral("Foto_Modellini"));
        QCOMPARE(CompanionFiles::attachmentsFolder(), program() + QStringLiteral("Documenti_Allegati/"));
        QCOMPARE(CompanionFiles::attachmentPath(QStringLiteral("  manuale d'uso.pdf \t")),
                 program() + QStringLiteral("Documenti_Allegati/manuale d'uso.pdf"));
    }

    void ensurePhotoFolderCreatesParentsAndKeepsContents()
    {
        ProgramFolder::setOverride(scratch->filePath(QStringLiteral("chiavetta/Programmi/Miniarca")));
        QVERIFY(!QFileInfo::exists(program()));
        QVERIFY(CompanionFiles::ensurePhotoFolder());
        QVERIFY(QFileInfo(CompanionFiles::photoFolder()).isDir());

        const QString kept = CompanionFiles::photoFolder() + QStringLiteral("/Treni_Foto_A_1.jpg");
        QVERIFY(writeFile(kept, "photo"));
        QVERIFY(CompanionFiles::ensurePhotoFolder());
        QCOMPARE(readFile(kept), QByteArray("photo"));
    }

    void ensurePhotoFolderFailsWhereAFileIsInTheWay()
    {
        QVERIFY(writeFile(program() + QStringLiteral("Foto_Modellini"), "not a folder"));
        QVERIFY(!CompanionFiles::ensurePhotoFolder());
    }

    // ---- attachment copies ---------------------------------------------------

    void attachmentCopy_data()
    {
        QTest::addColumn<bool>("existing");    // a file of that name is already there
        QTest::addColumn<bool>("pickTheCopy"); // the user picked the copy itself
        QTest::addColumn<bool>("answerYes");
        QTest::addColumn<CompanionFiles::CopyResult>("result");
        QTest::addColumn<QByteArray>("content"); // of the copy afterwards
        QTest::addColumn<bool>("asked");

        QTest::newRow("new file, folder created")
            << false << false << true << CopyResult::Copied << QByteArray("nuovo") << false;
        QTest::newRow("existing, Yes replaces")
            << true << false << true << CopyResult::Copied << QByteArray("nuovo") << true;
        QTest::newRow("existing, No keeps")
            << true << false << false << CopyResult::Declined << QByteArray("vecchio") << true;
        QTest::newRow("the copy itself, Yes leaves it intact")
            << true << true << true << CopyResult::SameFile << QByteArray("vecchio") << true;
        QTest::newRow("the copy itself, No")
            << true << true << false << CopyResult::Declined << QByteArray("vecchio") << true;
    }

    void attachmentCopy()
    {
        QFETCH(bool, existing);
        QFETCH(bool, pickTheCopy);
        QFETCH(bool, answerYes);
        QFETCH(CompanionFiles::CopyResult, result);
        QFETCH(QByteArray, content);
        QFETCH(bool, asked);

        const QString copy = CompanionFiles::attachmentsFolder() + QStringLiteral("ricevuta.pdf");
        if (existing) {
            QVERIFY(QDir().mkpath(CompanionFiles::attachmentsFolder()));
            QVERIFY(writeFile(copy, "vecchio"));
        }
        QVERIFY(QDir().mkpath(scratch->filePath(QStringLiteral("Documenti"))));
        const QString picked = pickTheCopy ? copy : scratch->filePath(QStringLiteral("Documenti/ricevuta.pdf"));
        if (!pickTheCopy)
            QVERIFY(writeFile(picked, "nuovo"));

        QStringList questions;
        const CopyResult got = CompanionFiles::copyIntoAttachments(picked, QStringLiteral("  ricevuta.pdf "),
                                                                   [&](const QString& replaced) {
                                                                       questions << replaced;
                                                                       return answerYes;
                                                                   });
        QCOMPARE(got, result);
        QCOMPARE(readFile(copy), content);
        QCOMPARE(QDir(CompanionFiles::attachmentsFolder()).entryList(QDir::Files),
                 QStringList{QStringLiteral("ricevuta.pdf")});
        if (asked) {
            // Asked once, about the file that would be replaced; the window
            // chooses the words.
            QCOMPARE(questions, QStringList{copy});
        } else {
            QVERIFY(questions.isEmpty());
        }
    }

    void attachmentCopyFailures()
    {
        bool asked = false;
        auto yes = [&](const QString&) { return asked = true; };

        // The source vanished between picking and copying: the copy that was
        // there must survive the attempt.
        QVERIFY(QDir().mkpath(CompanionFiles::attachmentsFolder()));
        const QString copy = CompanionFiles::attachmentsFolder() + QStringLiteral("foto.jpg");
        QVERIFY(writeFile(copy, "vecchio"));
        QCOMPARE(CompanionFiles::copyIntoAttachments(scratch->filePath(QStringLiteral("sparito.jpg")),
                                                     QStringLiteral("foto.jpg"), yes),
                 CopyResult::Failed);
        QVERIFY(asked);
        QCOMPARE(readFile(copy), QByteArray("vecchio"));
        QCOMPARE(QDir(CompanionFiles::attachmentsFolder()).entryList(QDir::Files),
                 QStringList{QStringLiteral("foto.jpg")});

        // The folder cannot be made: nothing asked, nothing copied.
        asked = false;
        QVERIFY(QDir(CompanionFiles::attachmentsFolder()).removeRecursively());
        QVERIFY(writeFile(program() + QStringLiteral("Documenti_Allegati"), "not a folder"));
        const QString source = scratch->filePath(QStringLiteral("foto.jpg"));
        QVERIFY(writeFile(source, "nuovo"));
        QCOMPARE(CompanionFiles::copyIntoAttachments(source, QStringLiteral("foto.jpg"), yes), CopyResult::Failed);
        QVERIFY(!asked);
    }

    // A write the file system cuts short (a full disk) leaves the file that
    // was there as it was: no cut photo or copy takes its place.
    void cutWritesReplaceNothing_data()
    {
        QTest::addColumn<QString>("write");
        QTest::newRow("photo file") << "jpeg";
        QTest::newRow("photo saved as bitmap") << "bitmap";
        QTest::newRow("attachment copy") << "attachment";
    }

    void cutWritesReplaceNothing()
    {
        QFETCH(QString, write);
        const TPhoto photo = TPhoto::fromImage(halves(QSize(64, 48)));
        const QByteArray attachment(5000, 'x');
        const QString source = scratch->filePath(QStringLiteral("ricevuta.pdf"));
        QVERIFY(writeFile(source, attachment));
        QVERIFY(QDir().mkpath(CompanionFiles::attachmentsFolder()));
        const QString target = write == QLatin1String("jpeg") ? program() + QStringLiteral("Treni_Foto_A_1.jpg")
                               : write == QLatin1String("bitmap")
                                   ? program() + QStringLiteral("Copia.bmp")
                                   : CompanionFiles::attachmentsFolder() + QStringLiteral("ricevuta.pdf");
        QVERIFY(writeFile(target, "vecchio"));
        const QString folder = QFileInfo(target).path();
        const QStringList before = QDir(folder).entryList(QDir::Files | QDir::Hidden);

        bool written = true;
        {
            const FileSizeLimit limit(100);
            if (write == QLatin1String("jpeg"))
                written = photo.writeJpeg(target);
            else if (write == QLatin1String("bitmap"))
                written = photo.saveAs(target);
            else
                written = CompanionFiles::copyIntoAttachments(source, QStringLiteral("ricevuta.pdf"),
                                                              [](const QString&) { return true; })
                          == CopyResult::Copied;
        }
        QVERIFY(!written);
        QCOMPARE(readFile(target), QByteArray("vecchio"));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), before);
    }

    // ---- display rule --------------------------------------------------------

    void displayRule_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("area");
        QTest::addColumn<QRect>("drawn");
        const QSize slot(366, 260);
        QTest::newRow("4000x3000 in the slot") << QSize(4000, 3000) << slot << QRect(9, 0, 347, 260);
        QTest::newRow("tall 3000x4000") << QSize(3000, 4000) << slot << QRect(85, 0, 195, 260);
        QTest::newRow("wide panorama") << QSize(6000, 1000) << slot << QRect(0, 99, 366, 61);
        QTest::newRow("200x100 at its own size") << QSize(200, 100) << slot << QRect(83, 80, 200, 100);
        QTest::newRow("exactly the slot") << slot << slot << QRect(0, 0, 366, 260);
        QTest::newRow("too wide by one pixel") << QSize(367, 100) << slot << QRect(0, 80, 366, 100);
        QTest::newRow("a thread of a picture stays visible") << QSize(1, 10000) << slot << QRect(182, 0, 1, 260);
        QTest::newRow("zoom on a 1920x1080 screen")
            << QSize(4000, 3000) << QSize(1860, 990) << QRect(270, 0, 1320, 990);
        QTest::newRow("placeholder in the zoom") << slot << QSize(1860, 990) << QRect(747, 365, 366, 260);
        QTest::newRow("no picture") << QSize() << slot << QRect();
    }

    void displayRule()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, area);
        QFETCH(QRect, drawn);
        QCOMPARE(displayRect(picture, area), drawn);
    }

    void decodeSizeFollowsTheScreen()
    {
        QCOMPARE(displayDecodeSize(QSize(4000, 3000), QSize(366, 260), 1.0), QSize(347, 260));
        QCOMPARE(displayDecodeSize(QSize(4000, 3000), QSize(366, 260), 2.0), QSize(694, 520));
        // Never more than the picture has.
        QCOMPARE(displayDecodeSize(QSize(400, 300), QSize(366, 260), 2.0), QSize(400, 300));
    }

    // A picture one pixel wide still shrinks in its other side: a view that
    // got the whole thread back would decode it again on every repaint.
    void threadOfAPictureDecodesAtItsDrawnSize_data()
    {
        QTest::addColumn<QByteArray>("format"); // empty: pixels with no file
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<QSize>("decoded");
        QTest::newRow("bitmap") << QByteArray() << 1.0 << QSize(1, 260);
        QTest::newRow("jpeg") << QByteArray("jpg") << 1.0 << QSize(1, 260);
        QTest::newRow("jpeg on a dense screen") << QByteArray("jpg") << 2.0 << QSize(1, 520);
    }

    void threadOfAPictureDecodesAtItsDrawnSize()
    {
        QFETCH(QByteArray, format);
        QFETCH(qreal, ratio);
        QFETCH(QSize, decoded);
        const QImage thread = halves(QSize(1, 10000));
        const TPhoto photo = format.isEmpty() ? TPhoto::fromImage(thread) : TPhoto::fromBytes(encoded(thread, format));
        QCOMPARE(photo.size(), QSize(1, 10000));
        const QSize wanted = displayDecodeSize(photo.size(), QSize(366, 260), ratio);
        QCOMPARE(wanted, decoded);
        QCOMPARE(photo.decode(wanted).size(), decoded);
    }

    // ---- photos --------------------------------------------------------------

    void jpegIsWrittenBackByteForByte()
    {
        const QString source = scratch->filePath(QStringLiteral("telefono.jpg"));
        QVERIFY(writeFile(source, encoded(halves(QSize(640, 480)), "jpg", 80)));
        TPhoto::Counters& counters = TPhoto::counters();
        const int decodes = counters.decodes;
        const int encodes = counters.encodes;

        const TPhoto photo = TPhoto::fromFile(source);
        QVERIFY(photo.isJpeg());
        QCOMPARE(photo.size(), QSize(640, 480));
        const QString stored = program() + QStringLiteral("Treni_Foto_A_1.jpg");
        QVERIFY(photo.writeJpeg(stored));
        QVERIFY(photo.saveAs(program() + QStringLiteral("Copia.JPG")));
        QCOMPARE(counters.decodes - decodes, 0);
        QCOMPARE(counters.encodes - encodes, 0);
        QCOMPARE(readFile(stored), readFile(source));
        QCOMPARE(readFile(program() + QStringLiteral("Copia.JPG")), readFile(source));
        // Read back and written again: still the same bytes.
        QVERIFY(TPhoto::fromFile(stored).writeJpeg(stored));
        QCOMPARE(readFile(stored), readFile(source));
    }

    void bitmapIsEncodedOnce()
    {
        const QString source = scratch->filePath(QStringLiteral("scanner.bmp"));
        QVERIFY(writeFile(source, encoded(halves(QSize(300, 200)), "bmp")));
        const TPhoto photo = TPhoto::fromFile(source);
        QVERIFY(!photo.isNull());
        QVERIFY(!photo.isJpeg());

        const int encodes = TPhoto::counters().encodes;
        const QString first = program() + QStringLiteral("Treni_Foto_A_1.jpg");
        const QString second = program() + QStringLiteral("Treni_Foto_A_2.jpg");
        QVERIFY(photo.writeJpeg(first));
        const TPhoto copy = photo; // the slot's photo copied (zoom, report) shares the encoding
        QVERIFY(copy.writeJpeg(second));
        QCOMPARE(TPhoto::counters().encodes - encodes, 1);
        QCOMPARE(formatOf(first), QByteArray("jpeg"));
        QCOMPARE(sizeOf(first), QSize(300, 200));
        QCOMPARE(readFile(second), readFile(first));
        const QImage back(first);
        QVERIFY(near(back.pixel(10, 100), Qt::red, 12));
        QVERIFY(near(back.pixel(290, 100), Qt::blue, 12));
    }

    // JPEG allows at most 65500 pixels a side; a bigger picture (a stitched
    // panorama, or a bitmap that claims millions of rows in a few bytes) must
    // still reach its file, reduced to fit, rather than silently not at all.
    void pictureBeyondJpegSidesIsReducedToFit_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("written");
        QTest::newRow("panorama") << QSize(70000, 20) << QSize(65500, 18);
        QTest::newRow("one column, tall") << QSize(1, 196640) << QSize(1, 65500);
        QTest::newRow("at the limit, untouched") << QSize(65500, 2) << QSize(65500, 2);
    }

    void pictureBeyondJpegSidesIsReducedToFit()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, written);
        QImage image(picture, QImage::Format_RGB32);
        image.fill(Qt::red);
        const QString path = program() + QStringLiteral("Treni_Foto_A_9.jpg");
        QVERIFY(TPhoto::fromImage(image).writeJpeg(path));
        QCOMPARE(formatOf(path), QByteArray("jpeg"));
        QCOMPARE(sizeOf(path), written);
    }

    void transparencyLiesOnWhite()
    {
        QImage clear(20, 10, QImage::Format_ARGB32);
        clear.fill(Qt::transparent);
        const QString path = program() + QStringLiteral("trasparente.jpg");
        QVERIFY(TPhoto::fromImage(clear).writeJpeg(path));
        QVERIFY(near(QImage(path).pixel(5, 5), Qt::white, 6));
    }

    void orientationMark_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QSize>("upright");
        QTest::addColumn<QPoint>("redAt"); // a point of the red half, in the upright picture
        QTest::newRow("no turn") << 1 << QSize(40, 20) << QPoint(5, 10);
        QTest::newRow("turn right (phone held upright)") << 6 << QSize(20, 40) << QPoint(10, 5);
        QTest::newRow("turn left") << 8 << QSize(20, 40) << QPoint(10, 34);
        QTest::newRow("upside down") << 3 << QSize(40, 20) << QPoint(34, 10);
    }

    void orientationMark()
    {
        QFETCH(int, orientation);
        QFETCH(QSize, upright);
        QFETCH(QPoint, redAt);
        const QString source = scratch->filePath(QStringLiteral("girata.jpg"));
        QVERIFY(writeFile(source, turnedJpeg(halves(QSize(40, 20)), quint16(orientation))));

        const TPhoto photo = TPhoto::fromFile(source);
        QCOMPARE(photo.size(), upright);
        const QImage whole = photo.image();
        QCOMPARE(whole.size(), upright);
        QVERIFY(near(whole.pixel(redAt), Qt::red));
        const QPoint blueAt(upright.width() - 1 - redAt.x(), upright.height() - 1 - redAt.y());
        QVERIFY(near(whole.pixel(blueAt), Qt::blue));

        // Reduced for a view: upright too.
        const QImage small = photo.decode(upright / 2);
        QCOMPARE(small.size(), upright / 2);
        QVERIFY(near(small.pixel(redAt / 2), Qt::red, 60));

        // The stored photo keeps its bytes, mark included, and so reads upright again.
        const QString stored = program() + QStringLiteral("Treni_Foto_B_4.jpg");
        QVERIFY(photo.writeJpeg(stored));
        QCOMPARE(readFile(stored), readFile(source));
        QCOMPARE(TPhoto::fromFile(stored).size(), upright);

        // A bitmap has no mark: its pixels are written upright.
        const QString bitmap = program() + QStringLiteral("girata.bmp");
        QVERIFY(photo.saveAs(bitmap));
        const QImage written(bitmap);
        QCOMPARE(written.size(), upright);
        QVERIFY(near(written.pixel(redAt), Qt::red));
    }

    void saveAsFollowsTheExtension_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("format"); // empty: nothing may be written
        QTest::newRow("bitmap") << "foto.bmp" << QByteArray("bmp");
        QTest::newRow("bitmap in capitals") << "FOTO.BMP" << QByteArray("bmp");
        QTest::newRow("jpeg") << "foto.jpeg" << QByteArray("jpeg");
        QTest::newRow("png") << "foto.png" << QByteArray("png");
        QTest::newRow("no image format") << "foto.txt" << QByteArray();
        QTest::newRow("no extension at all") << "foto" << QByteArray();
        QTest::newRow("a folder that is a file") << "file/foto.jpg" << QByteArray();
    }

    void saveAsFollowsTheExtension()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, format);
        QVERIFY(writeFile(program() + QStringLiteral("file"), "in the way"));
        const QString path = program() + name;
        const TPhoto photo = TPhoto::fromBytes(encoded(halves(QSize(64, 48)), "jpg"));
        QCOMPARE(photo.saveAs(path), !format.isEmpty());
        if (format.isEmpty()) {
            QVERIFY(!QFileInfo(path).isFile());
        } else {
            QCOMPARE(formatOf(path), format);
            QCOMPARE(sizeOf(path), QSize(64, 48));
        }
    }

    void unreadableFilesGiveNoPhoto_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("text") << QByteArray("Elenco dei modellini\n");
        QTest::newRow("start of a JPEG and nothing more") << QByteArray("\xFF\xD8\xFF\xE0", 4);
    }

    void unreadableFilesGiveNoPhoto()
    {
        QFETCH(QByteArray, content);
        const QString path = scratch->filePath(QStringLiteral("rotto.jpg"));
        if (!content.isEmpty())
            QVERIFY(writeFile(path, content));
        const TPhoto photo = TPhoto::fromFile(path);
        QVERIFY(photo.isNull());
        QVERIFY(photo.decode(QSize(10, 10)).isNull());
        QVERIFY(!photo.writeJpeg(program() + QStringLiteral("vuota.jpg")));
        QVERIFY(!QFileInfo::exists(program() + QStringLiteral("vuota.jpg")));
    }
};

QTEST_GUILESS_MAIN(TestCompanion)
#include "test_companion.moc"
