#pragma once
// A benchmark's program: a scratch program folder with the window set over
// it, and the record sheet on the archive "<name>.dbm" in that folder (the
// benchmark writes the archive).
#include <QLabel>
#include <QString>
#include <QTemporaryDir>

#include <memory>

#include "core/archive/ProgramFolder.h"
#include "gui/app/WindowSet.h"
#include "gui/sheet/frmCartoline.h"

class SheetBench {
public:
    explicit SheetBench(const QString& name)
    {
        ProgramFolder::setOverride(m_folder.path());
        archive = ProgramFolder::path() + name + QStringLiteral(".dbm");
        windows = std::make_unique<TWindowSet>();
        windows->onTerminate = [] {};
        sheet = windows->frmCartoline;
        sheet->openArchive(archive, name);
    }
    ~SheetBench()
    {
        windows.reset();
        ProgramFolder::setOverride({});
    }
    SheetBench(const SheetBench&) = delete;
    SheetBench& operator=(const SheetBench&) = delete;

    QString archive;
    std::unique_ptr<TWindowSet> windows;
    TfrmCartoline* sheet = nullptr;

private:
    QTemporaryDir m_folder; // removed with everything in it
};
