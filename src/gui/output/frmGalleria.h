#pragma once
#include <QFontMetrics>
#include <QStyledItemDelegate>

#include "gui/widgets/FixedWindow.h"

class QLabel;
class QLineEdit;
class QListView;
class QSlider;
class QTimer;
class TGalleryModel;
class THints;
class TPictureButton;

// How a tile is drawn: its picture (or the placeholder, marked when the
// photo cannot be read), then the card's number and "Nome modellino".
class TGalleryTileDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TGalleryTileDelegate(QObject* parent = nullptr);

    void setTileSide(int side, qreal devicePixelRatio);
    // The whole cell of a tile: picture, two lines of text and a border.
    QSize cellSize() const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    int m_side = 160;
    qreal m_ratio = 1.0;
    QImage m_placeholder; // at the picture size, rendered once per size
    QFont m_numberFont;
    QFont m_nameFont;
    QFontMetrics m_nameMetrics;
    int m_numberHeight;
};

// The gallery: every card of the sheet's archive as a tile of its photo,
// in a grid the collector scrolls through, narrows by a text and brings a
// card from to the sheet. Per use: created by the sheet's gallery command,
// shown modally, discarded when it closes.
//
// The names are read once as the window opens; the pictures come from the
// thumbnail cache on other threads, the tiles on screen first, so the grid
// moves at once while they arrive.
class TfrmGalleria : public TModalWindow {
    Q_OBJECT
public:
    static constexpr int kSmallest = 96;
    static constexpr int kLargest = 384;
    static constexpr int kInitialSide = 160;

    TfrmGalleria(QWidget* owner, const QString& archivePath, const QString& archiveName);
    ~TfrmGalleria() override;

    TGalleryModel* model() const { return m_model; }

    // Hands the tile's card to the sheet (recordChosen), then closes.
    void lstGalleriaDblClick(const QModelIndex& index);
    void txtFiltroChange(const QString& text);
    void sldDimensioneChange(int side);
    void cmdChiudiClick();

    // The rows on screen, as the model was last told them.
    int firstVisibleRow() const { return m_first; }
    int lastVisibleRow() const { return m_last; }
    // Tells the model which rows are on screen now (done by itself after
    // every scroll or resize, at the next turn of the event loop).
    void noteVisibleRows();

signals:
    // A tile was chosen: its card, for the sheet to show.
    void recordChosen(qint32 number);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateCount();
    void scheduleVisibleRows();

    QLabel* lblTitolo;
    QLineEdit* txtFiltro;
    QSlider* sldDimensione;
    QLabel* lblConteggio;
    QListView* lstGalleria;
    TPictureButton* cmdChiudi;
    QLabel* panInfo;

    THints* m_hints;
    TGalleryModel* m_model;
    TGalleryTileDelegate* m_delegate;
    QTimer* m_visibleTimer;
    qreal m_ratio = 1.0; // of the screen the window opens on
    bool m_wholeArchive = true;
    int m_first = 0;
    int m_last = -1;
};
