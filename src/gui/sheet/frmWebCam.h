#pragma once
#include <memory>

#include "gui/sheet/FrameSource.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/FixedWindow.h"

class QFrame;
class QLabel;
class QPushButton;
class TfrmCartoline;
class TImageView;

// Photographs a model with the computer's camera: switch it on, watch the live
// picture, capture a frame, save it to a file, import it into the photo slot
// of the record sheet that the marker lblMemory names ("foto01" for photo A,
// "foto02" for photo B). Per use: created by a slot button, shown modally,
// then discarded. The camera is off when it opens and whenever it closes.
class TfrmWebCam : public TFixedDialog {
    Q_OBJECT
public:
    // Without a source, the one FrameSources::create() gives (the camera).
    explicit TfrmWebCam(TfrmCartoline* sheet, std::unique_ptr<TFrameSource> source = {});
    ~TfrmWebCam() override;

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

private:
    void showFrame(const QImage& frame);

    TfrmCartoline* m_sheet;
    std::unique_ptr<TFrameSource> m_source;
};
