#include "gui/sheet/frmWebCam.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "core/photos/Photo.h"
#include "gui/sheet/PhotoSaving.h"
#include "gui/sheet/PhotoSlot.h"
#include "gui/sheet/frmCartoline.h"
#include "core/archive/ProgramFolder.h"
#include "gui/widgets/ImageView.h"
#include "gui/widgets/Look.h"
#include "gui/widgets/Pictures.h"

namespace {

constexpr QSize kImageSize(366, 274);

const TPhoto& webcamDrawing()
{
    return Pictures::photo(QStringLiteral(":/pictures/webcam_standby.svg"), kImageSize);
}

const TPhoto& photoCameraDrawing()
{
    return Pictures::photo(QStringLiteral(":/pictures/photo_camera.svg"), kImageSize);
}

QString frameNotSavedMessage()
{
    return QStringLiteral("Attenzione: non è stato possibile salvare la foto catturata nel file \"%1\".\r\n\r\n"
                          "La foto catturata resta disponibile: verificare di avere i permessi di scrittura "
                          "nella cartella scelta e di usare l'estensione .jpg oppure .bmp.");
}

} // namespace

TfrmWebCam::TfrmWebCam(TfrmCartoline* sheet, std::unique_ptr<TFrameSource> source)
    : TFixedDialog(sheet, QStringLiteral("frmWebCam"), QStringLiteral(" Cattura foto con webcam"), QSize(807, 405),
                   Qt::white, QColor(0xBF, 0xD8, 0xEF)),
      m_sheet(sheet),
      m_source(source ? std::move(source) : FrameSources::create())
{
    FixedWindow::centreOnOwner(this);

    auto panel = [this](const char* name, int x) {
        auto* frame = new QFrame(this);
        frame->setObjectName(QString::fromLatin1(name));
        frame->setGeometry(x, 16, 382, 290);
        frame->setStyleSheet(QStringLiteral("QFrame#%1 { background: #1F3A5F; border: 1px solid #0F1F33;"
                                            " border-radius: 4px; }")
                                 .arg(QLatin1String(name)));
        return frame;
    };
    panCamera = panel("panCamera", 16);
    panTarget = panel("panTarget", 408);

    imgCamera = new TImageView(QStringLiteral("imgCamera"), panCamera);
    imgCamera->setGeometry(8, 8, kImageSize.width(), kImageSize.height());
    imgCamera->setPhoto(webcamDrawing());

    lblMemory = new QLabel(panCamera);
    lblMemory->setObjectName(QStringLiteral("lblMemory"));
    lblMemory->hide();

    imgTarget = new TImageView(QStringLiteral("imgTarget"), panTarget);
    imgTarget->setGeometry(8, 8, kImageSize.width(), kImageSize.height());
    imgTarget->setPhoto(photoCameraDrawing());

    imgBianco = new TImageView(QStringLiteral("imgBianco"), this);
    imgBianco->resize(kImageSize);
    imgBianco->setPhoto(webcamDrawing());
    imgBianco->hide();

    auto button = [this](const char* name, const char* caption, QRect geometry) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(geometry);
        b->setFont(Look::verdana(10));
        b->setAutoDefault(false);
        return b;
    };
    btnAccendi = button("btnAccendi", "Accendi webcam", QRect(16, 312, 382, 34));
    btnSpegni = button("btnSpegni", "Spegni webcam", QRect(16, 352, 382, 34));
    btnCattura = button("btnCattura", "Cattura foto", QRect(408, 312, 188, 34));
    btnSalvaFotogramma = button("btnSalvaFotogramma", "Salva foto su disco", QRect(603, 312, 188, 34));
    btnImportaFoto = button("btnImportaFoto", "Importa foto in scheda", QRect(408, 352, 188, 34));
    btnClose = button("btnClose", "Annulla", QRect(603, 352, 188, 34));

    setTabOrder(btnAccendi, btnCattura);
    setTabOrder(btnCattura, btnSalvaFotogramma);
    setTabOrder(btnSalvaFotogramma, btnSpegni);
    setTabOrder(btnSpegni, btnImportaFoto);
    setTabOrder(btnImportaFoto, btnClose);
    btnAccendi->setFocus();

    dlgSalvaFile = PhotoSaving::request();

    camCamera = m_source.get();
    camCamera->setObjectName(QStringLiteral("camCamera"));
    connect(camCamera, &TFrameSource::frameArrived, this, &TfrmWebCam::showFrame);

    connect(btnAccendi, &QPushButton::clicked, this, &TfrmWebCam::btnAccendiClick);
    connect(btnSpegni, &QPushButton::clicked, this, &TfrmWebCam::btnSpegniClick);
    connect(btnCattura, &QPushButton::clicked, this, &TfrmWebCam::btnCatturaClick);
    connect(btnSalvaFotogramma, &QPushButton::clicked, this, &TfrmWebCam::btnSalvaFotogrammaClick);
    connect(btnImportaFoto, &QPushButton::clicked, this, &TfrmWebCam::btnImportaFotoClick);
    connect(btnClose, &QPushButton::clicked, this, &TfrmWebCam::btnCloseClick);
}

TfrmWebCam::~TfrmWebCam()
{
    camCamera->stop();
}

void TfrmWebCam::showFrame(const QImage& frame)
{
    // Each frame is kept whole, at the camera's size; the view draws it reduced.
    imgCamera->setPhoto(TPhoto::fromImage(frame));
}

void TfrmWebCam::btnAccendiClick()
{
    camCamera->start();
}

void TfrmWebCam::btnSpegniClick()
{
    camCamera->stop();
}

void TfrmWebCam::btnCatturaClick()
{
    imgTarget->setPhoto(imgCamera->photo());
}

void TfrmWebCam::btnSalvaFotogrammaClick()
{
    // A failed write keeps the captured frame: replacing it with a drawing
    // would make a later import bring the drawing into the card.
    PhotoSaving::saveToDisk(this, dlgSalvaFile, imgTarget->photo(), frameNotSavedMessage());
}

void TfrmWebCam::btnImportaFotoClick()
{
    if (m_sheet) {
        const QString marker = ProgramFolder::trimmed(lblMemory->text());
        if (marker == QLatin1String("foto01"))
            m_sheet->photoSlot(CompanionFiles::Photo::A)->showPhoto(imgTarget->photo());
        else if (marker == QLatin1String("foto02"))
            m_sheet->photoSlot(CompanionFiles::Photo::B)->showPhoto(imgTarget->photo());
    }
    accept();
}

void TfrmWebCam::btnCloseClick()
{
    reject();
}

void TfrmWebCam::done(int result)
{
    camCamera->stop();
    TFixedDialog::done(result);
}
