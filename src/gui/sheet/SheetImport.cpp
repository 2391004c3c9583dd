// The record sheet's import command: the file, then the import window over
// the open archive.
#include "core/archive/Archivio.h"
#include "gui/sheet/frmCartoline.h"
#include "gui/sheet/frmImporta.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/FailureMessages.h"

void TfrmCartoline::cmdImportaClick()
{
    Dialogs::FileRequest request;
    request.title = QStringLiteral("Scegliere il file da importare");
    request.filter = QStringLiteral("Fogli di calcolo e file CSV|*.xls;*.xlsx;*.ods;*.fods;*.csv;*.txt|"
                                    "Tutti i file|*");
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
        qint32 count = 0;
        try {
            TArchivio archive;
            archive.ApriArchivio(m_collection.path());
            count = archive.ContaSchede();
            archive.ChiudiArchivio();
        } catch (const EArchivioError& e) {
            FailureMessages::log(e.failure());
        }
        if (count > 0)
            subMostraScheda(count);
        else
            subNuovaScheda();
    });
    frmImporta.exec();
}
