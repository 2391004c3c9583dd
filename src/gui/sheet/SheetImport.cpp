// The record sheet's import command: the file, then the import window over
// the open archive.
#include "gui/sheet/frmCartoline.h"
#include "gui/sheet/frmImporta.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/FailureMessages.h"

void TfrmCartoline::cmdImportaClick()
{
    Dialogs::FileRequest request = Dialogs::importRequest(QStringLiteral("Scegliere il file da importare"));
    const QString file = Dialogs::fileName(this, request);
    if (!file.isEmpty())
        importFrom(file);
}

void TfrmCartoline::importFrom(const QString& filePath)
{
    TfrmImporta frmImporta(this, filePath, m_collection.path(), m_collection.name());
    if (!frmImporta.load())
        return;
    connect(&frmImporta, &TfrmImporta::imported, this, [this](qint32 first, qint32) {
        forgetPreparedPhotos(); // the new cards' photos were not there before
        m_knownCount = 0;
        subMostraScheda(first);
    });
    connect(&frmImporta, &TfrmImporta::undone, this, [this] {
        forgetPreparedPhotos();
        m_knownCount = 0;
        // Back to the last card left, or to a new card when none is.
        const auto last = m_collection.step(TOpenCollection::Move::Last);
        if (!last)
            FailureMessages::log(last.failure());
        if (last && last.value().target > 0)
            subMostraScheda(last.value().target);
        else
            subNuovaScheda();
    });
    frmImporta.exec();
}
