// Opens the record sheet on a made-up collection, to look at it: three cards
// in a scratch program folder, the first two with both photos, and shows the
// card given as the first argument (default 1). The second argument is a number
// of milliseconds after which the sheet moves on with "Avanti" (0: never); the
// program quits after the third (seconds, default 10), so that a screenshot can
// be taken meanwhile.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>

#include "core/archive/Archivio.h"
#include "core/archive/CompanionFiles.h"
#include "core/archive/ProgramFolder.h"
#include "gui/app/WindowSet.h"
#include "gui/sheet/frmCartoline.h"
#include "gui/shell/frmAvvio.h"

namespace {

QImage photo(int seed, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(image.rect(), QColor::fromHsv((seed * 47) % 360, 60, 220));
    p.setBrush(QColor::fromHsv((seed * 83 + 10) % 360, 220, 200));
    p.drawRoundedRect(QRect(width / 6, height / 3, width * 2 / 3, height / 3), width / 20, width / 20);
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int card = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1;
    const int nextAfter = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 0;
    const int seconds = argc > 3 ? QString::fromLocal8Bit(argv[3]).toInt() : 10;
    QTemporaryDir folder;
    ProgramFolder::setOverride(folder.path());
    const QString name = QStringLiteral("Automobili");
    const QString path = ProgramFolder::path() + name + QStringLiteral(".dbm");
    const char* names[] = {"Ferrari 250 GTO", "Lancia Stratos", "Fiat 500 Topolino"};
    {
        TArchivio archive;
        archive.ApriArchivio(path);
        for (int i = 1; i <= 3; ++i) {
            TScheda scheda;
            scheda.ScriviCampo(Campo::Nome, QString::fromUtf8(names[i - 1]));
            scheda.ScriviCampo(Campo::Produttore, QStringLiteral("Marca %1").arg(i));
            scheda.ScriviCampo(Campo::Scala, QStringLiteral("1:43"));
            archive.AccodaScheda(scheda);
        }
    }
    CompanionFiles::ensurePhotoFolder();
    using CompanionFiles::Photo;
    for (int i = 1; i <= 2; ++i) {
        photo(i, 4000, 3000).save(CompanionFiles::photoPath(Photo::A, name, i), "jpg", 90);
        photo(i + 5, 3000, 4000).save(CompanionFiles::photoPath(Photo::B, name, i), "jpg", 90);
    }

    TWindowSet windows;
    windows.onTerminate = [] {};
    windows.frmCartoline->openArchive(path, name);
    TWindowSet::handOver(windows.frmAvvio, windows.frmCartoline);
    QTimer::singleShot(100, [&] {
        windows.frmCartoline->cmdPrimoClick();
        for (int i = 1; i < card; ++i)
            windows.frmCartoline->cmdAvantiClick();
    });
    if (nextAfter > 0)
        QTimer::singleShot(nextAfter, [&] { windows.frmCartoline->cmdAvantiClick(); });
    QTimer::singleShot(seconds * 1000, [] { QApplication::exit(0); });
    const int code = app.exec();
    ProgramFolder::setOverride({});
    return code;
}
