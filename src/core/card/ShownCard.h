#pragma once
#include <QMap>
#include <QString>

#include "core/archive/Scheda.h"
#include "core/photos/Photo.h"

// The card as the sheet shows it at one moment, unsaved edits included:
// what the printed card is filled from.
struct TShownCard {
    QString archiveName;
    QMap<Campo, QString> texts; // the 21 edit fields as typed
    TPhoto photoA;              // as its slot holds it
};
