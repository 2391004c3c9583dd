// The gallery without its window: the thumbnails kept beside the photos, the
// tile of a card, the model of the tiles and its filter.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "ArchiveFixtures.h"
#include "FilePermissions.h"
#include "PhotoFixtures.h"
#include "core/archive/Catalogue.h"
#include "core/archive/CompanionFiles.h"
#include "core/archive/ProgramFolder.h"
#include "core/gallery/GalleryModel.h"
#include "core/gallery/ThumbnailCache.h"
#include "core/gallery/ThumbnailLoader.h"
#include "core/photos/Photo.h"

using namespace PhotoFixtures;
using CompanionFiles::Photo;
using Origin = ThumbnailCache::Origin;
using State = TGalleryModel::State;

namespace {

const QString kArchive = QStringLiteral("Navi");

TScheda card(const QString& name, const QString& type = {}, const QString& maker = {})
{
    TScheda s;
    s.ScriviCampo(Campo::Nome, name);
    s.ScriviCampo(Campo::Tipologia, type);
    s.ScriviCampo(Campo::Produttore, maker);
    return s;
}

QImage filled(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QRgb centre(const QImage& image)
{
    return image.pixel(image.width() / 2, image.height() / 2);
}

} // namespace

class TestGalleryCache : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> scratch;
    const QSize box = ThumbnailCache::pictureBox(ThumbnailCache::kLargestTile);

    ThumbnailCache::Result pictureOf(int record, QSize madeFor, QSize shown)
    {
        return ThumbnailCache::picture(CompanionFiles::photoPath(Photo::A, kArchive, record),
                                       CompanionFiles::thumbnailPath(Photo::A, kArchive, record), madeFor, shown);
    }
    ThumbnailCache::Result pictureOf(int record) { return pictureOf(record, box, box); }

    QString archivePath() const { return Catalogue::archivePath(kArchive); }

private slots:
    void init()
    {
        scratch = std::make_unique<QTemporaryDir>();
        QVERIFY(scratch->isValid());
        ProgramFolder::setOverride(scratch->filePath(QStringLiteral("Miniarca")));
        QVERIFY(QDir().mkpath(ProgramFolder::path()));
        QVERIFY(CompanionFiles::ensurePhotoFolder());
        ThumbnailCache::clearMemory();
    }

    void cleanup()
    {
        TThumbnailLoader::waitUntilIdle();
        QCoreApplication::processEvents();
        ProgramFolder::setOverride({});
        scratch.reset();
    }

    // ---- the cache -----------------------------------------------------------

    void aThumbnailIsMadeOnceThenRead()
    {
        QVERIFY(writeCardPhoto(Photo::A, kArchive, 1, encoded(halves(QSize(1600, 1200)), "jpg")));
        const int decodes = TPhoto::counters().decodes;

        const ThumbnailCache::Result made = pictureOf(1);
        QCOMPARE(made.origin, Origin::Made);
        QCOMPARE(made.picture.size(), QSize(384, 288));
        const QString thumbnail = CompanionFiles::thumbnailPath(Photo::A, kArchive, 1);
        QCOMPARE(thumbnail, ProgramFolder::path() + QStringLiteral("Foto_Modellini/.miniature/Navi/A_1.jpg"));
        QVERIFY(QFileInfo(thumbnail).size() > 0);
        QCOMPARE(formatOf(thumbnail), QByteArray("jpeg"));
        QCOMPARE(TPhoto::counters().decodes, decodes + 1);

        // Read back, and reduced for a smaller tile, without the photo.
        const ThumbnailCache::Result read = pictureOf(1, box, ThumbnailCache::pictureBox(96));
        QCOMPARE(read.origin, Origin::Read);
        QCOMPARE(read.picture.size(), QSize(96, 72));
        QVERIFY(near(read.picture.pixel(10, 36), Qt::red));
        QVERIFY(near(read.picture.pixel(86, 36), Qt::blue));
        QCOMPARE(TPhoto::counters().decodes, decodes + 1);
    }

    void aTurnedPhotoGivesAnUprightThumbnail()
    {
        // Stored lying, red on the left; the mark says turn right: red on top.
        QVERIFY(writeCardPhoto(Photo::A, kArchive, 1, turnedJpeg(halves(QSize(800, 400)), 6)));
        const ThumbnailCache::Result made = pictureOf(1);
        QCOMPARE(made.origin, Origin::Made);
        QCOMPARE(made.picture.size(), QSize(144, 288));
        QVERIFY(near(made.picture.pixel(72, 20), Qt::red));
        QVERIFY(near(made.picture.pixel(72, 268), Qt::blue));
    }

