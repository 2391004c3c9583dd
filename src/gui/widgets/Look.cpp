#include "gui/widgets/Look.h"

#include "core/formats/ProcessFormats.h"
#include <QWidget>

namespace {
QFont named(const QString& family, QFont::StyleHint hint, int points, bool bold)
{
    QFont font(family, points, bold ? QFont::Bold : QFont::Normal);
    font.setStyleHint(hint);
    return font;
}
} // namespace

namespace Look {

QFont verdana(int points, bool bold)
{
    return named(QStringLiteral("Verdana"), QFont::SansSerif, points, bold);
}
QFont courierNew(int points, bool bold)
{
    return named(QStringLiteral("Courier New"), QFont::Monospace, points, bold);
}
QFont arial(int points, bool bold)
{
    return named(QStringLiteral("Arial"), QFont::SansSerif, points, bold);
}
QFont tahoma(int points, bool bold)
{
    return named(QStringLiteral("Tahoma"), QFont::SansSerif, points, bold);
}

void applyProcessFormats()
{
    // Italian conventions: decimal comma; dates are written day/month/four-digit
    // year through ProcessFormats, as the Italian locale's own short date has
    // a two-digit year.
    ProcessFormats::apply();
}

QString normalFieldStyle()
{
    return QStringLiteral("QLineEdit { background-color: #F0F8FF; border: 1px solid #87CEEB; padding: 0px 2px; }");
}

QString focusedFieldStyle()
{
    return QStringLiteral("QLineEdit { background-color: #FFFF00; border: 1px solid #87CEEB; padding: 0px 2px; }");
}

QString editFieldStyle()
{
    return normalFieldStyle() + QStringLiteral("QLineEdit:focus { background-color: #FFFF00; }");
}

void showMaximised(QWidget* window)
{
    window->setWindowState(window->windowState() | Qt::WindowMaximized);
    window->show();
}

} // namespace Look
