// "Duplica": a new card from the one on screen, for the collector whose next
// model differs from this one in a few fields only.
#include <QCheckBox>
#include <QLineEdit>

#include "gui/sheet/PhotoSlot.h"
#include "gui/sheet/frmCartoline.h"

void TfrmCartoline::cmdDuplicaClick()
{
    // The photos go along as pictures in the slots; the first save writes
    // them under the new card's number. A placeholder that stood for an
    // unreadable file is only a placeholder now: the new number's files, if
    // any lie there from an earlier archive of the same name, are not this
    // card's.
    settlePhotos();
    for (TPhotoSlot* slot : {m_photoA, m_photoB}) {
        if (slot->isUnread())
            slot->showPlaceholder();
    }
    // Being for sale and the attached files belong to the model in hand,
    // not to the next one.
    chkInVendita->setChecked(false);
    m_attachments = {};
    // Not yet in the archive: "Salva" appends it, never over the original.
    m_collection.startNewCard();
    mirrorState();
    forgetPreparedPhotos();
    txtNome->setFocus();
}
