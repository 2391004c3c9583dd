// The record sheet's standard keys: each clicks its command of the bar, so
// that saving by key moves the focus off the field being edited exactly as
// the command does. Their hints name them.
#include "gui/sheet/frmCartoline.h"
#include "gui/widgets/Keys.h"
#include "gui/widgets/PictureButton.h"

void TfrmCartoline::bindKeys()
{
    const std::pair<QKeySequence::StandardKey, TPictureButton*> keys[] = {
        {QKeySequence::Save, cmdSalva},
        {QKeySequence::New, cmdNuovo},
        {QKeySequence::Find, cmdTrova},
        {QKeySequence::Print, cmdStampa},
        {QKeySequence::MoveToPreviousPage, cmdIndietro},
        {QKeySequence::MoveToNextPage, cmdAvanti},
        {QKeySequence::MoveToStartOfDocument, cmdPrimo},
        {QKeySequence::MoveToEndOfDocument, cmdUltimo},
        {QKeySequence::HelpContents, cmdGuida},
    };
    for (const auto& [key, command] : keys)
        Keys::bind(this, key, command, m_hints);
}
