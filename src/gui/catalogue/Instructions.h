#pragma once
#include <QString>
#include <QStringList>

class QLabel;
class QWidget;

// The instruction picture of the catalogue windows: a title and its lines on
// a white card.
QLabel* makeInstructions(QWidget* parent, const QString& title, const QStringList& lines);
