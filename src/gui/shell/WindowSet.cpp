#include "gui/shell/WindowSet.h"

#include <QApplication>
#include <QThread>

#include "gui/sheet/frmCartoline.h"
#include "gui/shell/frmAvvio.h"
#include "gui/shell/frmCambiaPassword.h"
#include "gui/shell/frmPassword.h"
#include "core/archive/Archivio.h"
#include "gui/catalogue/frmApriCatalogo.h"
#include "gui/catalogue/frmCreaCatalogo.h"
#include "gui/widgets/Look.h"

TWindowSet::TWindowSet()
{
    // Windows hand over by hiding themselves; the program ends only on an
    // explicit exit command, never because no window happens to be visible.
    QApplication::setQuitOnLastWindowClosed(false);
    Look::applyProcessFormats();
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

    frmPassword = new TfrmPassword(*this);
    frmApriCatalogo = new TfrmApriCatalogo(*this);
    frmAvvio = new TfrmAvvio(*this);
    frmCambiaPassword = new TfrmCambiaPassword(*this);
    frmCartoline = new TfrmCartoline(*this);
    frmCreaCatalogo = new TfrmCreaCatalogo(*this);
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
