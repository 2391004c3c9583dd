#pragma once
#include <QString>

#include <array>

#include "core/archive/Scheda.h"
#include "core/card/Card.h"

// What the record sheet holds besides what its fields and photo slots show:
// the open archive and where the card on screen stands in it. The sheet's
// hidden labels mirror it for whoever looks at them by name.
struct TSheetState {
    QString archivePath; // the archive file, trimmed
    QString archiveName; // names the photo files of its cards
    qint32 number = 0;   // the card's record number; 0 for a new card not yet in the archive
    TAttachments attachments;

    bool isNewCard() const { return number == 0; }
};
