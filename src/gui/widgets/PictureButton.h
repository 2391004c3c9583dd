#pragma once
#include <QAbstractButton>
#include <QColor>
#include <QString>

class QSvgRenderer;

// A clickable picture: the commands of the program are pictures that carry
// their label, drawn from an SVG icon and/or a caption. Hand cursor, a light
// glow on hover, pressed look while held.
class TPictureButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Style {
        Picture,   // the picture alone (icons, photos, badges)
        Captioned, // a glossy button carrying a caption, optionally an icon
        Flat       // the picture with a caption under it, no button body
    };

    TPictureButton(const QString& objectName, const QString& iconPath, const QString& caption, Style style,
                   QWidget* parent);

    void setIconPath(const QString& path);
    void setBodyColor(QColor color);
    void setHint(const QString& hint) { m_hint = hint; }
    QString hint() const { return m_hint; }
    void setCircular(bool circular)
    {
        m_circular = circular;
        update();
    }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QSvgRenderer* m_renderer = nullptr;
    Style m_style;
    QColor m_body{0x1F, 0x5C, 0x99};
    QString m_hint;
    bool m_hover = false;
    bool m_circular = false;
};
