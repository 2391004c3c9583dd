#pragma once
#include "core/photos/Photo.h"
#include "gui/widgets/FixedWindow.h"

class TImageView;

// Shows one photo of the record sheet as large as the screen allows; a click
// on the photo or around it closes the window. Per use: created by a zoom
// button with a copy of the slot's photo, shown modally, then discarded.
class TfrmZoom : public TModalWindow {
    Q_OBJECT
public:
    explicit TfrmZoom(QWidget* owner, const TPhoto& photo = {});

    // The area of the panel and of the photo for a screen of this size (in
    // logical units): the screen less 60 across and less 90 down.
    static QSize areaFor(QSize screen);

    void imgFotoClick();
    void panContainerClick();

protected:
    void FormShow();
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    QWidget* panContainer;
    TImageView* imgFoto;

private:
    void centrePanel();
};
