#include "gui/sheet/PhotoSlot.h"

#include <QFileInfo>
#include <QFrame>
#include <QLabel>

#include "gui/photos/frmZoom.h"
#include "gui/sheet/PhotoSaving.h"
#include "gui/widgets/DropTarget.h"
#include "gui/widgets/ImageView.h"
#include "gui/widgets/PictureButton.h"
#include "gui/widgets/Pictures.h"

namespace {

// Places on the sheet's panel: the slot starts at the badge's left edge and
// the frame's top.
constexpr int kLeft = 22;
constexpr QSize kSlotArea(444 - kLeft, 268);

QString saveFailedMessage()
{
    return QStringLiteral("Attenzione: non è stato possibile salvare la foto nel file \"%1\".\r\n\r\n"
                          "Il file non è stato scritto: verificare di avere i permessi di scrittura nella "
                          "cartella scelta e di usare l'estensione .jpg oppure .bmp.");
}

} // namespace

TPhotoSlot::TPhotoSlot(int digit, int top, const TPhoto& placeholder, Dialogs::FileRequest& openDialog,
                       Dialogs::FileRequest& saveDialog, QWidget* panel)
    : QWidget(panel), m_openDialog(openDialog), m_saveDialog(saveDialog)
{
    setGeometry(kLeft, top, kSlotArea.width(), kSlotArea.height());
    const QString suffix = digit == 1 ? QString() : QStringLiteral("02");
    // In the slot's coordinates: the panel's less (kLeft, top).
    const QPoint image(74 - kLeft, 4);

    shpFoto = new QFrame(this);
    shpFoto->setObjectName(QStringLiteral("shpFoto") + suffix);
    shpFoto->setGeometry(70 - kLeft, 0, 374, 268);
    shpFoto->setStyleSheet(QStringLiteral("QFrame { background: white; border: none; }"));

    // The placeholder twin sits hidden at the slot's place, holding its picture.
    imgBianco = new TImageView(QStringLiteral("imgBianco") + suffix, this);
    imgBianco->setGeometry(QRect(image, kImageSize));
    imgBianco->setPhoto(placeholder);
    imgBianco->hide();

    imgFoto = new TImageView(QStringLiteral("imgFoto") + suffix, this);
    imgFoto->setGeometry(QRect(image, kImageSize));
    imgFoto->setPhoto(placeholder);

    ico = new QLabel(this);
    ico->setObjectName(QStringLiteral("ico0%1").arg(digit));
    ico->setGeometry(0, 0, 42, 28);
    ico->setPixmap(
        Pictures::pixmap(QStringLiteral(":/icons/badge%1.svg").arg(digit), QSize(42, 28), devicePixelRatioF()));

    struct Button {
        TPictureButton** member;
        const char* name;
        const char* icon;
        void (TPhotoSlot::*click)();
    };
    const Button buttons[] = {
        {&btnCaricaFoto, "btnCaricaFoto", "folder", &TPhotoSlot::btnCaricaFotoClick},
        {&btnAcquisisciFoto, "btnAcquisisciFoto", "webcam", &TPhotoSlot::btnAcquisisciFotoClick},
        {&btnSalvaFoto, "btnSalvaFoto", "floppy", &TPhotoSlot::btnSalvaFotoClick},
        {&btnCancFoto, "btnCancFoto", "eraser", &TPhotoSlot::btnCancFotoClick},
        {&btnZoomFoto, "btnZoomFoto", "zoom", &TPhotoSlot::btnZoomFotoClick},
    };
    int y = 36;
    for (const Button& b : buttons) {
        auto* button = new TPictureButton(QString::fromLatin1(b.name) + suffix,
                                          QStringLiteral(":/icons/%1.svg").arg(QLatin1String(b.icon)), QString(),
                                          TPictureButton::Style::Picture, this);
        button->setGeometry(0, y, 42, 40);
        connect(button, &QAbstractButton::clicked, this, b.click);
        *b.member = button;
        y += 48;
    }

    connect(imgFoto, &TImageView::photoChanged, this, [this] { m_unread = false; });

    // A picture dropped from the file manager loads as one picked with the
    // folder button: the same kinds of file, the same reading.
    auto* drops = new TDropTarget(
        [this](const QString& file) { return TDropTarget::matchesFilter(file, m_openDialog.filter); },
        [this](const QString& file) { loadFile(file); }, this);
    drops->addWidget(this);
}

QList<TPictureButton*> TPhotoSlot::buttons() const
{
    return {btnCaricaFoto, btnAcquisisciFoto, btnSalvaFoto, btnCancFoto, btnZoomFoto};
}

const TPhoto& TPhotoSlot::photo() const
{
    return imgFoto->photo();
}

void TPhotoSlot::showPhoto(const TPhoto& photo, const QImage& shown)
{
    imgFoto->setPhoto(photo, shown);
}

void TPhotoSlot::showPlaceholder()
{
    imgFoto->setPhoto(imgBianco->photo());
}

void TPhotoSlot::showUnreadPlaceholder()
{
    showPlaceholder();
    m_unread = true;
}

void TPhotoSlot::showLoading()
{
    imgFoto->setLoading(true);
}

bool TPhotoSlot::isLoading() const
{
    return imgFoto->isLoading();
}

bool TPhotoSlot::storeTo(const QString& path, TFailure* failure) const
{
    // A file that could not be read may still be the collector's only copy
    // of the photo (or of the other one, shown as a placeholder beside it);
    // a file being read is the photo itself.
    if ((m_unread || isLoading()) && QFileInfo::exists(path))
        return true;
    // No file: a reading would end on the placeholder.
    return (isLoading() ? imgBianco->photo() : imgFoto->photo()).writeJpeg(path, failure);
}

void TPhotoSlot::btnCaricaFotoClick()
{
    const QString path = Dialogs::fileName(window(), m_openDialog);
    if (path.isEmpty())
        return;
    loadFile(path);
}

void TPhotoSlot::loadFile(const QString& path)
{
    const TPhoto photo = TPhoto::fromFile(path);
    const QImage shown = photo.decode(imgFoto->decodeSizeFor(photo));
    if (shown.isNull()) {
        showUnreadPlaceholder();
        return;
    }
    showPhoto(photo, shown);
}

void TPhotoSlot::btnAcquisisciFotoClick()
{
    emit captureRequested();
}

void TPhotoSlot::btnSalvaFotoClick()
{
    emit photoNeeded();
    PhotoSaving::saveToDisk(window(), m_saveDialog, imgFoto->photo(), saveFailedMessage());
}

void TPhotoSlot::btnCancFotoClick()
{
    showPlaceholder();
}

void TPhotoSlot::btnZoomFotoClick()
{
    emit photoNeeded();
    TfrmZoom zoom(window(), imgFoto->photo());
    zoom.exec();
}
