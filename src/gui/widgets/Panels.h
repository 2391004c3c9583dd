#pragma once
#include <QRect>
#include <QString>

class QFrame;
class QWidget;

// The rounded frames of the windows of our own (export, statistics,
// versions, import, bin): one look, written once.
namespace Panels {

// The translucent panel "panSfondo" that holds the window's controls.
QFrame* background(QWidget* window, const QRect& geometry);
// A white strip named `name` on the panel, under a row of commands or options.
QFrame* strip(QWidget* panel, const QString& name, const QRect& geometry);

} // namespace Panels