    void aThumbnailIsMadeAgainWhen_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("the photo has another length") << QStringLiteral("length");
        QTest::newRow("the photo has the same length and a newer time") << QStringLiteral("time");
        QTest::newRow("the thumbnail is damaged") << QStringLiteral("damaged");
        QTest::newRow("the thumbnail is a foreign JPEG") << QStringLiteral("foreign");
        QTest::newRow("the thumbnail is not a picture") << QStringLiteral("garbage");
        QTest::newRow("the thumbnail was made for a smaller tile") << QStringLiteral("smaller");
    }

    void aThumbnailIsMadeAgainWhen()
    {
        QFETCH(QString, change);
        const QString photo = CompanionFiles::photoPath(Photo::A, kArchive, 1);
        const QString thumbnail = CompanionFiles::thumbnailPath(Photo::A, kArchive, 1);
        QVERIFY(writeFile(photo, encoded(filled(QSize(800, 600), Qt::red), "jpg")));
        const QSize first = change == QLatin1String("smaller") ? QSize(200, 150) : box;
        QCOMPARE(pictureOf(1, first, first).origin, Origin::Made);
        QCOMPARE(pictureOf(1, first, first).origin, Origin::Read);

        QColor expected = Qt::red;
        if (change == QLatin1String("length")) {
            QVERIFY(writeFile(photo, encoded(filled(QSize(640, 480), Qt::green), "jpg")));
            expected = Qt::green;
        } else if (change == QLatin1String("time")) {
            const QByteArray before = readFile(photo);
            QByteArray after = encoded(filled(QSize(800, 600), Qt::blue), "jpg");
            // Same length: padded or cut behind the end marker, where no decoder looks.
            after = after.size() < before.size() ? after + QByteArray(before.size() - after.size(), '\0')
                                                 : after.left(before.size());
            QFile file(photo);
            const QDateTime time = QFileInfo(photo).lastModified();
            QVERIFY(file.open(QIODevice::ReadWrite));
            QCOMPARE(file.write(after), before.size());
            QVERIFY(file.setFileTime(time.addSecs(5), QFileDevice::FileModificationTime));
            file.close();
            QCOMPARE(QFileInfo(photo).size(), qint64(before.size()));
            if (!near(centre(TPhoto::fromFile(photo).image()), Qt::blue))
                QSKIP("the cut photo does not decode blue here");
            expected = Qt::blue;
        } else if (change == QLatin1String("damaged")) {
            QVERIFY(writeFile(thumbnail, readFile(thumbnail).left(200)));
        } else if (change == QLatin1String("foreign")) {
            QVERIFY(writeFile(thumbnail, encoded(filled(QSize(384, 288), Qt::yellow), "jpg")));
        } else if (change == QLatin1String("garbage")) {
            QVERIFY(writeFile(thumbnail, QByteArray("non una foto")));
        }

        const ThumbnailCache::Result again = pictureOf(1);
        QCOMPARE(again.origin, Origin::Made);
        QVERIFY(near(centre(again.picture), expected));
        QCOMPARE(pictureOf(1).origin, Origin::Read);
    }

    void aReadOnlyPhotoFolderStillShowsEveryTile()
    {
        for (int n = 1; n <= 3; ++n)
            QVERIFY(writeCardPhoto(Photo::A, kArchive, n, encoded(filled(QSize(800, 600), Qt::green), "jpg")));
        const QString folder = CompanionFiles::photoFolder();
        const QFile::Permissions before = QFile::permissions(folder);
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        {
            ObeyFilePermissions obey;
            if (!obey.holds()) {
                QFile::setPermissions(folder, before);
                QSKIP("file permissions cannot be enforced here");
            }
            const int kept = ThumbnailCache::counters().kept;
            const int made = ThumbnailCache::counters().made;
            for (int round = 0; round < 2; ++round) {
                for (int n = 1; n <= 3; ++n) {
                    const TGalleryTile tile = readTile(kArchive, n, box, box);
                    QCOMPARE(tile.kind, TGalleryTile::Kind::Photo);
                    QVERIFY(near(centre(tile.picture), Qt::green));
                }
            }
            // Made once each, then served from memory.
            QCOMPARE(ThumbnailCache::counters().made, made + 3);
            QCOMPARE(ThumbnailCache::counters().kept, kept + 3);
        }
        QVERIFY(QFile::setPermissions(folder, before));
        QVERIFY(!QFileInfo::exists(CompanionFiles::thumbnailFolder()));
    }

    void deletingTheCollectionTakesItsThumbnails()
    {
        const QString other = QStringLiteral("Navi Due");
        for (const QString& archive : {kArchive, other}) {
            QVERIFY(writeCardPhoto(Photo::A, archive, 1, encoded(halves(QSize(400, 300)), "jpg")));
            QCOMPARE(readTile(archive, 1, box, box).kind, TGalleryTile::Kind::Photo);
            QVERIFY(QFileInfo::exists(CompanionFiles::thumbnailPath(Photo::A, archive, 1)));
        }
        QCOMPARE(Catalogue::create(archivePath()), Catalogue::CreateResult::Created);
        QVERIFY(Catalogue::remove(archivePath()));
        QVERIFY(!QFileInfo::exists(CompanionFiles::thumbnailFolder(kArchive)));
        QVERIFY(QFileInfo::exists(CompanionFiles::thumbnailPath(Photo::A, other, 1)));
        // The collector's photos stay, as always.
        QVERIFY(QFileInfo::exists(CompanionFiles::photoPath(Photo::A, kArchive, 1)));
    }

    // ---- the model -----------------------------------------------------------

    void theModelHasOneRowPerCardAndTheRightPictures()
    {
        QList<TScheda> cards = {card(QStringLiteral("Amerigo Vespucci")), card(QStringLiteral("Cutty Sark")),
                                card(QStringLiteral("Titanic")), card(QStringLiteral("Bounty")), TScheda()};
        // A damaged card: a length byte beyond its field's room.
        cards[4].dati()[0] = char(0xFF);
        std::memset(cards[4].dati() + 1, 'X', 120);
        writeRecords(archivePath(), cards);
        QVERIFY(writeCardPhoto(Photo::A, kArchive, 1, encoded(halves(QSize(800, 600)), "jpg")));
        QVERIFY(writeCardPhoto(Photo::B, kArchive, 1, encoded(filled(QSize(800, 600), Qt::yellow), "jpg")));
        QVERIFY(writeCardPhoto(Photo::B, kArchive, 2, encoded(filled(QSize(800, 600), Qt::green), "jpg")));
        QVERIFY(writeCardPhoto(Photo::A, kArchive, 4, QByteArray("non una foto")));
        QVERIFY(writeCardPhoto(Photo::B, kArchive, 4, encoded(filled(QSize(800, 600), Qt::green), "jpg")));

        TGalleryModel model(archivePath(), kArchive, 1.0);
        QVERIFY(model.load());
        QCOMPARE(model.rowCount(), 5);
        QCOMPARE(model.total(), 5);
        QStringList names;
        for (int row = 0; row < 5; ++row) {
            QCOMPARE(model.numberAt(row), row + 1);
            names << model.index(row).data().toString();
        }
        QCOMPARE(names, (QStringList{QStringLiteral("Amerigo Vespucci"), QStringLiteral("Cutty Sark"),
                                     QStringLiteral("Titanic"), QStringLiteral("Bounty"), QString(120, u'X')}));
        for (int row = 0; row < 5; ++row)
            QCOMPARE(model.index(row).data(TGalleryModel::StateRole).value<State>(), State::Waiting);

        model.setTileSide(96);
        model.setVisibleRows(0, 4, 0);
        QTRY_COMPARE(model.waiting(), 0);
        auto state = [&](int row) { return model.index(row).data(TGalleryModel::StateRole).value<State>(); };
        auto picture = [&](int row) { return model.index(row).data(TGalleryModel::PictureRole).value<QImage>(); };
        QCOMPARE(state(0), State::Photo); // photo A, not B
        QVERIFY(near(picture(0).pixel(10, 36), Qt::red));
        QVERIFY(near(picture(0).pixel(86, 36), Qt::blue));
        QCOMPARE(picture(0).size(), QSize(96, 72));
        QCOMPARE(state(1), State::Photo); // photo B where A is missing
        QVERIFY(near(centre(picture(1)), Qt::green));
        QCOMPARE(state(2), State::NoPhoto);
        QVERIFY(picture(2).isNull());
        QCOMPARE(state(3), State::Unreadable); // a photo A that is there but broken is not stood in for
        QCOMPARE(state(4), State::NoPhoto);
    }

    void onlyTheRowsOnScreenAndTheirMarginKeepPictures()
    {
        QList<TScheda> cards(60);
        writeRecords(archivePath(), cards);
        for (int n = 1; n <= 60; ++n)
            QVERIFY(writeCardPhoto(Photo::A, kArchive, n, encoded(filled(QSize(320, 240), Qt::green), "jpg")));
        TGalleryModel model(archivePath(), kArchive, 1.0);
        QVERIFY(model.load());
        model.setVisibleRows(20, 29, 5);
        QTRY_COMPARE(model.keptPictures(), 20);
        QCOMPARE(model.waiting(), 0);
        QVERIFY(model.index(14).data(TGalleryModel::PictureRole).value<QImage>().isNull());
        QVERIFY(!model.index(15).data(TGalleryModel::PictureRole).value<QImage>().isNull());
        // Scrolled on: the far rows are dropped at once.
        model.setVisibleRows(50, 59, 5);
        QVERIFY(model.keptPictures() <= 5);
        QTRY_COMPARE(model.keptPictures(), 15);
        QVERIFY(model.index(25).data(TGalleryModel::PictureRole).value<QImage>().isNull());
    }

    void theFilterFollowsTheFindRule_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<qint32>>("shown");
        const QList<qint32> all{1, 2, 3, 4};
        QTest::newRow("empty: every card") << QString() << all;
        QTest::newRow("blanks only: every card") << QStringLiteral("   ") << all;
        QTest::newRow("in the name or the maker, any case") << QStringLiteral("FERR") << QList<qint32>{1, 4};
        QTest::newRow("in the type") << QStringLiteral("moto") << QList<qint32>{2};
        QTest::newRow("in the maker") << QStringLiteral("Lima") << QList<qint32>{3};
        QTest::newRow("a leading blank is kept") << QStringLiteral(" 125") << QList<qint32>{2};
        QTest::newRow("a trailing blank is kept") << QStringLiteral("125 ") << QList<qint32>{};
        QTest::newRow("an accented capital is not lowered") << QStringLiteral("CITTÀ") << QList<qint32>{};
        QTest::newRow("an accented letter as typed") << QStringLiteral("città") << QList<qint32>{4};
        QTest::newRow("a character the archive cannot hold") << QStringLiteral("\u65E5") << QList<qint32>{};
        QTest::newRow("not in the other fields") << QStringLiteral("Descrizione") << QList<qint32>{};
    }

    void theFilterFollowsTheFindRule()
    {
        QFETCH(QString, text);
        QFETCH(QList<qint32>, shown);
        QList<TScheda> cards = {
            card(QStringLiteral("Ferrari F40"), QStringLiteral("Auto"), QStringLiteral("Bburago")),
            card(QStringLiteral("Vespa 125"), QStringLiteral("Moto"), QStringLiteral("Piaggio")),
            card(QStringLiteral("Frecciarossa"), QStringLiteral("Treno"), QStringLiteral("Lima")),
            card(QStringLiteral("Città del Vaticano"), QStringLiteral("Diorama"), QStringLiteral("Ferrero"))};
        cards[0].ScriviCampo(Campo::Descrizione, QStringLiteral("Descrizione"));
        writeRecords(archivePath(), cards);
        TGalleryModel model(archivePath(), kArchive, 1.0);
        QVERIFY(model.load());
        model.setFilter(text);
        QList<qint32> numbers;
        for (int row = 0; row < model.rowCount(); ++row)
            numbers << model.numberAt(row);
        QCOMPARE(numbers, shown);
        QCOMPARE(model.total(), 4);
        for (int row = 0; row < model.rowCount(); ++row)
            QCOMPARE(model.rowOf(numbers[row]), row);
    }

    void theModelGoesWhileThumbnailsAreMade()
    {
        QList<TScheda> cards(80);
        writeRecords(archivePath(), cards);
        const QByteArray photo = encoded(halves(QSize(2400, 1800)), "jpg");
        for (int n = 1; n <= 80; ++n)
            QVERIFY(writeCardPhoto(Photo::A, kArchive, n, photo));
        const int made = ThumbnailCache::counters().made;
        {
            TGalleryModel model(archivePath(), kArchive, 2.0);
            QVERIFY(model.load());
            model.setVisibleRows(0, 79, 0);
            QTRY_VERIFY(ThumbnailCache::counters().made > made);
        }
        // Readings under way finish on their threads; nothing is handed to
        // the model that is gone.
        TThumbnailLoader::waitUntilIdle();
        QCoreApplication::processEvents();
        QVERIFY(ThumbnailCache::counters().made < made + 80);
    }
};

QTEST_GUILESS_MAIN(TestGalleryCache)
#include "test_gallery_cache.moc"
