#pragma once
#include <QImage>
#include <QWidget>

#include "core/photos/Photo.h"

// An image control: holds one photo at its full size and draws it by the
// display rule (centred, reduced to fit keeping its proportions, never
// enlarged). Only a picture of the drawn size is decoded and kept for
// drawing; the photo itself stays as it came (for a JPEG, its file bytes).
class TImageView : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool loading READ isLoading)
public:
    TImageView(const QString& objectName, QWidget* parent);

    // `prepared` is the photo already decoded at decodeSizeFor(photo), for a
    // caller that decoded it elsewhere (in parallel); otherwise the view
    // decodes it when first drawn.
    void setPhoto(const TPhoto& photo, const QImage& prepared = {});
    const TPhoto& photo() const { return m_photo; }

    // A photo on its way: the picture shown so far stays, dimmed, until
    // the next setPhoto(). Changes no photo, so emits nothing.
    void setLoading(bool loading);
    bool isLoading() const { return m_loading; }

    // Where the photo is drawn, in the view's coordinates.
    QRect drawnRect() const { return displayRect(m_photo.size(), size()); }
    // The size a photo is decoded to for drawing here.
    QSize decodeSizeFor(const TPhoto& photo) const;

signals:
    void clicked();
    // Every setPhoto(), whoever calls it.
    void photoChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TPhoto m_photo;
    QImage m_shown; // the photo at its drawn size
    bool m_loading = false;
};
