#pragma once
#include <QObject>
#include <QString>

#include <functional>

class QMimeData;
class QWidget;

// Makes widgets take one file dropped from the file manager. A drag that
// carries exactly one local file the target wants is accepted; any other
// drag is refused, so the pointer shows the refusal and a drop does nothing.
// Drags that carry no file at all go on to the widget itself (text dragged
// into an edit field stays the field's).
class TDropTarget : public QObject {
    Q_OBJECT
public:
    using Wants = std::function<bool(const QString& path)>;
    using Take = std::function<void(const QString& path)>;

    TDropTarget(const Wants& wants, const Take& take, QObject* parent);
    // The widget, and its children that would take drags of their own, become this target.
    void addWidget(QWidget* widget);

    // The one local file a drag carries, or an empty text.
    static QString singleFile(const QMimeData* data);
    // True when the file's name matches one of the patterns of a file
    // dialog's filter ("desc|*.jpg;*.jpeg|desc|*.bmp"), as the dialog would show it.
    static bool matchesFilter(const QString& path, const QString& filter);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Wants m_wants;
    Take m_take;
};
