#include "gui/photos/frmZoom.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include "gui/widgets/ImageView.h"
#include "gui/widgets/Look.h"

TfrmZoom::TfrmZoom(QWidget* owner, const TPhoto& photo) : TModalWindow(owner)
{
    setObjectName(QStringLiteral("frmZoom"));
    setWindowTitle(QStringLiteral(" Fai clic sulla foto per chiudere questa finestra"));
    // Where no window manager maximises it, the window still fills the screen.
    if (QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    setWindowState(windowState() | Qt::WindowMaximized);

    panContainer = new QWidget(this);
    panContainer->setObjectName(QStringLiteral("panContainer"));
    panContainer->installEventFilter(this);

    imgFoto = new TImageView(QStringLiteral("imgFoto"), panContainer);
    if (!photo.isNull())
        imgFoto->setPhoto(photo);
    connect(imgFoto, &TImageView::clicked, this, &TfrmZoom::imgFotoClick);
}

QSize TfrmZoom::areaFor(QSize screen)
{
    return screen - QSize(60, 90);
}

void TfrmZoom::FormShow()
{
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QSize area = areaFor(screen ? screen->size() : size());
    panContainer->resize(area);
    imgFoto->setGeometry(QRect(QPoint(0, 0), area));
    centrePanel();
}

void TfrmZoom::showEvent(QShowEvent* event)
{
    TModalWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmZoom::resizeEvent(QResizeEvent* event)
{
    TModalWindow::resizeEvent(event);
    centrePanel();
}

void TfrmZoom::centrePanel()
{
    panContainer->move((width() - panContainer->width()) / 2, (height() - panContainer->height()) / 2);
}

void TfrmZoom::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, Look::steelBlue);
    gradient.setColorAt(1, Qt::white);
    painter.fillRect(rect(), gradient);
}

bool TfrmZoom::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == panContainer && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        panContainerClick();
        return true;
    }
    return TModalWindow::eventFilter(watched, event);
}

void TfrmZoom::imgFotoClick()
{
    close();
}

void TfrmZoom::panContainerClick()
{
    close();
}
