#include "gui/widgets/FixedWindow.h"

#include "gui/widgets/Accessibility.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>

namespace FixedWindow {

void setup(QWidget* window, const QString& caption, QSize inner)
{
    window->setWindowTitle(caption);
    window->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
                           | Qt::WindowTitleHint);
    window->setFixedSize(inner);
}

void centreOnScreen(QWidget* window)
{
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect area(QPoint(0, 0), window->size());
    area.moveCenter(screen->availableGeometry().center());
    window->move(area.topLeft());
}

void centreOnOwner(QWidget* window)
{
    QWidget* owner = window->parentWidget();
    if (!owner) {
        centreOnScreen(window);
        return;
    }
    QRect area(QPoint(0, 0), window->size());
    area.moveCenter(owner->window()->geometry().center());
    window->move(area.topLeft());
}

} // namespace FixedWindow

void TModalWindow::showEvent(QShowEvent* event)
{
    Accessibility::nameControls(this);
    QDialog::showEvent(event);
}

void TModalWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

TFixedDialog::TFixedDialog(QWidget* owner, const QString& objectName, const QString& caption, QSize inner, QColor top,
                           QColor bottom)
    : TModalWindow(owner), m_top(top), m_bottom(bottom)
{
    setObjectName(objectName);
    FixedWindow::setup(this, caption, inner);
    FixedWindow::centreOnScreen(this);
}

void TFixedDialog::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, m_top);
    gradient.setColorAt(1, m_bottom);
    painter.fillRect(rect(), gradient);
}
