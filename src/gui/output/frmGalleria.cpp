#include "gui/output/frmGalleria.h"

#include <QBoxLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QTimer>

#include "core/formats/Text.h"
#include "core/gallery/GalleryModel.h"
#include "core/gallery/ThumbnailCache.h"
#include "core/photos/Photo.h"
#include "gui/widgets/Hints.h"
#include "gui/widgets/Look.h"
#include "gui/widgets/PictureButton.h"
#include "gui/widgets/Pictures.h"

namespace {

constexpr int kPadding = 6; // around the picture, inside the cell
constexpr int kGap = 4;     // between cells

const QColor kTileBlue{0x1F, 0x5C, 0x99};

} // namespace

// ---- The tile ------------------------------------------------------------------

TGalleryTileDelegate::TGalleryTileDelegate(QObject* parent)
    : QStyledItemDelegate(parent), m_numberFont(Look::verdana(8, true)), m_nameFont(Look::verdana(8)),
      m_nameMetrics(m_nameFont), m_numberHeight(QFontMetrics(m_numberFont).height())
{}

void TGalleryTileDelegate::setTileSide(int side, qreal devicePixelRatio)
{
    if (side == m_side && devicePixelRatio == m_ratio && !m_placeholder.isNull())
        return;
    m_side = side;
    m_ratio = devicePixelRatio;
    m_placeholder = Pictures::render(QStringLiteral(":/pictures/car_side.svg"), ThumbnailCache::pictureBox(side),
                                     Qt::white, devicePixelRatio);
}

QSize TGalleryTileDelegate::cellSize() const
{
    const int lines = m_numberHeight + m_nameMetrics.height();
    const QSize box = ThumbnailCache::pictureBox(m_side);
    return QSize(box.width() + 2 * kPadding + kGap, box.height() + 2 * kPadding + lines + 4 + kGap);
}

QSize TGalleryTileDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const
{
    return cellSize();
}

void TGalleryTileDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRect cell = option.rect.adjusted(kGap / 2, kGap / 2, -kGap / 2, -kGap / 2);
    const bool selected = option.state & QStyle::State_Selected;
    painter->setPen(selected ? QPen(Look::focusYellow.darker(115), 3) : QPen(QColor(0xB8, 0xC8, 0xD8), 1));
    painter->setBrush(selected ? QColor(0xFF, 0xFF, 0xC8) : QColor(Qt::white));
    painter->drawRoundedRect(QRectF(cell).adjusted(1, 1, -1, -1), 8, 8);

    const QRect area(cell.topLeft() + QPoint(kPadding, kPadding), ThumbnailCache::pictureBox(m_side));
    using State = TGalleryModel::State;
    const auto state = index.data(TGalleryModel::StateRole).value<State>();
    const QImage picture = index.data(TGalleryModel::PictureRole).value<QImage>();
    if (!picture.isNull()) {
        // Kept at the device pixel ratio: its logical size is what it covers.
        const QSizeF logical = picture.deviceIndependentSize();
        const QRect target = displayRect(logical.toSize(), area.size()).translated(area.topLeft());
        painter->drawImage(target, picture);
    } else {
        if (state == State::Waiting)
            painter->setOpacity(0.45);
        painter->drawImage(
            displayRect(m_placeholder.deviceIndependentSize().toSize(), area.size()).translated(area.topLeft()),
            m_placeholder);
        painter->setOpacity(1.0);
    }
    if (state == State::Unreadable) {
        // A small mark in the corner: this card's photo is there but cannot be shown.
        const int d = qMax(14, m_side / 8);
        const QRect mark(area.right() - d - 2, area.top() + 2, d, d);
        painter->setPen(QPen(Qt::white, 1.5));
        painter->setBrush(QColor(0xC6, 0x28, 0x28));
        painter->drawEllipse(mark);
        QFont f = m_numberFont;
        f.setPixelSize(qMax(9, d * 2 / 3));
        painter->setFont(f);
        painter->drawText(mark, Qt::AlignCenter, QStringLiteral("!"));
    }

    const QRect text(area.left(), area.bottom() + 3, area.width(), cell.bottom() - area.bottom() - 4);
    const int numberHeight = m_numberHeight;
    painter->setPen(kTileBlue);
    painter->setFont(m_numberFont);
    painter->drawText(QRect(text.left(), text.top(), text.width(), numberHeight), Qt::AlignHCenter | Qt::AlignTop,
                      QStringLiteral("Scheda n. %1").arg(index.data(TGalleryModel::NumberRole).toInt()));
    painter->setPen(Qt::black);
    painter->setFont(m_nameFont);
    const QString name = m_nameMetrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, text.width());
    painter->drawText(QRect(text.left(), text.top() + numberHeight, text.width(), m_nameMetrics.height()),
                      Qt::AlignHCenter | Qt::AlignTop, name);
    painter->restore();
}

