#include "gui/shell/WindowSet.h"

#include <QApplication>
#include <QThread>
#include <QTimer>

#include <utility>

#include "core/archive/Archivio.h"
#include "gui/catalogue/frmApriCatalogo.h"
#include "gui/catalogue/frmCreaCatalogo.h"
#include "gui/sheet/frmCartoline.h"
#include "gui/shell/frmAvvio.h"
#include "gui/shell/frmCambiaPassword.h"
#include "gui/shell/frmPassword.h"
#include "gui/widgets/Look.h"

TWindowSet::TWindowSet()
{
    // Windows hand over by hiding themselves; the program ends only on an
    // explicit exit command, never because no window happens to be visible.
    QApplication::setQuitOnLastWindowClosed(false);
    onTerminate = [] { QCoreApplication::quit(); };
    // While an archive action waits for another workstation's lock, the
    // pointer says the program is busy rather than frozen.
    TArchivio::ImpostaAvvisoAttesa([](bool inAttesa) {
        if (QThread::currentThread() != QCoreApplication::instance()->thread())
            return;
        if (inAttesa)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    });

    frmPassword = new TfrmPassword;
    frmApriCatalogo = new TfrmApriCatalogo;
    frmAvvio = new TfrmAvvio;
    frmCambiaPassword = new TfrmCambiaPassword;
    frmCartoline = new TfrmCartoline;
    frmCreaCatalogo = new TfrmCreaCatalogo;
    connectHandOvers();
}

void TWindowSet::connectHandOvers()
{
    // Each connection runs at once, inside the emitting window's handler, so
    // the next window is on screen before that handler returns.
    QObject::connect(frmPassword, &TfrmPassword::accessGranted, frmPassword,
                     [this] { handOver(frmPassword, frmAvvio); });
    QObject::connect(frmPassword, &TfrmPassword::changePasswordRequested, frmPassword,
                     [this] { handOver(frmPassword, frmCambiaPassword); });
    QObject::connect(frmPassword, &TfrmPassword::exitRequested, frmPassword, [this] { terminate(); });

    // Back at the login, whatever closed the change-password window: the
    // login starts again from an empty field.
    QObject::connect(frmCambiaPassword, &TfrmCambiaPassword::closed, frmCambiaPassword, [this] {
        frmPassword->clearEntry();
        handOver(frmCambiaPassword, frmPassword);
    });

    QObject::connect(frmAvvio, &TfrmAvvio::createRequested, frmAvvio, [this] { handOver(frmAvvio, frmCreaCatalogo); });
    QObject::connect(frmAvvio, &TfrmAvvio::openRequested, frmAvvio, [this] { handOver(frmAvvio, frmApriCatalogo); });
    QObject::connect(frmAvvio, &TfrmAvvio::exitRequested, frmAvvio, [this] { terminate(); });

    // From a spreadsheet: the file, the new archive's name through the create
    // window with its rules, then the sheet on the new archive with the import
    // window over it.
    QObject::connect(frmAvvio, &TfrmAvvio::importRequested, frmAvvio, [this](const QString& file) {
        m_importFile = file;
        m_importArchivePath.clear();
        handOver(frmAvvio, frmCreaCatalogo);
    });
    QObject::connect(frmCreaCatalogo, &TfrmCreaCatalogo::created, frmCreaCatalogo,
                     [this](const QString& path, const QString& name) {
                         m_importArchivePath = path;
                         m_importArchiveName = name;
                     });
    QObject::connect(frmCreaCatalogo, &TfrmCreaCatalogo::closed, frmCreaCatalogo, [this] {
        const QString file = std::exchange(m_importFile, QString());
        const QString path = std::exchange(m_importArchivePath, QString());
        if (file.isEmpty() || path.isEmpty()) {
            handOver(frmCreaCatalogo, frmAvvio);
            return;
        }
        frmCartoline->openArchive(path, m_importArchiveName);
        handOver(frmCreaCatalogo, frmCartoline);
        // Once the sheet is up and the create window's close is over.
        QTimer::singleShot(0, frmCartoline, [this, file] { frmCartoline->importFrom(file); });
    });

    QObject::connect(frmApriCatalogo, &TfrmApriCatalogo::closed, frmApriCatalogo,
                     [this] { handOver(frmApriCatalogo, frmAvvio); });
    QObject::connect(frmApriCatalogo, &TfrmApriCatalogo::archiveChosen, frmApriCatalogo,
                     [this](const QString& path, const QString& name) {
                         frmCartoline->openArchive(path, name);
                         handOver(frmApriCatalogo, frmCartoline);
                     });

    QObject::connect(frmCartoline, &TfrmCartoline::closed, frmCartoline, [this] { handOver(frmCartoline, frmAvvio); });
}

TWindowSet::~TWindowSet()
{
    delete frmCreaCatalogo;
    delete frmCartoline;
    delete frmCambiaPassword;
    delete frmAvvio;
    delete frmApriCatalogo;
    delete frmPassword;
}

void TWindowSet::start()
{
    frmPassword->show();
}

void TWindowSet::handOver(QWidget* from, QWidget* to)
{
    if (to->property("maximised").toBool())
        Look::showMaximised(to);
    else
        to->show();
    if (from != to)
        from->hide();
}

void TWindowSet::terminate()
{
    if (onTerminate)
        onTerminate();
}
