#pragma once
#include <QColor>
#include <QList>
#include <QString>
#include <QWidget>

// The white heading picture of the small windows: the drawn picture where
// the program has one, otherwise its sign, its words and any further lines.
class TBanner : public QWidget {
    Q_OBJECT
public:
    struct Line {
        QString text;
        QColor colour;
    };

    TBanner(const QString& objectName, const QString& picturePath, const QString& iconPath,
            const QString& words, QWidget* parent, const QList<Line>& lines = {});

    QString words() const { return m_words; }
    const QList<Line>& lines() const { return m_lines; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_picture;
    QString m_icon;
    QString m_words;
    QList<Line> m_lines;
};
