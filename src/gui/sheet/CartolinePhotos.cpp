// The two photo slots of the record sheet: building them, their buttons, and
// the reading and writing of the record's photo files.
#include "gui/sheet/frmCartoline.h"

#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

#include "core/photos/Photo.h"
#include "gui/sheet/PhotoSaving.h"
#include "gui/sheet/frmWebCam.h"
#include "gui/sheet/frmZoom.h"
#include "core/archive/CompanionFiles.h"
#include "core/archive/ProgramFolder.h"
#include "gui/widgets/Hints.h"
#include "gui/widgets/ImageView.h"
#include "gui/widgets/PictureButton.h"
#include "gui/widgets/Pictures.h"

namespace {

constexpr QSize kSlotSize(366, 260);

// ---- placeholder pictures ---------------------------------------------------

const TPhoto& placeholderA()
{
    return Pictures::photo(QStringLiteral(":/pictures/car_side.svg"), kSlotSize);
}

const TPhoto& placeholderB()
{
    return Pictures::photo(QStringLiteral(":/pictures/car_front.svg"), kSlotSize);
}

QString saveFailedMessage()
{
    return QStringLiteral("Attenzione: non è stato possibile salvare la foto nel file \"%1\".\r\n\r\n"
                          "Il file non è stato scritto: verificare di avere i permessi di scrittura nella "
                          "cartella scelta e di usare l'estensione .jpg oppure .bmp.");
}

void captureWithWebCam(TfrmCartoline* sheet, CompanionFiles::Photo which, TImageView* slot)
{
    TfrmWebCam webcam(sheet, which);
    QObject::connect(&webcam, &TfrmWebCam::imported, slot, [slot](const TPhoto& photo) { slot->setPhoto(photo); });
    webcam.exec();
}

} // namespace

void TfrmCartoline::buildPhotoSlots(QWidget* p)
{
    dlgFile.mode = Dialogs::FileRequest::Open;
    dlgFile.title = QStringLiteral("Selezionare un file di immagine in formato Jpeg o Bitmap.");
    dlgFile.filter = QStringLiteral("Immagine JPEG (*.jpg; *.jpeg)|*.jpg;*.jpeg|Immagine Bitmap (*.bmp)|*.bmp");
    dlgSalvaFile = PhotoSaving::request();

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
        badge->setPixmap(Pictures::pixmap(QStringLiteral(":/icons/badge%1.svg").arg(s.digit), QSize(42, 28),
                                         devicePixelRatioF()));
        *s.badge = badge;

        for (int i = 0; i < 5; ++i) {
            auto* button = new TPictureButton(QString::fromLatin1(buttonNames[i]) + suffix,
                                              QStringLiteral(":/icons/%1.svg").arg(QLatin1String(buttonIcons[i])),
                                              QString(), TPictureButton::Style::Picture, p);
            button->setGeometry(22, s.top + 36 + 48 * i, 42, 40);
            *s.buttons[i] = button;
        }
    }

    for (TImageView* slot : {imgFoto, imgFoto02})
        connect(slot, &TImageView::photoChanged, this, [this, slot] { m_unreadSlots.remove(slot); });

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

// The placeholders, shown because the card's photo files could not be read.
void TfrmCartoline::showUnreadPhotos()
{
    subMostraSegnaposto();
    m_unreadSlots = {imgFoto, imgFoto02};
}

void TfrmCartoline::subApriFotoScheda()
{
    const QString archive = m_state.archiveName;
    const qint32 number = m_state.number;
    if (m_state.isNewCard()) {
        subMostraSegnaposto();
        return;
    }
    if (!CompanionFiles::ensurePhotoFolder()) {
        showUnreadPhotos();
        return;
    }
    const QString pathA = CompanionFiles::photoPath(CompanionFiles::Photo::A, archive, number);
    const QString pathB = CompanionFiles::photoPath(CompanionFiles::Photo::B, archive, number);
    const QSize area = imgFoto->size();
    const qreal ratio = imgFoto->devicePixelRatioF();

    // Phone photos take most of the time here, nearly all of it decoding;
    // with a second core the two photos are read side by side.
    TShownPhoto a;
    TShownPhoto b;
    if (QThread::idealThreadCount() > 1) {
        QFuture<TShownPhoto> second = QtConcurrent::run(readForDisplay, pathB, area, ratio);
        a = readForDisplay(pathA, area, ratio);
        b = second.result();
    } else {
        a = readForDisplay(pathA, area, ratio);
        if (!a.shown.isNull())
            b = readForDisplay(pathB, area, ratio);
    }
    if (a.shown.isNull() || b.shown.isNull()) {
        showUnreadPhotos();
        return;
    }
    imgFoto->setPhoto(a.photo, a.shown);
    imgFoto02->setPhoto(b.photo, b.shown);
}

bool TfrmCartoline::subSalvaFotoScheda()
{
    // On failure the slots keep their pictures, so that saving again can
    // still write them; the caller tells the user.
    const QString archive = m_state.archiveName;
    const qint32 number = m_state.number;
    if (m_state.isNewCard() || !CompanionFiles::ensurePhotoFolder())
        return false;
    return storePhoto(imgFoto, CompanionFiles::Photo::A, archive, number)
           && storePhoto(imgFoto02, CompanionFiles::Photo::B, archive, number);
}

bool TfrmCartoline::storePhoto(TImageView* slot, CompanionFiles::Photo which, const QString& archive,
                               qint32 number)
{
    const QString path = CompanionFiles::photoPath(which, archive, number);
    // A file that could not be read may still be the collector's only copy
    // of the photo (or of the other one, shown as a placeholder beside it).
    if (m_unreadSlots.contains(slot) && QFileInfo::exists(path))
        return true;
    return slot->photo().writeJpeg(path);
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
        m_unreadSlots.insert(slot);
        return;
    }
    slot->setPhoto(photo, shown);
}

void TfrmCartoline::savePhotoOf(TImageView* slot)
{
    PhotoSaving::saveToDisk(this, dlgSalvaFile, slot->photo(), saveFailedMessage());
}

void TfrmCartoline::zoomPhotoOf(TImageView* slot)
{
    TfrmZoom zoom(this, slot->photo());
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

// An imported capture goes straight into the slot that asked for it.
void TfrmCartoline::btnAcquisisciFotoClick() { captureWithWebCam(this, CompanionFiles::Photo::A, imgFoto); }
void TfrmCartoline::btnAcquisisciFoto02Click() { captureWithWebCam(this, CompanionFiles::Photo::B, imgFoto02); }
