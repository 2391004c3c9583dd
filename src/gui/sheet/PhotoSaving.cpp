#include "gui/sheet/PhotoSaving.h"

#include "gui/widgets/FailureMessages.h"

namespace PhotoSaving {

Dialogs::FileRequest request()
{
    Dialogs::FileRequest dialog;
    dialog.mode = Dialogs::FileRequest::Save;
    dialog.title = QStringLiteral("Selezionare la cartella in cui si desidera salvare il file Jpeg.");
    dialog.filter = QStringLiteral("File Jpeg (*.jpg)|*.jpg");
    dialog.initialName = QStringLiteral("Foto.jpg");
    dialog.defaultSuffix = QStringLiteral("jpg");
    dialog.confirmOverwrite = true;
    return dialog;
}

void saveToDisk(QWidget* parent, Dialogs::FileRequest& dialog, const TPhoto& photo, const QString& failedMessage)
{
    dialog.initialName = QStringLiteral("Foto.jpg");
    const QString path = Dialogs::fileName(parent, dialog);
    if (path.isEmpty())
        return;
    TFailure failure;
    if (!photo.saveAs(path, &failure)) {
        FailureMessages::log(failure);
        Dialogs::warning(parent, failedMessage.arg(path));
    }
}

} // namespace PhotoSaving