// ---- The window ----------------------------------------------------------------

TfrmGalleria::TfrmGalleria(QWidget* owner, const QString& archivePath, const QString& archiveName) : TModalWindow(owner)
{
    setObjectName(QStringLiteral("frmGalleria"));
    setWindowTitle(QStringLiteral(" Galleria dei modellini"));
    // As large as the screen, like the other picture windows.
    if (QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    setWindowState(windowState() | Qt::WindowMaximized);
    m_ratio = owner ? owner->devicePixelRatioF() : qApp->devicePixelRatio();
    const qreal ratio = m_ratio;

    lblTitolo = new QLabel(QStringLiteral("GALLERIA DEI MODELLINI  -  %1").arg(Text::trimmed(archiveName)), this);
    lblTitolo->setObjectName(QStringLiteral("lblTitolo"));
    lblTitolo->setFont(Look::verdana(14, true));
    lblTitolo->setStyleSheet(QStringLiteral(
        "QLabel#lblTitolo { color: #FFFF00; background: #1F5C99; border-radius: 6px; padding: 4px 12px; }"));

    auto* caption = [this](const QString& text) {
        auto* label = new QLabel(text, this);
        label->setFont(Look::verdana(9, true));
        label->setStyleSheet(QStringLiteral("color: #00008B;"));
        return label;
    }(QStringLiteral("Filtro:"));
    txtFiltro = new QLineEdit(this);
    txtFiltro->setObjectName(QStringLiteral("txtFiltro"));
    txtFiltro->setFont(Look::verdana(11, true));
    txtFiltro->setStyleSheet(Look::editFieldStyle());
    txtFiltro->setMaxLength(120);
    txtFiltro->setFixedWidth(260);
    txtFiltro->setPlaceholderText(QStringLiteral("nome, produttore o tipologia"));

    auto* sizeCaption = new QLabel(QStringLiteral("Dimensione:"), this);
    sizeCaption->setFont(Look::verdana(9, true));
    sizeCaption->setStyleSheet(QStringLiteral("color: #00008B;"));
    sldDimensione = new QSlider(Qt::Horizontal, this);
    sldDimensione->setObjectName(QStringLiteral("sldDimensione"));
    sldDimensione->setRange(kSmallest, kLargest);
    sldDimensione->setSingleStep(16);
    sldDimensione->setPageStep(48);
    sldDimensione->setValue(kInitialSide);
    sldDimensione->setFixedWidth(180);
    // A screen reader names the size control by its caption.
    sizeCaption->setBuddy(sldDimensione);

    cmdChiudi = new TPictureButton(QStringLiteral("cmdChiudi"), QStringLiteral(":/icons/exit.svg"),
                                   QStringLiteral("Chiudi"), TPictureButton::Style::Flat, this);
    cmdChiudi->setFont(Look::verdana(7));
    cmdChiudi->setFixedSize(64, 54);

    lblConteggio = new QLabel(this);
    lblConteggio->setObjectName(QStringLiteral("lblConteggio"));
    lblConteggio->setFont(Look::verdana(10, true));
    lblConteggio->setStyleSheet(QStringLiteral("QLabel#lblConteggio { color: #00008B; }"));

    m_model = new TGalleryModel(archivePath, archiveName, ratio, this);
    m_wholeArchive = m_model->load();
    m_model->setTileSide(kInitialSide);
    m_delegate = new TGalleryTileDelegate(this);
    m_delegate->setTileSide(kInitialSide, ratio);

    lstGalleria = new QListView(this);
    lstGalleria->setObjectName(QStringLiteral("lstGalleria"));
    lstGalleria->setViewMode(QListView::IconMode);
    lstGalleria->setMovement(QListView::Static);
    lstGalleria->setResizeMode(QListView::Adjust);
    lstGalleria->setWrapping(true);
    lstGalleria->setUniformItemSizes(true);
    lstGalleria->setSelectionMode(QAbstractItemView::SingleSelection);
    lstGalleria->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstGalleria->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    lstGalleria->setSpacing(0);
    lstGalleria->setGridSize(m_delegate->cellSize());
    lstGalleria->setItemDelegate(m_delegate);
    lstGalleria->setModel(m_model);
    lstGalleria->setStyleSheet(QStringLiteral("QListView#lstGalleria { background: #F2F7FC; "
                                              "border: 1px solid #87CEEB; border-radius: 8px; }"));
    lstGalleria->installEventFilter(this);
    lstGalleria->viewport()->installEventFilter(this);
    lstGalleria->verticalScrollBar()->setSingleStep(m_delegate->cellSize().height() / 4);
    if (m_model->rowCount() > 0)
        lstGalleria->setCurrentIndex(m_model->index(0));

    panInfo = new QLabel(this);
    panInfo->setObjectName(QStringLiteral("panInfo"));
    panInfo->setFont(Look::arial(12));
    panInfo->setFixedHeight(28);
    panInfo->setStyleSheet(QStringLiteral("QLabel#panInfo { background: #1F5C99; color: white; padding-left: 10px; }"));

    auto* header = new QHBoxLayout;
    header->setSpacing(10);
    header->addWidget(lblTitolo);
    header->addStretch(1);
    header->addWidget(caption);
    header->addWidget(txtFiltro);
    header->addSpacing(10);
    header->addWidget(sizeCaption);
    header->addWidget(sldDimensione);
    header->addSpacing(10);
    header->addWidget(cmdChiudi);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(16, 10, 16, 8);
    body->setSpacing(6);
    body->addLayout(header);
    body->addWidget(lblConteggio);
    body->addWidget(lstGalleria, 1);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addLayout(body, 1);
    outer->addWidget(panInfo);

    m_hints = new THints(panInfo, this);
    m_hints->addBackground(this);
    m_hints->addCommand(txtFiltro, QStringLiteral("Scrivere una parte del nome, del produttore o della tipologia per "
                                                  "mostrare solo i modellini che la contengono."));
    m_hints->addCommand(sldDimensione, QStringLiteral("Trascinare per ingrandire o rimpicciolire le foto."));
    m_hints->addCommand(lstGalleria->viewport(),
                        QStringLiteral("Doppio clic su una foto, o Invio, per aprire la scheda del modellino."));
    m_hints->addCommand(cmdChiudi, QStringLiteral("Chiude la galleria e torna alla scheda."));

    m_visibleTimer = new QTimer(this);
    m_visibleTimer->setSingleShot(true);
    m_visibleTimer->setInterval(0);
    connect(m_visibleTimer, &QTimer::timeout, this, &TfrmGalleria::noteVisibleRows);
    connect(lstGalleria->verticalScrollBar(), &QScrollBar::valueChanged, this, &TfrmGalleria::scheduleVisibleRows);
    connect(lstGalleria->verticalScrollBar(), &QScrollBar::rangeChanged, this, &TfrmGalleria::scheduleVisibleRows);
    connect(txtFiltro, &QLineEdit::textChanged, this, &TfrmGalleria::txtFiltroChange);
    connect(sldDimensione, &QSlider::valueChanged, this, &TfrmGalleria::sldDimensioneChange);
    connect(cmdChiudi, &QAbstractButton::clicked, this, &TfrmGalleria::cmdChiudiClick);
    connect(m_model, &TGalleryModel::waitingChanged, this, &TfrmGalleria::updateCount);
    connect(m_model, &QAbstractItemModel::modelReset, this, &TfrmGalleria::updateCount);

    lstGalleria->setFocus();
    updateCount();
    scheduleVisibleRows();
}

TfrmGalleria::~TfrmGalleria() = default;

void TfrmGalleria::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, Look::steelBlue);
    gradient.setColorAt(1, Qt::white);
    painter.fillRect(rect(), gradient);
}

