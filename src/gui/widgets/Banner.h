#pragma once
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QWidget>

// The heading picture of the small windows. The texts it carries are drawn
// in the picture; they are also its accessible name, for screen readers.
class TBanner : public QWidget {
    Q_OBJECT
public:
    TBanner(const QString& objectName, const QString& picturePath, const QStringList& texts, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_picture;
    QPixmap m_drawn; // the picture at the size last shown, rendered once
};
