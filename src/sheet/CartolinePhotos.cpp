#include "sheet/frmCartoline.h"

// The photo slots of the card; filled in with the photo work.
void TfrmCartoline::buildPhotoSlots(QWidget*) {}
void TfrmCartoline::subApriFotoScheda() {}
bool TfrmCartoline::subSalvaFotoScheda() { return true; }
void TfrmCartoline::subMostraSegnaposto() {}
