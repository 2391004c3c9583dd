// The two photo slots of the record sheet: building them, their buttons, and
// the reading and writing of the record's photo files.
#include "sheet/frmCartoline.h"

#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSvgRenderer>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

#include "sheet/Photo.h"
#include "sheet/frmZoom.h"
#include "storage/CompanionFiles.h"
#include "storage/ProgramFolder.h"
#include "ui/Hints.h"
#include "ui/ImageView.h"
#include "ui/PictureButton.h"

namespace {

constexpr QSize kSlotSize(366, 260);

// ---- placeholder pictures ---------------------------------------------------

// Stand-in for the drawn placeholder when the picture is not in the
// resources: a red model car on a studio backdrop, from the side or the front.
QImage paintedCar(bool front)
{
    QImage image(kSlotSize, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient backdrop(0, 0, 0, kSlotSize.height());
    backdrop.setColorAt(0, QColor(0xE8, 0xEE, 0xF4));
    backdrop.setColorAt(0.62, QColor(0xC9, 0xD3, 0xDD));
    backdrop.setColorAt(0.63, QColor(0xB8, 0xB8, 0xB4));
    backdrop.setColorAt(1, QColor(0xEC, 0xEC, 0xE8));
    p.fillRect(image.rect(), backdrop);

    QRadialGradient shadow(183, 212, 150);
    shadow.setColorAt(0, QColor(0, 0, 0, 110));
    shadow.setColorAt(1, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.drawEllipse(QPointF(183, 212), front ? 110 : 160, 16);

    QLinearGradient paint(0, 90, 0, 205);
    paint.setColorAt(0, QColor(0xF0, 0x40, 0x30));
    paint.setColorAt(0.5, QColor(0xC8, 0x10, 0x10));
    paint.setColorAt(1, QColor(0x70, 0x05, 0x05));
    const QColor glass(0x9C, 0xC4, 0xE4);
    const QColor tyre(0x1E, 0x1E, 0x22);

    if (!front) {
        for (qreal x : {108.0, 262.0}) {
            p.setBrush(tyre);
            p.drawEllipse(QPointF(x, 190), 25, 25);
            p.setBrush(QColor(0xC8, 0xC8, 0xCC));
            p.drawEllipse(QPointF(x, 190), 12, 12);
        }
        QPainterPath body;
        body.moveTo(42, 186);
        body.cubicTo(38, 160, 48, 146, 80, 142);
        body.lineTo(128, 138);
        body.cubicTo(150, 104, 168, 98, 212, 98);
        body.cubicTo(240, 98, 256, 112, 276, 138);
        body.lineTo(312, 144);
        body.cubicTo(330, 148, 332, 170, 328, 186);
        body.lineTo(290, 186);
        body.cubicTo(288, 150, 236, 150, 234, 186);
        body.lineTo(136, 186);
        body.cubicTo(134, 150, 82, 150, 80, 186);
        body.closeSubpath();
        p.setBrush(paint);
        p.drawPath(body);
        QPainterPath windows;
        windows.moveTo(142, 138);
        windows.cubicTo(158, 112, 170, 106, 200, 106);
        windows.lineTo(202, 138);
        windows.closeSubpath();
        windows.moveTo(210, 106);
        windows.cubicTo(236, 106, 248, 116, 264, 138);
        windows.lineTo(212, 138);
        windows.closeSubpath();
        p.setBrush(glass);
        p.drawPath(windows);
        p.setBrush(QColor(0xFF, 0xF3, 0xB0));
        p.drawEllipse(QPointF(318, 156), 7, 5);
        p.setBrush(QColor(0x80, 0x00, 0x00));
        p.drawRect(QRectF(42, 150, 8, 10));
        p.setPen(QPen(QColor(255, 255, 255, 90), 3));
        p.drawLine(QPointF(84, 150), QPointF(300, 152));
    } else {
        p.setBrush(tyre);
        p.drawRoundedRect(QRectF(96, 176, 34, 36), 6, 6);
        p.drawRoundedRect(QRectF(236, 176, 34, 36), 6, 6);
        QPainterPath body;
        body.moveTo(88, 198);
        body.lineTo(86, 150);
        body.cubicTo(88, 132, 104, 126, 126, 124);
        body.lineTo(144, 86);
        body.cubicTo(150, 78, 216, 78, 222, 86);
        body.lineTo(240, 124);
        body.cubicTo(262, 126, 278, 132, 280, 150);
        body.lineTo(278, 198);
        body.closeSubpath();
        p.setBrush(paint);
        p.drawPath(body);
        QPainterPath windscreen;
        windscreen.moveTo(134, 122);
        windscreen.lineTo(150, 90);
        windscreen.lineTo(216, 90);
        windscreen.lineTo(232, 122);
        windscreen.closeSubpath();
        p.setBrush(glass);
        p.drawPath(windscreen);
        p.setBrush(QColor(0x30, 0x30, 0x34));
        p.drawRoundedRect(QRectF(148, 146, 70, 26), 5, 5);
        p.setBrush(QColor(0xFF, 0xF3, 0xB0));
        p.drawEllipse(QPointF(114, 150), 13, 11);
        p.drawEllipse(QPointF(252, 150), 13, 11);
        p.setBrush(QColor(0xD0, 0xD0, 0xD4));
        p.drawRect(QRectF(92, 184, 182, 8));
    }
    return image;
}

QImage placeholderPicture(const QString& resource, bool front)
{
    if (!QFile::exists(resource))
        return paintedCar(front);
    QSvgRenderer renderer(resource);
    if (!renderer.isValid())
        return paintedCar(front);
    QImage image(kSlotSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(QPointF(0, 0), kSlotSize));
    return image;
}

// Rendered once; every placeholder of the program shares it, and with it its
// one JPEG encoding.
const TPhoto& placeholderA()
{
    static const TPhoto photo = TPhoto::fromImage(placeholderPicture(QStringLiteral(":/pictures/car_side.svg"), false));
    return photo;
}

const TPhoto& placeholderB()
{
    static const TPhoto photo =
        TPhoto::fromImage(placeholderPicture(QStringLiteral(":/pictures/car_front.svg"), true));
    return photo;
}

QPixmap badgePicture(int digit)
{
    const QSize size(42, 28);
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QString resource = QStringLiteral(":/icons/badge%1.svg").arg(digit);
    if (QFile::exists(resource)) {
        QSvgRenderer renderer(resource);
        if (renderer.isValid()) {
            renderer.render(&p, QRectF(QPointF(0, 0), size));
            return pixmap;
        }
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1F, 0x5C, 0x99));
    p.drawRoundedRect(QRectF(1, 1, 40, 26), 8, 8);
    p.setPen(Qt::white);
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(18);
    p.setFont(font);
    p.drawText(QRectF(0, 0, 42, 28), Qt::AlignCenter, QString::number(digit));
    return pixmap;
}

// ---- reading photo files ---------------------------------------------------

struct LoadedPhoto {
    TPhoto photo;
    QImage shown; // decoded at the slot's drawing size
};

// Safe on any thread: touches no widget.
LoadedPhoto readForSlot(const QString& path, QSize area, qreal devicePixelRatio)
{
    LoadedPhoto loaded;
    loaded.photo = TPhoto::fromFile(path);
    if (!loaded.photo.isNull())
        loaded.shown = loaded.photo.decode(displayDecodeSize(loaded.photo.size(), area, devicePixelRatio));
    return loaded;
}

QString saveFailedMessage(const QString& path)
{
    return QStringLiteral("Attenzione: non è stato possibile salvare la foto nel file \"%1\".\r\n\r\n"
                          "Il file non è stato scritto: verificare di avere i permessi di scrittura nella "
                          "cartella scelta e di usare l'estensione .jpg oppure .bmp.")
        .arg(path);
}

} // namespace

void TfrmCartoline::buildPhotoSlots(QWidget* p)
{
    dlgFile.mode = Dialogs::FileRequest::Open;
    dlgFile.title = QStringLiteral("Selezionare un file di immagine in formato Jpeg o Bitmap.");
    dlgFile.filter = QStringLiteral("Immagine JPEG (*.jpg; *.jpeg)|*.jpg;*.jpeg|Immagine Bitmap (*.bmp)|*.bmp");
    dlgSalvaFile.mode = Dialogs::FileRequest::Save;
    dlgSalvaFile.title = QStringLiteral("Selezionare la cartella in cui si desidera salvare il file Jpeg.");
    dlgSalvaFile.filter = QStringLiteral("File Jpeg (*.jpg)|*.jpg");
    dlgSalvaFile.initialName = QStringLiteral("Foto.jpg");
    dlgSalvaFile.defaultSuffix = QStringLiteral("jpg");
    dlgSalvaFile.confirmOverwrite = true;

    struct Slot {
        TImageView** image;
        TImageView** placeholder;
        QFrame** frame;
        QLabel** badge;
        TPictureButton** buttons[5];
        const char* suffix;
        const TPhoto& blank;
        int top; // y of the frame
        int digit;
    };
    const Slot photoSlots[] = {
        {&imgFoto, &imgBianco, &shpFoto, &ico01,
         {&btnCaricaFoto, &btnAcquisisciFoto, &btnSalvaFoto, &btnCancFoto, &btnZoomFoto}, "", placeholderA(), 86, 1},
        {&imgFoto02, &imgBianco02, &shpFoto02, &ico02,
         {&btnCaricaFoto02, &btnAcquisisciFoto02, &btnSalvaFoto02, &btnCancFoto02, &btnZoomFoto02}, "02",
         placeholderB(), 360, 2},
    };
    const char* buttonNames[] = {"btnCaricaFoto", "btnAcquisisciFoto", "btnSalvaFoto", "btnCancFoto", "btnZoomFoto"};
    const char* buttonIcons[] = {"folder", "webcam", "floppy", "eraser", "zoom"};

    for (const Slot& s : photoSlots) {
        const QString suffix = QString::fromLatin1(s.suffix);
        auto* frame = new QFrame(p);
        frame->setObjectName(QStringLiteral("shpFoto") + suffix);
        frame->setGeometry(70, s.top, 374, 268);
        frame->setStyleSheet(QStringLiteral("QFrame { background: white; border: none; }"));
        *s.frame = frame;

        // The placeholder twin sits hidden at the slot's place, holding its picture.
        auto* placeholder = new TImageView(s.digit == 1 ? QStringLiteral("imgBianco") : QStringLiteral("imgBianco02"), p);
        placeholder->setGeometry(74, s.top + 4, kSlotSize.width(), kSlotSize.height());
        placeholder->setPhoto(s.blank);
        placeholder->hide();
        *s.placeholder = placeholder;

        auto* image = new TImageView(QStringLiteral("imgFoto") + suffix, p);
        image->setGeometry(74, s.top + 4, kSlotSize.width(), kSlotSize.height());
        image->setPhoto(s.blank);
        *s.image = image;

        auto* badge = new QLabel(p);
        badge->setObjectName(QStringLiteral("ico0%1").arg(s.digit));
        badge->setGeometry(22, s.top, 42, 28);
        badge->setPixmap(badgePicture(s.digit));
        *s.badge = badge;

        for (int i = 0; i < 5; ++i) {
            auto* button = new TPictureButton(QString::fromLatin1(buttonNames[i]) + suffix,
                                              QStringLiteral(":/icons/%1.svg").arg(QLatin1String(buttonIcons[i])),
                                              QString(), TPictureButton::Style::Picture, p);
            button->setGeometry(22, s.top + 36 + 48 * i, 42, 40);
            *s.buttons[i] = button;
        }
    }

    connect(btnCaricaFoto, &QAbstractButton::clicked, this, &TfrmCartoline::btnCaricaFotoClick);
    connect(btnAcquisisciFoto, &QAbstractButton::clicked, this, &TfrmCartoline::btnAcquisisciFotoClick);
    connect(btnSalvaFoto, &QAbstractButton::clicked, this, &TfrmCartoline::btnSalvaFotoClick);
    connect(btnCancFoto, &QAbstractButton::clicked, this, &TfrmCartoline::btnCancFotoClick);
    connect(btnZoomFoto, &QAbstractButton::clicked, this, &TfrmCartoline::btnZoomFotoClick);
    connect(btnCaricaFoto02, &QAbstractButton::clicked, this, &TfrmCartoline::btnCaricaFoto02Click);
    connect(btnAcquisisciFoto02, &QAbstractButton::clicked, this, &TfrmCartoline::btnAcquisisciFoto02Click);
    connect(btnSalvaFoto02, &QAbstractButton::clicked, this, &TfrmCartoline::btnSalvaFoto02Click);
    connect(btnCancFoto02, &QAbstractButton::clicked, this, &TfrmCartoline::btnCancFoto02Click);
    connect(btnZoomFoto02, &QAbstractButton::clicked, this, &TfrmCartoline::btnZoomFoto02Click);
}

void TfrmCartoline::addPhotoHints()
{
    const std::pair<TPictureButton*, const char*> hints[] = {
        {btnCaricaFoto, "Carica una foto esistente."},
        {btnAcquisisciFoto, "Acquisisci la foto da WebCam."},
        {btnSalvaFoto, "Salva la foto su disco."},
        {btnCancFoto, "Cancella la foto."},
        {btnZoomFoto, "Visualizza la foto nelle sue dimensioni reali."},
        {btnCaricaFoto02, "Carica una foto esistente."},
        {btnAcquisisciFoto02, "Acquisisci la foto da WebCam."},
        {btnSalvaFoto02, "Salva la foto su disco."},
        {btnCancFoto02, "Cancella la foto."},
        {btnZoomFoto02, "Visualizza la foto nelle sue dimensioni reali."},
    };
    for (const auto& [button, hint] : hints)
        m_hints->addCommand(button, QString::fromUtf8(hint));
    for (QWidget* background : {static_cast<QWidget*>(imgFoto), static_cast<QWidget*>(imgFoto02),
                                static_cast<QWidget*>(shpFoto), static_cast<QWidget*>(shpFoto02),
                                static_cast<QWidget*>(ico01), static_cast<QWidget*>(ico02)})
        m_hints->addBackground(background);
}

void TfrmCartoline::subMostraSegnaposto()
{
    imgFoto->setPhoto(imgBianco->photo());
    imgFoto02->setPhoto(imgBianco02->photo());
}

void TfrmCartoline::subApriFotoScheda()
{
    const QString archive = lblNome->text();
    const QString number = ProgramFolder::trimmed(lblPosizione->text());
    if (number.isEmpty() || !CompanionFiles::ensurePhotoFolder()) {
        subMostraSegnaposto();
        return;
    }
    const QString pathA = CompanionFiles::photoPath(CompanionFiles::Photo::A, archive, number);
    const QString pathB = CompanionFiles::photoPath(CompanionFiles::Photo::B, archive, number);
    const QSize area = imgFoto->size();
    const qreal ratio = imgFoto->devicePixelRatioF();

    // Phone photos take most of the time here, nearly all of it decoding;
    // with a second core the two photos are read side by side.
    LoadedPhoto a;
    LoadedPhoto b;
    if (QThread::idealThreadCount() > 1) {
        QFuture<LoadedPhoto> second = QtConcurrent::run(readForSlot, pathB, area, ratio);
        a = readForSlot(pathA, area, ratio);
        b = second.result();
    } else {
        a = readForSlot(pathA, area, ratio);
        if (!a.shown.isNull())
            b = readForSlot(pathB, area, ratio);
    }
    if (a.shown.isNull() || b.shown.isNull()) {
        subMostraSegnaposto();
        return;
    }
    imgFoto->setPhoto(a.photo, a.shown);
    imgFoto02->setPhoto(b.photo, b.shown);
}

bool TfrmCartoline::subSalvaFotoScheda()
{
    // On failure the slots keep their pictures, so that saving again can
    // still write them; the caller tells the user.
    const QString archive = lblNome->text();
    const QString number = ProgramFolder::trimmed(lblPosizione->text());
    if (number.isEmpty() || !CompanionFiles::ensurePhotoFolder())
        return false;
    return imgFoto->photo().writeJpeg(CompanionFiles::photoPath(CompanionFiles::Photo::A, archive, number))
           && imgFoto02->photo().writeJpeg(CompanionFiles::photoPath(CompanionFiles::Photo::B, archive, number));
}

void TfrmCartoline::loadPhotoInto(TImageView* slot, TImageView* placeholder)
{
    const QString path = Dialogs::fileName(this, dlgFile);
    if (path.isEmpty())
        return;
    const TPhoto photo = TPhoto::fromFile(path);
    const QImage shown = photo.decode(slot->decodeSizeFor(photo));
    if (shown.isNull()) {
        slot->setPhoto(placeholder->photo());
        return;
    }
    slot->setPhoto(photo, shown);
}

void TfrmCartoline::savePhotoOf(TImageView* slot)
{
    dlgSalvaFile.initialName = QStringLiteral("Foto.jpg");
    const QString path = Dialogs::fileName(this, dlgSalvaFile);
    if (path.isEmpty())
        return;
    // A failed write leaves the photo in the slot: the user's only copy may
    // be this one.
    if (!slot->photo().saveAs(path))
        Dialogs::warning(this, saveFailedMessage(path));
}

void TfrmCartoline::zoomPhotoOf(TImageView* slot)
{
    TfrmZoom zoom(this);
    zoom.imgFoto->setPhoto(slot->photo());
    zoom.exec();
}

void TfrmCartoline::btnCaricaFotoClick() { loadPhotoInto(imgFoto, imgBianco); }
void TfrmCartoline::btnCaricaFoto02Click() { loadPhotoInto(imgFoto02, imgBianco02); }
void TfrmCartoline::btnSalvaFotoClick() { savePhotoOf(imgFoto); }
void TfrmCartoline::btnSalvaFoto02Click() { savePhotoOf(imgFoto02); }
void TfrmCartoline::btnCancFotoClick() { imgFoto->setPhoto(imgBianco->photo()); }
void TfrmCartoline::btnCancFoto02Click() { imgFoto02->setPhoto(imgBianco02->photo()); }
void TfrmCartoline::btnZoomFotoClick() { zoomPhotoOf(imgFoto); }
void TfrmCartoline::btnZoomFoto02Click() { zoomPhotoOf(imgFoto02); }

// The webcam window comes with its own work; until then capturing does nothing.
void TfrmCartoline::btnAcquisisciFotoClick() {}
void TfrmCartoline::btnAcquisisciFoto02Click() {}
