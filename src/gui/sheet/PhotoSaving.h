#pragma once
#include <QString>

#include "core/photos/Photo.h"
#include "gui/widgets/Dialogs.h"

class QWidget;

// Saving a photo to a file the user chooses, as the record sheet's slots and
// the webcam window do it.
namespace PhotoSaving {

// The save dialog: JPEG filter, overwrite asked, ".jpg" added to a bare name.
Dialogs::FileRequest request();

// Offers "Foto.jpg" in `dialog` and writes `photo` where the user says, in
// the format the extension names. A failed write changes nothing but shows
// `failedMessage` (its %1 the path) as a warning: the photo on screen may be
// the user's only copy. Cancelling does nothing.
void saveToDisk(QWidget* parent, Dialogs::FileRequest& dialog, const TPhoto& photo, const QString& failedMessage);

} // namespace PhotoSaving
