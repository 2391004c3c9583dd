#pragma once
// Shared fixtures of the GUI tests: a scratch program folder, scripted
// dialogs, and widgets found by objectName.
#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "ArchiveFixtures.h"
#include "core/archive/Archivio.h"
#include "core/archive/ProgramFolder.h"
#include "core/system/TMisc.h"
#include "gui/app/WindowSet.h"
#include "gui/sheet/frmCartoline.h"
#include "gui/shell/frmAvvio.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/Look.h"

#include <functional>
#include <memory>

// The program's date and amount conventions, installed once as the test's
// application object starts, as the program's own application object does.
inline void applyProgramFormats()
{
    Look::applyProcessFormats();
}
Q_COREAPP_STARTUP_FUNCTION(applyProgramFormats)

// A program folder of its own for one test, and dialogs answered by script.
class TestProgram {
public:
    TestProgram()
    {
        ProgramFolder::setOverride(m_dir.path());
        Dialogs::setScripted(true);
        Dialogs::clear();
    }
    ~TestProgram()
    {
        Dialogs::clear();
        ProgramFolder::setOverride({});
    }
    QString folder() const { return ProgramFolder::path(); }
    QString file(const QString& name) const { return folder() + name; }

private:
    QTemporaryDir m_dir;
};

// The named child of a window; fails the test when it is missing.
template <typename T> T* named(const QObject* parent, const char* name)
{
    T* child = parent->findChild<T*>(QString::fromLatin1(name));
    if (!child)
        qFatal("no child named %s", name);
    return child;
}

template <typename T, typename P> T* named(const std::unique_ptr<P>& parent, const char* name)
{
    return named<T>(parent.get(), name);
}

// Both photos of the card on the sheet are in their slots: none is still
// being read off the user-interface thread. For QTRY_VERIFY.
inline bool photosShown(const QObject* sheet)
{
    for (const char* name : {"imgFoto", "imgFoto02"}) {
        const QWidget* image = sheet->findChild<QWidget*>(QString::fromLatin1(name));
        if (!image || image->property("loading").toBool())
            return false;
    }
    return true;
}

// Texts of the boxes shown since the last call.
inline QStringList shownTexts()
{
    QStringList texts;
    for (const Dialogs::Shown& s : Dialogs::takeShown())
        texts << s.text;
    return texts;
}

// A fresh archive at `path` holding `count` cards named "Modello 1", "Modello 2"...
inline void writeArchive(const QString& path, int count)
{
    QList<TScheda> records(count);
    for (int i = 0; i < count; ++i)
        records[i].ScriviCampo(Campo::Nome, QStringLiteral("Modello %1").arg(i + 1));
    writeRecords(path, records);
}

// Shows the record sheet on the archive at `path`, as the open window does.
inline bool openRecordSheet(TWindowSet& windows, const QString& path, const QString& name)
{
    TfrmCartoline* sheet = windows.frmCartoline;
    sheet->openArchive(path, name);
    TWindowSet::handOver(windows.frmAvvio, sheet);
    return QTest::qWaitForWindowExposed(sheet);
}

// A scratch program folder with the window set over it: the record sheet and
// the windows it opens, without the login in front.
class SheetProgram {
public:
    SheetProgram()
    {
        windows.onTerminate = [] {};
        sheet = windows.frmCartoline;
    }
    TestProgram program;
    TWindowSet windows;
    TfrmCartoline* sheet = nullptr;
};

// For a test class: a fresh SheetProgram for every test function, reached
// through `program`, `windows` and `sheet`. init() calls startSheetProgram(),
// cleanup() endSheetProgram().
class SheetProgramTest {
protected:
    void startSheetProgram()
    {
        m_fixture = std::make_unique<SheetProgram>();
        program = &m_fixture->program;
        windows = &m_fixture->windows;
        sheet = m_fixture->sheet;
    }
    void endSheetProgram()
    {
        sheet = nullptr;
        windows = nullptr;
        program = nullptr;
        m_fixture.reset();
    }

    TestProgram* program = nullptr;
    TWindowSet* windows = nullptr;
    TfrmCartoline* sheet = nullptr;

private:
    std::unique_ptr<SheetProgram> m_fixture;
};

// Stands in for the desktop while it lives: keeps, in order, each command
// TMisc::Open was given instead of opening anything.
class OpenedRecorder {
public:
    OpenedRecorder()
    {
        TMisc::setHandler([this](const QString& command, const QUrl&) { commands << command; });
    }
    ~OpenedRecorder() { TMisc::setHandler({}); }
    OpenedRecorder(const OpenedRecorder&) = delete;
    OpenedRecorder& operator=(const OpenedRecorder&) = delete;

    QStringList commands;
};

// Clicks `button`, whose file dialog will be answered with `path`.
inline void clickChoosingFile(QAbstractButton* button, const QString& path)
{
    Dialogs::setNextFileName(path);
    QTest::mouseClick(button, Qt::LeftButton);
}

// Fills the five fields a card needs before it can be saved.
inline void fillRequiredFields(TfrmCartoline* sheet)
{
    named<QLineEdit>(sheet, "txtNome")->setText(QStringLiteral("Amerigo Vespucci"));
    named<QLineEdit>(sheet, "txtTipologia")->setText(QStringLiteral("Nave"));
    named<QLineEdit>(sheet, "txtProduttore")->setText(QStringLiteral("Amati"));
    named<QLineEdit>(sheet, "txtValore")->setText(QStringLiteral("250,00"));
    named<QLineEdit>(sheet, "txtScala")->setText(QStringLiteral("1:100"));
}

// Clicks `command`, which shows a modal window of type W owned by `owner`;
// `work` runs while it is up, and the window is closed if `work` left it
// open, so that a failing test never hangs in the modal loop. True when
// `work` ran and the window was discarded once closed.
template <typename W> bool whileModal(QObject* owner, QAbstractButton* command, const std::function<void(W*)>& work)
{
    bool ran = false;
    QTimer::singleShot(0, owner, [&] {
        QPointer<W> window = owner->findChild<W*>();
        if (!window || !QTest::qWaitFor([&] { return window->isVisible(); }))
            return;
        ran = true;
        work(window);
        if (window && window->isVisible())
            window->close();
    });
    QTest::mouseClick(command, Qt::LeftButton);
    return ran && !owner->findChild<W*>();
}

// Acts on the top-level window named `name` as soon as it shows (a modal
// window runs its own loop, so the test cannot act after opening it), then
// closes it if it is still open, so that a failing test never hangs there.
class OnWindow {
public:
    OnWindow(const QString& name, std::function<void(QWidget*)> act) : m_act(std::move(act))
    {
        m_poll.setInterval(5);
        QObject::connect(&m_poll, &QTimer::timeout, [this, name] {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (window->objectName() != name || !window->isVisible())
                    continue;
                m_poll.stop();
                seen = true;
                m_act(window);
                if (window->isVisible())
                    window->close();
                return;
            }
        });
        m_poll.start();
    }
    bool seen = false;

private:
    std::function<void(QWidget*)> m_act;
    QTimer m_poll;
};
