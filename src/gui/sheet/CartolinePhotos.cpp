// The two photo slots of the record sheet: building them, their buttons, and
// the reading and writing of the record's photo files.
#include "gui/sheet/frmCartoline.h"

#include <QFrame>
#include <QLabel>
#include <QScopedValueRollback>

#include "core/archive/CompanionFiles.h"
#include "core/photos/Photo.h"
#include "gui/sheet/CardPhotoReader.h"
#include "gui/sheet/PhotoSaving.h"
#include "gui/sheet/PhotoSlot.h"
#include "gui/sheet/frmWebCam.h"
#include "gui/widgets/Hints.h"
#include "gui/widgets/ImageView.h"
#include "gui/widgets/PictureButton.h"
#include "gui/widgets/Pictures.h"

namespace {

constexpr QSize kSlotSize = TPhotoSlot::kImageSize;

// ---- placeholder pictures ---------------------------------------------------

const TPhoto& placeholderA()
{
    return Pictures::photo(QStringLiteral(":/pictures/car_side.svg"), kSlotSize);
}

const TPhoto& placeholderB()
{
    return Pictures::photo(QStringLiteral(":/pictures/car_front.svg"), kSlotSize);
}

void captureWithWebCam(TfrmCartoline* sheet, CompanionFiles::Photo which, TPhotoSlot* slot)
{
    TfrmWebCam webcam(sheet, which);
    QObject::connect(&webcam, &TfrmWebCam::imported, slot, [slot](const TPhoto& photo) { slot->showPhoto(photo); });
    webcam.exec();
}

} // namespace

void TfrmCartoline::buildPhotoSlots(QWidget* p)
{
    dlgFile.mode = Dialogs::FileRequest::Open;
    dlgFile.title = QStringLiteral("Selezionare un file di immagine in formato Jpeg o Bitmap.");
    dlgFile.filter = QStringLiteral("Immagine JPEG (*.jpg; *.jpeg)|*.jpg;*.jpeg|Immagine Bitmap (*.bmp)|*.bmp");
    dlgSalvaFile = PhotoSaving::request();

    m_photos = new TCardPhotoReader(this);
    connect(m_photos, &TCardPhotoReader::photosRead, this, &TfrmCartoline::showReadPhotos);
    m_photoA = new TPhotoSlot(1, 86, placeholderA(), dlgFile, dlgSalvaFile, p);
    m_photoB = new TPhotoSlot(2, 360, placeholderB(), dlgFile, dlgSalvaFile, p);
    // An imported capture goes straight into the slot that asked for it.
    connect(m_photoA, &TPhotoSlot::captureRequested, this,
            [this] { captureWithWebCam(this, CompanionFiles::Photo::A, m_photoA); });
    connect(m_photoB, &TPhotoSlot::captureRequested, this,
            [this] { captureWithWebCam(this, CompanionFiles::Photo::B, m_photoB); });
    connect(m_photoA, &TPhotoSlot::photoNeeded, this, &TfrmCartoline::settlePhotos);
    connect(m_photoB, &TPhotoSlot::photoNeeded, this, &TfrmCartoline::settlePhotos);
    // A loaded photo, a capture or the eraser: what was read for this card no
    // longer stands for its slots.
    for (TPhotoSlot* slot : {m_photoA, m_photoB}) {
        connect(slot->image(), &TImageView::photoChanged, this, [this] {
            if (m_showingCard)
                return;
            if (!m_collection.isNewCard())
                m_photos->drop(photoPathsOf(m_collection.current()));
        });
    }
}

TfrmCartoline::~TfrmCartoline() = default;

TPhotoSlot* TfrmCartoline::photoSlot(CompanionFiles::Photo which) const
{
    return which == CompanionFiles::Photo::A ? m_photoA : m_photoB;
}

void TfrmCartoline::addPhotoHints()
{
    const char* hints[] = {"Carica una foto esistente.", "Acquisisci la foto da WebCam.", "Salva la foto su disco.",
                           "Cancella la foto.", "Visualizza la foto nelle sue dimensioni reali."};
    for (TPhotoSlot* slot : {m_photoA, m_photoB}) {
        const QList<TPictureButton*> buttons = slot->buttons();
        for (int i = 0; i < buttons.size(); ++i)
            m_hints->addCommand(buttons[i], QString::fromUtf8(hints[i]));
        for (QWidget* background : {static_cast<QWidget*>(slot), static_cast<QWidget*>(slot->image()),
                                    static_cast<QWidget*>(slot->frame()), static_cast<QWidget*>(slot->badge())})
            m_hints->addBackground(background);
    }
}

