#pragma once
#include <QString>

#include <optional>

#include "core/photos/PhotoPreparer.h"
#include "gui/photos/frmZoom.h"

class QLabel;
class QTimer;
class TPictureButton;

// Slideshow: photo A of every card of the record sheet's archive, full
// screen, one every six seconds and round again, until a click anywhere.
// It walks the archive by itself and leaves the sheet's card alone.
//
// It has the zoom window's frame (maximised gradient, a photo area of the
// screen less 60 by 90, closing on a click on the photo or around it) and
// adds the timed walk.
//
// Each photo is decoded at the size it is shown, off this thread, while the
// previous one is on screen (the record sheet's way of reading ahead): a
// tick only swaps in a picture that is ready.
class TfrmSlideshow_Euro_01 : public TfrmZoom {
    Q_OBJECT
public:
    static constexpr int kIntervallo = 6000; // milliseconds between ticks

    // Over the archive at `archivePath`, whose photos are named after `archiveName`.
    TfrmSlideshow_Euro_01(QWidget* owner, const QString& archivePath, const QString& archiveName);

    QTimer* Timer;

    // One tick: the next card's photo, the rewind after the last card, or
    // the end on an empty archive.
    void cmdAvantiClick();
    // Photo A of the card on screen into imgFoto: at once when it was read
    // ahead, otherwise when it has been read off this thread (the picture
    // before it stays, dimmed, meanwhile).
    void subApriFoto();

    // Benchmarks and tests: waits until the photo on its way is shown and
    // the photo of the next showing is prepared.
    void waitForPrepared();

protected:
    void showEvent(QShowEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The card on screen, mirrored by lblPosizione: none before the first
    // tick and after an empty archive, 0 after the rewind past the last.
    void showPosition(std::optional<qint32> position);
    QString photoPathOf(int record) const;
    void prepare(int record);

    TImageView* imgBianco;
    QLabel* lblPosizione;
    TPictureButton* cmdAvanti;

    QString m_archivePath;
    QString m_archiveName;
    std::optional<qint32> m_position;
    // The photo of the next showing, and the one on show (read late, it must
    // not push the next one out); shared with a reading under way, which
    // may end after the window.
    std::shared_ptr<TPhotoPreparer> m_preparer = std::make_shared<TPhotoPreparer>(2);
    // Tells the photo the window waits for from those of earlier ticks.
    std::shared_ptr<std::atomic<quint64>> m_photoTicket = std::make_shared<std::atomic<quint64>>(0);
    int m_next = 0; // the record prepared for the next showing
    bool m_boxOpen = false;
};
