#include "gui/output/frmSlideshow_Euro_01.h"

#include <QCoreApplication>
#include <QFutureWatcher>
#include <QLabel>
#include <QMouseEvent>
#include <QShowEvent>
#include <QTimer>

#include "core/archive/Archivio.h"
#include "core/archive/CompanionFiles.h"
#include "core/formats/Text.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/FailureMessages.h"
#include "gui/widgets/ImageView.h"
#include "gui/widgets/PictureButton.h"
#include "gui/widgets/Pictures.h"

namespace {

constexpr QSize kBannerSize(677, 184);

// Rendered once for every slideshow of the session.
const TPhoto& banner()
{
    return Pictures::photo(QStringLiteral(":/pictures/slideshow_banner.svg"), kBannerSize);
}

} // namespace

TfrmSlideshow_Euro_01::TfrmSlideshow_Euro_01(QWidget* owner, const QString& archivePath, const QString& archiveName)
    : TfrmZoom(owner), m_archivePath(Text::trimmed(archivePath)), m_archiveName(archiveName)
{
    setObjectName(QStringLiteral("frmSlideshow_Euro_01"));
    setWindowTitle(QStringLiteral(" Slide Show Modellini"));

    imgBianco = new TImageView(QStringLiteral("imgBianco"), this);
    imgBianco->resize(kBannerSize);
    imgBianco->setPhoto(banner());
    imgBianco->hide();

    lblPosizione = new QLabel(this);
    lblPosizione->setObjectName(QStringLiteral("lblPosizione"));
    lblPosizione->hide();

    cmdAvanti = new TPictureButton(QStringLiteral("cmdAvanti"), QStringLiteral(":/icons/next.svg"), {},
                                   TPictureButton::Style::Picture, this);
    cmdAvanti->hide();
    connect(cmdAvanti, &QAbstractButton::clicked, this, &TfrmSlideshow_Euro_01::cmdAvantiClick);

    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setInterval(kIntervallo);
    connect(Timer, &QTimer::timeout, this, &TfrmSlideshow_Euro_01::cmdAvantiClick);
    // However the window ends, its timer ends with it.
    connect(this, &QDialog::finished, Timer, &QTimer::stop);
}

void TfrmSlideshow_Euro_01::showEvent(QShowEvent* event)
{
    TfrmZoom::showEvent(event); // sizes the panel and the photo to the screen
    if (event->spontaneous())
        return;
    imgFoto->setPhoto(imgBianco->photo());
    Timer->start();
    prepare(1); // during the banner's six seconds
}

void TfrmSlideshow_Euro_01::mouseReleaseEvent(QMouseEvent* event)
{
    // The free area around the panel closes it as well.
    if (event->button() == Qt::LeftButton)
        close();
    else
        TfrmZoom::mouseReleaseEvent(event);
}

void TfrmSlideshow_Euro_01::cmdAvantiClick()
{
    // While the box of an earlier tick waits for the user, ticks pass: a
    // lasting failure shows one box at a time, not a pile of them.
    if (m_boxOpen)
        return;
    try {
        TArchivio archive;
        archive.ApriArchivio(m_archivePath);
        if (!m_position)
            showPosition(0);
        const qint32 p = *m_position;
        const int count = archive.ContaSchede();
        if (count == 0) {
            showPosition(std::nullopt);
            archive.ChiudiArchivio();
            Timer->stop();
            m_boxOpen = true;
            Dialogs::information(this, QStringLiteral("L'archivio non contiene nessuna scheda."));
            m_boxOpen = false;
            close();
            return;
        }
        if (p < count) {
            archive.LeggiScheda(p + 1);
            showPosition(p + 1);
            archive.ChiudiArchivio();
            subApriFoto();
        } else {
            // The tick after the last card only rewinds.
            showPosition(0);
            archive.ChiudiArchivio();
        }
        const qint32 shown = *m_position;
        prepare(shown < count ? shown + 1 : 1);
    } catch (const EArchivioError& e) {
        m_boxOpen = true;
        FailureMessages::show(this, e.failure());
        m_boxOpen = false;
    }
}

void TfrmSlideshow_Euro_01::showPosition(std::optional<qint32> position)
{
    m_position = position;
    lblPosizione->setText(position ? QString::number(*position) : QString());
}

QString TfrmSlideshow_Euro_01::photoPathOf(int record) const
{
    return CompanionFiles::photoPath(CompanionFiles::Photo::A, m_archiveName, record);
}

void TfrmSlideshow_Euro_01::prepare(int record)
{
    m_next = record;
    const QString path = photoPathOf(record);
    m_preparer->keepOnly({path}); // the photo on show is in imgFoto already
    m_preparer->prepare(path, imgFoto->size(), imgFoto->devicePixelRatioF());
}

void TfrmSlideshow_Euro_01::waitForPrepared()
{
    while (imgFoto->isLoading())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (m_next > 0)
        m_preparer->waitFor(photoPathOf(m_next), imgFoto->size(), imgFoto->devicePixelRatioF());
}

void TfrmSlideshow_Euro_01::subApriFoto()
{
    // A missing file, or one that does not decode, shows the banner.
    const quint64 ticket = ++*m_photoTicket;
    const QString path = photoPathOf(m_position.value_or(0));
    const auto show = [this](const TShownPhoto& photo) {
        if (photo.shown.isNull())
            imgFoto->setPhoto(imgBianco->photo());
        else
            imgFoto->setPhoto(photo.photo, photo.shown);
    };
    if (!CompanionFiles::ensurePhotoFolder()) {
        show({});
        return;
    }
    const QSize area = imgFoto->size();
    const qreal ratio = imgFoto->devicePixelRatioF();
    if (const std::optional<TShownPhoto> ready = m_preparer->readIfReady(path, area, ratio)) {
        show(*ready);
        return;
    }
    imgFoto->setLoading(true);
    auto* watcher = new QFutureWatcher<TShownPhoto>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, ticket, show] {
        watcher->deleteLater();
        if (ticket == *m_photoTicket)
            show(watcher->result());
    });
    watcher->setFuture(TPhotoPreparer::readLater(m_preparer, path, area, ratio,
                                                 [latest = m_photoTicket, ticket] { return *latest == ticket; }));
}
