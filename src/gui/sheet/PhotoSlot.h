#pragma once
#include <QWidget>

#include "core/photos/Photo.h"
#include "gui/widgets/Dialogs.h"

class QFrame;
class QLabel;
class TImageView;
class TPictureButton;

// One photo slot of the record sheet: the image, its hidden placeholder twin,
// the white frame, the number badge and the five buttons beside it. The
// sheet has two, photo A above photo B; the second one's controls carry the
// suffix "02" (imgFoto02, btnCaricaFoto02...), the placeholder is imgBianco
// or imgBianco02 and the badge ico01 or ico02.
//
// The slot covers the badge, the buttons and the frame; it draws nothing of
// its own, so the sheet's background shows between its controls.
class TPhotoSlot : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kImageSize{366, 260};

    // `digit` is 1 for photo A, 2 for photo B; `top` the y of the frame on
    // the sheet's panel. The dialogs are the sheet's, shared by both slots.
    TPhotoSlot(int digit, int top, const TPhoto& placeholder, Dialogs::FileRequest& openDialog,
               Dialogs::FileRequest& saveDialog, QWidget* panel);

    TImageView* image() const { return imgFoto; }
    TImageView* placeholder() const { return imgBianco; }
    QFrame* frame() const { return shpFoto; }
    QLabel* badge() const { return ico; }
    // Load, capture, save, erase, zoom, from the top.
    QList<TPictureButton*> buttons() const;

    const TPhoto& photo() const;
    // Shows a photo; `shown` is its picture already decoded for the image.
    void showPhoto(const TPhoto& photo, const QImage& shown = {});
    void showPlaceholder();

    // The placeholder shown because the photo file could not be read: saving
    // the card then leaves the file that is there rather than writing the
    // placeholder over it. Any other change of the picture clears the mark.
    void showUnreadPlaceholder();
    bool isUnread() const { return m_unread; }

    // The card's photo is being read: the picture shown so far stays,
    // dimmed, until showPhoto() or a placeholder. Saving the card then leaves
    // the file that is there, which is the photo on its way.
    void showLoading();
    bool isLoading() const;

    // Writes the slot's picture to a record's photo file (see isUnread()
    // and isLoading()).
    bool storeTo(const QString& path, TFailure* failure = nullptr) const;

    void btnCaricaFotoClick();
    // Reads a picture file into the slot, as the folder button does with the file picked.
    void loadFile(const QString& path);
    void btnAcquisisciFotoClick();
    void btnSalvaFotoClick();
    void btnCancFotoClick();
    void btnZoomFotoClick();

signals:
    // The webcam button: the sheet opens the capture window for this slot.
    void captureRequested();
    // Zoom or save to disk want the slot's photo itself: a photo still on
    // its way must be there when the handler returns.
    void photoNeeded();

private:
    TImageView* imgFoto;
    TImageView* imgBianco;
    QFrame* shpFoto;
    QLabel* ico;
    TPictureButton* btnCaricaFoto;
    TPictureButton* btnAcquisisciFoto;
    TPictureButton* btnSalvaFoto;
    TPictureButton* btnCancFoto;
    TPictureButton* btnZoomFoto;
    Dialogs::FileRequest& m_openDialog;
    Dialogs::FileRequest& m_saveDialog;
    bool m_unread = false;
};
