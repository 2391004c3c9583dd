#include "gui/widgets/Panels.h"

#include <QFrame>

namespace Panels {

namespace {

QFrame* rounded(QWidget* parent, const QString& name, const QRect& geometry, const char* background, int radius)
{
    auto* frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setGeometry(geometry);
    frame->setStyleSheet(QStringLiteral("QFrame#%1 { background: %2; border-radius: %3px; }")
                             .arg(name, QLatin1String(background))
                             .arg(radius));
    return frame;
}

} // namespace

QFrame* background(QWidget* window, const QRect& geometry)
{
    return rounded(window, QStringLiteral("panSfondo"), geometry, "rgba(255,255,255,110)", 12);
}

QFrame* strip(QWidget* panel, const QString& name, const QRect& geometry)
{
    return rounded(panel, name, geometry, "white", 10);
}

} // namespace Panels
