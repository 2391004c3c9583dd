#include "gui/widgets/DropTarget.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QRegularExpression>
#include <QUrl>
#include <QWidget>

TDropTarget::TDropTarget(const Wants& wants, const Take& take, QObject* parent)
    : QObject(parent), m_wants(wants), m_take(take)
{}

void TDropTarget::addWidget(QWidget* widget)
{
    widget->setAcceptDrops(true);
    widget->installEventFilter(this);
}

QString TDropTarget::singleFile(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return {};
    const QString path = urls.first().toLocalFile();
    return QFileInfo(path).isFile() ? path : QString();
}

bool TDropTarget::matchesFilter(const QString& path, const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    const QString name = QFileInfo(path).fileName();
    for (qsizetype i = 1; i < parts.size(); i += 2) {
        for (const QString& pattern : parts[i].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(pattern.trimmed()),
                                        QRegularExpression::CaseInsensitiveOption);
            if (re.match(name).hasMatch())
                return true;
        }
    }
    return false;
}

bool TDropTarget::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QMimeData* data = drop->mimeData();
        // A drag of text alone is the widget's own business.
        if (data && !data->hasUrls() && watched->inherits("QLineEdit"))
            return QObject::eventFilter(watched, event);
        const QString path = singleFile(data);
        const bool wanted = !path.isEmpty() && m_wants(path);
        if (!wanted) {
            drop->ignore();
            return true;
        }
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        if (event->type() == QEvent::Drop)
            m_take(path);
        return true;
    }
    default: return QObject::eventFilter(watched, event);
    }
}
