// The import of 100 000 cards, beside the export of the same archive in the
// same run: our own export read back, the same data as .xlsx and as .ods
// workbooks, and the preview the import window opens with.
//
// Goals: importing our own export at most 3 x the export (fill + write);
// importing the workbooks at most 5 x; the preview under 0.3 x the import of
// the same file; peak memory of an import under 3 x the file's size + 50 MB.
// The summary's whole count, which goes on after the preview shows, is
// measured beside them.
// The ratios are printed at the end; the peaks are counters.
#include "ArchivioDiProva.h"
#include "BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <quazip.h>
#include <quazipfile.h>
#include <quazipnewinfo.h>

#include "core/archive/ProgramFolder.h"
#include "core/export/Export.h"
#include "core/history/CardHistory.h"
#include "core/import/Importazione.h"

namespace {

using namespace ArchivioDiProva;

QString g_folder;

QString pathOf(const char* name)
{
    return g_folder + QString::fromLatin1(name);
}

QString xmlEscaped(const QString& s)
{
    return s.toHtmlEscaped();
}

bool addPart(QuaZip& zip, const QString& name, const QByteArray& bytes)
{
    QuaZipFile part(&zip);
    if (!part.open(QIODevice::WriteOnly, QuaZipNewInfo(name)))
        return false;
    const bool written = part.write(bytes) == bytes.size();
    part.close();
    return written && part.getZipError() == 0;
}

// The archive's exported columns as a workbook of our own making, written as
// Calc writes them: an OpenDocument content.xml, or an Office Open XML sheet
// with inline strings.
bool writeWorkbook(const QString& path, bool ods)
{
    QByteArray sheet;
    sheet.reserve(200 << 20);
    if (ods)
        sheet += "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content "
                 "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                 "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
                 "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body><office:spreadsheet>"
                 "<table:table table:name=\"Archivio\">";
    else
        sheet += "<?xml version=\"1.0\" encoding=\"UTF-8\"?><worksheet "
                 "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>";
    auto row = [&](const QStringList& cells) {
        sheet += ods ? "<table:table-row>" : "<row>";
        for (const QString& c : cells) {
            const QByteArray text = xmlEscaped(c).toUtf8();
            if (ods)
                sheet += "<table:table-cell office:value-type=\"string\"><text:p>" + text
                         + "</text:p></table:table-cell>";
            else
                sheet += "<c t=\"inlineStr\"><is><t>" + text + "</t></is></c>";
        }
        sheet += ods ? "</table:table-row>" : "</row>";
    };
    QStringList headers;
    for (const auto& c : Esportazione::Colonne)
        headers << QString::fromUtf8(c.intestazione);
    row(headers);
    for (int i = 1; i <= kSchede; ++i) {
        const TScheda s = schedaRealistica(i);
        QStringList cells;
        for (const auto& c : Esportazione::Colonne)
            cells << s.LeggiCampo(c.campo).trimmed();
        row(cells);
    }
    sheet += ods ? "</table:table></office:spreadsheet></office:body></office:document-content>"
                 : "</sheetData></worksheet>";
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdCreate))
        return false;
    bool ok = true;
    if (ods) {
        ok = addPart(zip, QStringLiteral("mimetype"), "application/vnd.oasis.opendocument.spreadsheet")
             && addPart(zip, QStringLiteral("content.xml"), sheet);
    } else {
        ok = addPart(zip, QStringLiteral("[Content_Types].xml"), "<?xml version=\"1.0\"?><Types/>")
             && addPart(zip, QStringLiteral("xl/workbook.xml"),
                        "<?xml version=\"1.0\"?><workbook "
                        "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>"
                        "<sheet name=\"Archivio\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>")
             && addPart(zip, QStringLiteral("xl/_rels/workbook.xml.rels"),
                        "<?xml version=\"1.0\"?><Relationships "
                        "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship "
                        "Id=\"rId1\" Target=\"worksheets/sheet1.xml\"/></Relationships>")
             && addPart(zip, QStringLiteral("xl/worksheets/sheet1.xml"), sheet);
    }
    zip.close();
    return ok && zip.getZipError() == 0;
}

void BM_Export(benchmark::State& state)
{
    for (auto _ : state) {
        TTabellaSchede tabella;
        tabella.Reimposta(10);
        Esportazione::RiempiDaArchivio(tabella, g_file);
        if (!Esportazione::ScriviFile(pathOf("Archivio_Modellini.xls"), tabella))
            state.SkipWithError("export failed");
    }
    state.SetItemsProcessed(state.iterations() * kSchede);
}

