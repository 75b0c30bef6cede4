// Compiles the largest real program, 100 records with comments and blank
// lines, as the window does on F7: one Compiler built once, then compile()
// on the text. Reports the median time of one compile over many runs;
// target: under 1 ms. Usage: program_compile_bench [runs] (Release build;
// exit status 1 when the target is missed).

#include <QElapsedTimer>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "lang/compiler.h"

namespace {

QString hundredRecordsWithComments()
{
    QString source = QStringLiteral("prgName = \"Bench\";\n// ramp the output up and down\n\n");
    for (int i = 0; i < 20; ++i) {
        source += QStringLiteral("// step %1: set, compare, wait\n#%1;\n    Us = %2;\n"
                                 "if Io >= M%3 #%1 else #%4;\n\n  delay_ms 50;\njmp #%1;\n")
                      .arg(i + 1)
                      .arg(i * 100)
                      .arg(i % 8 + 1)
                      .arg(i == 19 ? 2 : i + 2);
    }
    return source;
}

} // namespace

int main(int argc, char *argv[])
{
    const int runs = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 2000;
    const QString text = hundredRecordsWithComments();
    QElapsedTimer clock;
    clock.start();
    const Compiler compiler(makeStatementPatterns(), makeOperandCodes(), makeComparisonCodes());
    const double buildMs = double(clock.nsecsElapsed()) / 1e6;

    std::vector<double> times;
    int records = 0;
    bool failed = false;
    for (int i = 0; i < runs; ++i) {
        clock.restart();
        const CompileResult result = compiler.compile(text);
        times.push_back(double(clock.nsecsElapsed()) / 1e6);
        records = result.records.size();
        failed = result.failed;
    }
    if (failed || records != 100) {
        std::fprintf(stderr, "program_compile_bench: the program does not compile to 100 records\n");
        return 2;
    }
    std::sort(times.begin(), times.end());
    const double median = times.at(times.size() / 2);
    std::printf("100 records with comments, %d lines: compile %.3f ms (median of %d runs; "
                "target < 1 ms), compiler built once in %.3f ms\n",
                int(text.count(QLatin1Char('\n'))), median, runs, buildMs);
    return median < 1.0 ? 0 : 1;
}
