// Opens the gallery on a made-up collection, to look at it: 60 cards in a
// scratch program folder, most with a 12-megapixel photo A, some with photo
// B only, some without photos, one with a photo that cannot be read. Shows
// the record sheet and the gallery over it, and quits after `seconds`
// (first argument, default 20) so that a screenshot can be taken meanwhile.
// A second argument, a tile side, sets the size control.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>

#include <unistd.h>

#include "core/archive/Archivio.h"
#include "core/archive/CompanionFiles.h"
#include "core/archive/ProgramFolder.h"
#include "gui/app/WindowSet.h"
#include "gui/output/frmGalleria.h"
#include "gui/sheet/frmCartoline.h"
#include "gui/shell/frmAvvio.h"

namespace {

// A model on a plain ground, lit from above, at 4000x3000.
QImage photo(int seed)
{
    QImage image(4000, 3000, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient ground(0, 0, 0, 3000);
    ground.setColorAt(0, QColor::fromHsv((seed * 47) % 360, 40, 235));
    ground.setColorAt(1, QColor::fromHsv((seed * 47) % 360, 90, 120));
    p.fillRect(image.rect(), ground);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromHsv((seed * 83 + 10) % 360, 220, 200));
    p.drawRoundedRect(QRect(700, 1200, 2600, 900), 300, 300);
    p.drawRoundedRect(QRect(1300, 800, 1400, 600), 200, 200);
    p.setBrush(QColor(30, 30, 30));
    p.drawEllipse(QRect(1000, 1800, 600, 600));
    p.drawEllipse(QRect(2400, 1800, 600, 600));
    p.setPen(QPen(Qt::white, 40));
    p.setFont(QFont(QStringLiteral("DejaVu Sans"), 200, QFont::Bold));
    p.drawText(QRect(0, 100, 4000, 500), Qt::AlignCenter, QStringLiteral("Modello %1").arg(seed));
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 20;
    const int side = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 0;
    QTemporaryDir folder;
    ProgramFolder::setOverride(folder.path());
    const QString name = QStringLiteral("Automobili");
    const QString path = ProgramFolder::path() + name + QStringLiteral(".dbm");
    const char* names[] = {"Ferrari 250 GTO",   "Lancia Stratos",  "Fiat 500 Topolino",
                           "Alfa Romeo Giulia", "Maserati Bora",   "Lamborghini Miura",
                           "Vespa 125",         "Bugatti Type 35", "Porsche 911 Carrera RS 2.7 Le Mans",
                           "Citroën DS 19"};
    {
        TArchivio archive;
        archive.ApriArchivio(path);
        for (int i = 1; i <= 60; ++i) {
            TScheda card;
            card.ScriviCampo(Campo::Nome, QString::fromUtf8(names[(i - 1) % 10]));
            archive.AccodaScheda(card);
        }
    }
    CompanionFiles::ensurePhotoFolder();
    using CompanionFiles::Photo;
    for (int i = 1; i <= 6; ++i)
        photo(i).save(CompanionFiles::photoPath(Photo::A, name, i), "jpg", 92);
    for (int i = 7; i <= 60; ++i) {
        if (i % 9 == 0)
            continue; // no photo
        const Photo which = i % 7 == 0 ? Photo::B : Photo::A;
        if (::link(QFile::encodeName(CompanionFiles::photoPath(Photo::A, name, 1 + i % 6)).constData(),
                   QFile::encodeName(CompanionFiles::photoPath(which, name, i)).constData())
            != 0)
            return 1;
    }
    // Its own file, not the picture the links share.
    QFile::remove(CompanionFiles::photoPath(Photo::A, name, 5));
    QFile broken(CompanionFiles::photoPath(Photo::A, name, 5));
    if (broken.open(QIODevice::WriteOnly))
        broken.write("non una foto");

    TWindowSet windows;
    windows.onTerminate = [] {};
    windows.frmCartoline->openArchive(path, name);
    TWindowSet::handOver(windows.frmAvvio, windows.frmCartoline);
    QTimer::singleShot(300, [&] {
        if (side > 0)
            QTimer::singleShot(200, [&] {
                if (auto* g = windows.frmCartoline->findChild<TfrmGalleria*>())
                    g->findChild<QSlider*>(QStringLiteral("sldDimensione"))->setValue(side);
            });
        windows.frmCartoline->cmdGalleriaClick();
    });
    QTimer::singleShot(seconds * 1000, [] { QApplication::exit(0); });
    QTimer::singleShot(seconds * 1000 + 100, [&] {
        if (auto* g = windows.frmCartoline->findChild<TfrmGalleria*>())
            g->close();
    });
    const int code = app.exec();
    ProgramFolder::setOverride({});
    return code;
}