void TfrmCartoline::subMostraSegnaposto()
{
    stopPhotoReading();
    const QScopedValueRollback showing(m_showingCard, true);
    m_photoA->showPlaceholder();
    m_photoB->showPlaceholder();
}

// The placeholders, shown because the card's photo files could not be read.
void TfrmCartoline::showUnreadPhotos()
{
    stopPhotoReading();
    const QScopedValueRollback showing(m_showingCard, true);
    m_photoA->showUnreadPlaceholder();
    m_photoB->showUnreadPlaceholder();
}

void TfrmCartoline::subApriFotoScheda()
{
    const qint32 number = m_collection.current();
    if (m_collection.isNewCard()) {
        subMostraSegnaposto();
        return;
    }
    if (!CompanionFiles::ensurePhotoFolder()) {
        showUnreadPhotos();
        return;
    }
    // Until the photos come the slots keep their pictures, dimmed: no
    // placeholder flashes for a photo that is only on its way. Photos read
    // ahead come before anything is drawn.
    m_photoA->showLoading();
    m_photoB->showLoading();
    m_photos->read({m_collection.photoPath(CompanionFiles::Photo::A, number),
                    m_collection.photoPath(CompanionFiles::Photo::B, number)},
                   m_photoA->image()->size(), m_photoA->image()->devicePixelRatioF());
}

void TfrmCartoline::showReadPhotos(const TShownPhoto& a, const TShownPhoto& b)
{
    // A slot the user filled meanwhile keeps what they put there.
    QList<TPhotoSlot*> waiting;
    for (TPhotoSlot* slot : {m_photoA, m_photoB}) {
        if (slot->isLoading())
            waiting.append(slot);
    }
    const QScopedValueRollback showing(m_showingCard, true);
    const bool readable = !a.shown.isNull() && !b.shown.isNull();
    for (TPhotoSlot* slot : waiting) {
        const TShownPhoto& read = slot == m_photoA ? a : b;
        if (readable)
            slot->showPhoto(read.photo, read.shown);
        else
            slot->showUnreadPlaceholder();
    }
}

void TfrmCartoline::stopPhotoReading()
{
    m_photos->stop();
    m_photoA->image()->setLoading(false);
    m_photoB->image()->setLoading(false);
}

void TfrmCartoline::settlePhotos()
{
    m_photos->settle();
}

bool TfrmCartoline::subSalvaFotoScheda(TFailure* failure)
{
    // On failure the slots keep their pictures, so that saving again can
    // still write them; the caller tells the user.
    const qint32 number = m_collection.current();
    if (!m_collection.isNewCard())
        m_photos->drop(photoPathsOf(number));
    if (m_collection.isNewCard() || !CompanionFiles::ensurePhotoFolder()) {
        if (failure)
            *failure = {TFailure::Operation::PhotoFolder, CompanionFiles::photoFolder(),
                        QStringLiteral("cannot be made a folder")};
        return false;
    }
    // The gallery's thumbnails of this card are made again from the new files.
    CompanionFiles::removeThumbnails(m_collection.name(), number);
    return m_photoA->storeTo(m_collection.photoPath(CompanionFiles::Photo::A, number), failure)
           && m_photoB->storeTo(m_collection.photoPath(CompanionFiles::Photo::B, number), failure);
}

QList<QString> TfrmCartoline::photoPathsOf(int n) const
{
    return {m_collection.photoPath(CompanionFiles::Photo::A, n), m_collection.photoPath(CompanionFiles::Photo::B, n)};
}

// After card n is shown: its photos were just read; the neighbours' are read
// now, off this thread, the one in the direction of the last move first.
// Their file names follow from the archive name and the record numbers, so
// the archive itself is not read for them.
void TfrmCartoline::prepareNeighbours(int n)
{
    if (n < 1)
        return;
    QList<QString> wanted = photoPathsOf(n);
    QList<int> neighbours;
    for (const int k : {n + m_lastStep, n - m_lastStep}) {
        if (k >= 1 && (m_knownCount == 0 || k <= m_knownCount)) {
            neighbours.append(k);
            wanted += photoPathsOf(k);
        }
    }
    m_photos->keepOnly(wanted);
    const QSize area = m_photoA->image()->size();
    const qreal ratio = m_photoA->image()->devicePixelRatioF();
    for (const int k : neighbours) {
        for (const QString& path : photoPathsOf(k))
            m_photos->prepare(path, area, ratio);
    }
}

// Another archive, a new card or the sheet closing: nothing read ahead is
// wanted any more. A reading under way finishes on its own thread.
void TfrmCartoline::forgetPreparedPhotos()
{
    m_photos->clear();
    m_knownCount = 0;
    m_lastStep = 1;
}
