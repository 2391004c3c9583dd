#pragma once
// Shared fixtures of the GUI tests: a scratch program folder, scripted
// dialogs, and widgets found by objectName.
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include "storage/ProgramFolder.h"
#include "ui/Dialogs.h"

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

// Texts of the boxes shown since the last call.
inline QStringList shownTexts()
{
    QStringList texts;
    for (const Dialogs::Shown& s : Dialogs::takeShown())
        texts << s.text;
    return texts;
}
