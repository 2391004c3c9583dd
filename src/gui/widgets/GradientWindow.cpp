#include "gui/widgets/GradientWindow.h"

#include "gui/widgets/Accessibility.h"

#include <QCloseEvent>
#include <QLinearGradient>
#include <QPainter>

TGradientPanel::TGradientPanel(QColor top, QColor bottom, QWidget* parent)
    : QWidget(parent), m_top(top), m_bottom(bottom)
{}

void TGradientPanel::setColors(QColor top, QColor bottom)
{
    m_top = top;
    m_bottom = bottom;
    update();
}

void TGradientPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, m_top);
    gradient.setColorAt(1, m_bottom);
    painter.fillRect(rect(), gradient);
}

TGradientWindow::TGradientWindow(QColor top, QColor bottom, QSize panelSize, QWidget* parent)
    : TGradientPanel(top, bottom, parent), m_panel(new QWidget(this))
{
    m_panel->setObjectName(QStringLiteral("panContenuto"));
    m_panel->setFixedSize(panelSize);
    setMinimumSize(640, 480);
    resize(panelSize + QSize(40, 40));
}

void TGradientWindow::setBottomBar(QWidget* bar, int height)
{
    m_bottomBar = bar;
    m_bottomReserve = height;
    placePanel();
}

void TGradientWindow::placePanel()
{
    const int freeHeight = height() - m_bottomReserve;
    const int x = std::max(0, (width() - m_panel->width()) / 2);
    const int y = std::max(0, (freeHeight - m_panel->height()) / 2);
    m_panel->move(x, y);
    if (m_bottomBar)
        m_bottomBar->setGeometry(0, height() - m_bottomReserve, width(), m_bottomReserve);
}

void TGradientWindow::resizeEvent(QResizeEvent* event)
{
    TGradientPanel::resizeEvent(event);
    placePanel();
}

void TGradientWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    FormClose();
}

void TGradientPanel::showEvent(QShowEvent* event)
{
    Accessibility::nameControls(this);
    QWidget::showEvent(event);
}

void TGradientWindow::showEvent(QShowEvent* event)
{
    TGradientPanel::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}
