// One keystroke in the worksheet of the desktop program, on Qt's offscreen platform: a digit
// typed and taken back at the end of the rows and in their middle, in worksheets of 1,000 and
// 59,000 rows without an empty line. The live reading that colours the lines should cost the
// same at either length.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QString>
#include <QTextBlock>
#include <QTextCursor>

#include <cstdlib>
#include <memory>

#include "app/lumo_view.h"
#include "app/main_frame.h"

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "highlighter_bench";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return new QApplication(argc, argv);
    }();
    return *app;
}

void TypeAndTakeBack(benchmark::State& state, bool middle) {
    App();
    lumo::CMainFrame frame;
    const int rows = static_cast<int>(state.range(0));
    std::string text;
    for (int i = 0; i < rows; ++i) text += std::to_string(i) + "," + std::to_string(i % 7) + "\n";
    frame.Worksheet()->SetText(text);
    QApplication::processEvents();
    QTextDocument* doc = frame.Worksheet()->document();
    const int line = middle ? rows / 2 : rows - 1;
    for (auto _ : state) {
        QTextCursor cursor(doc->findBlockByNumber(line));
        cursor.movePosition(QTextCursor::EndOfBlock);
        cursor.insertText(QStringLiteral("5"));
        QApplication::processEvents();
        cursor.deletePreviousChar();
        QApplication::processEvents();
    }
    frame.GetDocument().SetModifiedFlag(false);
}

void BM_KeystrokeAtTheEnd(benchmark::State& state) {
    TypeAndTakeBack(state, false);
}
void BM_KeystrokeInTheMiddle(benchmark::State& state) {
    TypeAndTakeBack(state, true);
}
BENCHMARK(BM_KeystrokeAtTheEnd)->Arg(1000)->Arg(59000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeystrokeInTheMiddle)->Arg(1000)->Arg(59000)->Unit(benchmark::kMicrosecond);

}  // namespace
