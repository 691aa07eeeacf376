// A 1 MB note (Cyrillic with formatting every few words) written to and read
// from the notes RTF, through the editor's document as the program does it.
// Run: build/bench/bench_notes

#include "notes/NotesModel.h"
#include "notes/NotesRtf.h"

#include <QGuiApplication>
#include <QTextDocument>
#include <benchmark/benchmark.h>

namespace {

// Text of about targetChars characters.
NotesModel bigNote(qsizetype targetChars) {
    const QString words[] = {QStringLiteral("сервер"), QStringLiteral("пароль"),
                             QStringLiteral("RDP"),    QStringLiteral("бухгалтерия"),
                             QStringLiteral("ёжик"),   QStringLiteral("10.0.0.1")};
    NotesModel model;
    qsizetype total = 0;
    int n = 0;
    while (total < targetChars) {
        NotesParagraph p;
        p.align = static_cast<NotesAlign>(n % 4);
        for (int r = 0; r < 12; ++r, ++n) {
            NotesRun run;
            run.text = words[n % 6] + QStringLiteral(" ") + words[(n / 6) % 6] + QStringLiteral(" ");
            run.bold = n % 3 == 0;
            run.italic = n % 5 == 0;
            run.halfPoints = 16 + 2 * (n % 4);
            if (n % 7 == 0)
                run.color = qRgb(200, 0, n % 256);
            total += run.text.size();
            appendRun(p, run);
        }
        model.append(p);
    }
    return model;
}

// Arg: the size of the note: 0 a million characters (about 3.7 MB of RTF, since
// each Cyrillic letter takes four bytes), 1 one megabyte of RTF.
NotesModel noteFor(const benchmark::State& state) {
    return bigNote(state.range(0) == 0 ? 1024 * 1024 : 280 * 1024);
}

void BM_WriteNote1MB(benchmark::State& state) {
    QTextDocument doc;
    setNotesModel(doc, noteFor(state));
    qint64 bytes = 0;
    for (auto _ : state) {
        const QByteArray rtf = writeNotesRtf(doc);
        bytes = rtf.size();
        benchmark::DoNotOptimize(rtf.constData());
    }
    state.counters["chars"] = static_cast<double>(doc.characterCount());
    state.counters["rtf_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_WriteNote1MB)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ReadNote1MB(benchmark::State& state) {
    const QByteArray rtf = writeNotesRtf(noteFor(state));
    for (auto _ : state) {
        QTextDocument doc;
        loadNotesRtf(rtf, doc);
        benchmark::DoNotOptimize(doc.characterCount());
    }
    state.counters["rtf_bytes"] = static_cast<double>(rtf.size());
}
BENCHMARK(BM_ReadNote1MB)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ParseNote1MB(benchmark::State& state) {
    const QByteArray rtf = writeNotesRtf(noteFor(state));
    for (auto _ : state)
        benchmark::DoNotOptimize(readNotesRtf(rtf).model.size());
    state.counters["rtf_bytes"] = static_cast<double>(rtf.size());
}
BENCHMARK(BM_ParseNote1MB)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