// A whole import of `source` into an empty archive, with its peak memory.
void importOf(benchmark::State& state, const QString& source)
{
    const QString target = pathOf("Importato.dbm");
    double peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(target);
        // Each import starts from an empty collection, its history too.
        QFile::remove(CardHistory::historyPath(target));
        QDir(CardHistory::photosFolder(target)).removeRecursively();
        BenchSupport::resetPeakMemory();
        const double before = BenchSupport::residentMB();
        state.ResumeTiming();
        Importazione::TImportazione imp;
        if (!imp.Apri(source)) {
            state.SkipWithError("cannot read the file");
            return;
        }
        const Importazione::Esito esito = imp.Importa(target, QStringLiteral("Importato"));
        if (esito.accodamento.quante != kSchede)
            state.SkipWithError("not every card came in");
        state.PauseTiming();
        peak = std::max(peak, BenchSupport::peakResidentMB() - before);
        state.ResumeTiming();
    }
    const double fileMB = double(QFileInfo(source).size()) / (1024.0 * 1024.0);
    state.counters["file_MB"] = fileMB;
    state.counters["peak_MB"] = peak;
    state.counters["bound_MB"] = 3 * fileMB + 50;
    state.SetItemsProcessed(state.iterations() * kSchede);
}

void BM_ImportOwnExport(benchmark::State& state)
{
    importOf(state, pathOf("Archivio_Modellini.xls"));
}

void BM_ImportXlsx(benchmark::State& state)
{
    importOf(state, pathOf("Archivio.xlsx"));
}

void BM_ImportOds(benchmark::State& state)
{
    importOf(state, pathOf("Archivio.ods"));
}

// What the import window does before it shows: the file read, the first rows
// matched and put back as they will be stored, and the first slice of the
// summary's count (the rest is counted while the preview is on screen).
void BM_ImportPreview(benchmark::State& state)
{
    for (auto _ : state) {
        Importazione::TImportazione imp;
        if (!imp.Apri(pathOf("Archivio_Modellini.xls"))) {
            state.SkipWithError("cannot read the file");
            return;
        }
        for (int r = 0; r < imp.RigheAnteprima(); ++r)
            for (int c = 0; c < imp.Colonne(); ++c)
                benchmark::DoNotOptimize(imp.CellaAnteprima(r, c));
        Importazione::TConteggio count(imp);
        count.Avanza(Importazione::TConteggio::RighePerPasso);
        if (imp.RigheAnteprima() != Importazione::TImportazione::RighePreviste)
            state.SkipWithError("rows missing");
    }
    state.SetItemsProcessed(state.iterations() * kSchede);
}

// The summary's whole count, which the window does in slices after it shows.
void BM_ImportCount(benchmark::State& state)
{
    for (auto _ : state) {
        Importazione::TImportazione imp;
        if (!imp.Apri(pathOf("Archivio_Modellini.xls"))) {
            state.SkipWithError("cannot read the file");
            return;
        }
        if (imp.Conta().righe != kSchede)
            state.SkipWithError("rows missing");
    }
    state.SetItemsProcessed(state.iterations() * kSchede);
}

BENCHMARK(BM_Export)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_ImportOwnExport)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_ImportXlsx)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_ImportOds)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_ImportPreview)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_ImportCount)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

} // namespace

// `bench_import --import-once <file>` imports that one file into a fresh
// archive and ends, so that a process's whole peak memory (/usr/bin/time -v)
// is the import's; `--keep-files <folder>` leaves the files it imports there.
int importOnce(const QString& source)
{
    QTemporaryDir folder;
    ProgramFolder::setOverride(folder.path() + QLatin1Char('/'));
    Importazione::TImportazione imp;
    if (!imp.Apri(source))
        return 1;
    const Importazione::Esito esito = imp.Importa(folder.filePath(QStringLiteral("Importato.dbm")),
                                                  QStringLiteral("Importato"));
    std::printf("%d cards imported\n", esito.accodamento.quante);
    ProgramFolder::setOverride({});
    return 0;
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--import-once"))
        return importOnce(args[2]);
    QString kept;
    if (const qsizetype k = args.indexOf(QStringLiteral("--keep-files")); k > 0 && k + 1 < args.size()) {
        kept = args[k + 1];
        argc = int(k); // what follows is ours, not the benchmark library's
    }
    if (!BenchSupport::initialise(argc, argv))
        return 1;
    QTemporaryDir folder;
    g_folder = (kept.isEmpty() ? folder.path() : kept) + QLatin1Char('/');
    ProgramFolder::setOverride(g_folder);
    if (!creaArchivio(pathOf("Banco di prova.dbm")))
        return 1;
    TTabellaSchede tabella;
    Esportazione::RiempiDaArchivio(tabella, g_file);
    if (!Esportazione::ScriviFile(pathOf("Archivio_Modellini.xls"), tabella)
        || !writeWorkbook(pathOf("Archivio.xlsx"), false) || !writeWorkbook(pathOf("Archivio.ods"), true)) {
        std::fprintf(stderr, "cannot write the files to import\n");
        return 1;
    }

    BenchSupport::RatioReporter reporter(
        "BM_Export", "export of the same archive (fill + write)", "own export <= 3 x, workbooks <= 5 x",
        {"BM_ImportOwnExport", "BM_ImportXlsx", "BM_ImportOds", "BM_ImportPreview", "BM_ImportCount"});
    reporter.addGroup("BM_ImportOwnExport", "import of the same file", "preview < 0.3 x",
                      {"BM_ImportPreview", "BM_ImportCount"});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    ProgramFolder::setOverride({});
    return 0;
}
