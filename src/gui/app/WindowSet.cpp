#include "gui/app/WindowSet.h"

#include <QApplication>
#include <QThread>
#include <QTimer>

#include <utility>

#include "core/archive/Archivio.h"
#include "gui/catalogue/frmApriCatalogo.h"
#include "gui/catalogue/frmCreaCatalogo.h"
#include "gui/help/GuideTexts.h"
#include "gui/help/frmGuida.h"
#include "gui/sheet/frmCartoline.h"
#include "gui/shell/OpenFromOutside.h"
#include "gui/shell/frmAvvio.h"
#include "gui/shell/frmCambiaPassword.h"
#include "gui/shell/frmPassword.h"
#include "gui/widgets/DropTarget.h"
#include "gui/widgets/Keys.h"
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
    bindGuideKey();

    // A collection dropped on the start window opens as one named on the command line.
    auto* drops = new TDropTarget(
        [](const QString& path) { return path.endsWith(QLatin1String(".dbm"), Qt::CaseInsensitive); },
        [this](const QString& path) { openFile(path); }, frmAvvio);
    drops->addWidget(frmAvvio);
}

void TWindowSet::bindGuideKey()
{
    // The windows opened over these offer their guide; the login and the
    // change-password window, before anything else, the start window's.
    const auto guide = [](GuideText (*text)()) {
        return [text](QWidget* owner) { TfrmGuida::showGuide(owner, text()); };
    };
    Keys::installGuideKey(guide(&GuideTexts::startWindow));
    Keys::setGuide(frmAvvio, guide(&GuideTexts::startWindow));
    Keys::setGuide(frmCreaCatalogo, guide(&GuideTexts::catalogue));
    Keys::setGuide(frmApriCatalogo, guide(&GuideTexts::catalogue));
    Keys::setGuide(frmCartoline, guide(&GuideTexts::recordSheet));
}

void TWindowSet::connectHandOvers()
{
    // Each connection runs at once, inside the emitting window's handler, so
    // the next window is on screen before that handler returns.
    QObject::connect(frmPassword, &TfrmPassword::accessGranted, frmPassword, [this] {
        m_loggedIn = true;
        handOver(frmPassword, frmAvvio);
        // A collection named while the login was open opens now.
        if (!m_pendingFile.isEmpty())
            QTimer::singleShot(0, frmAvvio, [this] { openPendingFile(); });
    });
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

QWidget* TWindowSet::currentWindow() const
{
    for (QWidget* w : std::initializer_list<QWidget*>{frmPassword, frmCambiaPassword, frmAvvio, frmCreaCatalogo,
                                                      frmApriCatalogo, frmCartoline}) {
        if (w->isVisible())
            return w;
    }
    return frmPassword;
}

void TWindowSet::bringForward()
{
    QWidget* window = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : currentWindow();
    if (window->isMinimized())
        window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->raise();
    window->activateWindow();
}

void TWindowSet::openFile(const QString& path)
{
    m_pendingFile = path;
    bringForward();
    if (m_loggedIn)
        openPendingFile();
}

void TWindowSet::openPendingFile()
{
    if (m_pendingFile.isEmpty())
        return;
    // A window open over the current one finishes first; the collection
    // waits for it rather than being pulled from under it.
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(250, frmAvvio, [this] { openPendingFile(); });
        return;
    }
    const QString path = std::exchange(m_pendingFile, QString());
    QWidget* from = currentWindow();
    const std::optional<OpenFromOutside::Archive> archive = OpenFromOutside::prepare(from, path);
    if (!archive)
        return;
    frmCartoline->openArchive(archive->path, archive->name);
    if (from == frmCartoline)
        frmCartoline->subNuovaScheda(); // shown already: it clears itself as when it is shown
    handOver(from, frmCartoline);
}

void TWindowSet::terminate()
{
    if (onTerminate)
        onTerminate();
}