void TfrmGalleria::resizeEvent(QResizeEvent* event)
{
    TModalWindow::resizeEvent(event);
    scheduleVisibleRows();
}

bool TfrmGalleria::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lstGalleria && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            lstGalleriaDblClick(lstGalleria->currentIndex());
            return true;
        }
    }
    // The tile under a double-click, also when no press went before it.
    if (watched == lstGalleria->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            lstGalleriaDblClick(lstGalleria->indexAt(mouse->position().toPoint()));
            return true;
        }
    }
    if (watched == lstGalleria && event->type() == QEvent::Resize)
        scheduleVisibleRows();
    return TModalWindow::eventFilter(watched, event);
}

void TfrmGalleria::scheduleVisibleRows()
{
    m_visibleTimer->start();
}

void TfrmGalleria::noteVisibleRows()
{
    const int rows = m_model->rowCount();
    const QSize cell = lstGalleria->gridSize();
    const QSize view = lstGalleria->viewport()->size();
    if (rows == 0 || cell.isEmpty() || view.isEmpty()) {
        m_first = 0;
        m_last = -1;
        m_model->setVisibleRows(0, -1, 0);
        return;
    }
    // The grid is uniform and fills each line from the left, so the rows on
    // screen follow from the scroll position without asking the view.
    const int columns = qMax(1, view.width() / cell.width());
    const int top = lstGalleria->verticalScrollBar()->value();
    const int firstLine = top / cell.height();
    const int lastLine = (top + view.height() - 1) / cell.height();
    m_first = qMin(rows - 1, firstLine * columns);
    m_last = qMin(rows - 1, (lastLine + 1) * columns - 1);
    // One screen ahead and one behind, for the next scroll.
    m_model->setVisibleRows(m_first, m_last, (lastLine - firstLine + 1) * columns);
}

