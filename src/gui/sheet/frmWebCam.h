#pragma once
#include <memory>

#include "core/archive/CompanionFiles.h"
#include "core/photos/Photo.h"
#include "gui/sheet/FrameSource.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/FixedWindow.h"

class QFrame;
class QLabel;
class QPushButton;
class TImageView;

// Photographs a model with the computer's camera: switch it on, watch the live
// picture, capture a frame, save it to a file, import it into the photo slot
// of the record sheet that opened it (given in its constructor; the marker
// lblMemory mirrors it: "foto01" for photo A, "foto02" for photo B). Per use: created by a slot
// button, shown modally, then discarded. The camera is off when it opens and
// whenever it closes.
class TfrmWebCam : public TFixedDialog {
    Q_OBJECT
public:
    // Without a source, the one FrameSources::create() gives (the camera).
    TfrmWebCam(QWidget* owner, CompanionFiles::Photo target, std::unique_ptr<TFrameSource> source = {});
    ~TfrmWebCam() override;

    // The frame source (not a widget: no child of the window).
    TFrameSource* camCamera;
    Dialogs::FileRequest dlgSalvaFile;

    void btnAccendiClick();
    void btnSpegniClick();
    void btnCatturaClick();
    void btnSalvaFotogrammaClick();
    void btnImportaFotoClick();
    void btnCloseClick();

    // However the window ends (import, "Annulla", Esc, the window manager's
    // close), the camera goes off; only the import fills a slot.
    void done(int result) override;

signals:
    // "Importa foto in scheda": the captured frame for the target slot.
    void imported(const TPhoto& photo);

private:
    QFrame* panCamera;
    TImageView* imgCamera;
    QLabel* lblMemory;
    QFrame* panTarget;
    TImageView* imgTarget;
    TImageView* imgBianco;
    QPushButton* btnAccendi;
    QPushButton* btnSpegni;
    QPushButton* btnCattura;
    QPushButton* btnSalvaFotogramma;
    QPushButton* btnImportaFoto;
    QPushButton* btnClose;
    void showFrame(const QImage& frame);

    std::unique_ptr<TFrameSource> m_source;
};
