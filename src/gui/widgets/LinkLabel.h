#pragma once
#include <QColor>
#include <QLabel>

class QAbstractButton;

// The link text of the help windows: Tahoma 14 underlined, dark blue; orange
// while the mouse button is held on it or on its picture, dark blue again on
// release. A click (press and release on it) emits clicked().
class TLinkLabel : public QLabel {
    Q_OBJECT
public:
    TLinkLabel(const QString& objectName, const QString& text, QWidget* parent);

    QColor colour() const { return m_colour; }
    void setColour(QColor colour);

    // The picture beside the link colours the link the same way.
    void pairWith(QAbstractButton* picture);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QColor m_colour;
    bool m_pressed = false;
};