void TfrmGalleria::updateCount()
{
    QString text = QStringLiteral("Schede mostrate: %1 su %2").arg(m_model->rowCount()).arg(m_model->total());
    if (m_model->waiting() > 0)
        text += QStringLiteral("  -  preparazione delle foto in corso (%1 da mostrare)").arg(m_model->waiting());
    if (!m_wholeArchive)
        text += QStringLiteral("  -  l'archivio non è stato letto per intero");
    lblConteggio->setText(text);
}

void TfrmGalleria::lstGalleriaDblClick(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    const qint32 number = m_model->numberAt(index.row());
    if (number < 1)
        return;
    emit recordChosen(number);
    close();
}

void TfrmGalleria::txtFiltroChange(const QString& text)
{
    m_model->setFilter(text);
    if (m_model->rowCount() > 0)
        lstGalleria->setCurrentIndex(m_model->index(0));
    lstGalleria->scrollToTop();
    scheduleVisibleRows();
}

void TfrmGalleria::sldDimensioneChange(int side)
{
    // The card in focus stays in sight while the tiles change size.
    const QModelIndex current = lstGalleria->currentIndex();
    m_delegate->setTileSide(side, m_ratio);
    m_model->setTileSide(side);
    lstGalleria->setGridSize(m_delegate->cellSize());
    lstGalleria->verticalScrollBar()->setSingleStep(m_delegate->cellSize().height() / 4);
    if (current.isValid())
        lstGalleria->scrollTo(current);
    scheduleVisibleRows();
}

void TfrmGalleria::cmdChiudiClick()
{
    close();
}
