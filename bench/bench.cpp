// Timings of the month search over a large table (beside a plain sequential
// read of the same file, its lower bound), and of one sheet computed and
// laid out as text or as a PDF. Not a test: run `make bench`.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/CalcState.h"
#include "escalation/Formulas.h"
#include "escalation/Sheet.h"
#include "indexdata/MonthSearch.h"
#include "platform/QtPlatform.h"

namespace {

class SilentPlatform : public Platform {
  public:
    std::optional<QString> inputBox(const QString&) override { return std::nullopt; }
    void msgBox(const QString&) override {}
    void beep() override {}
    void setCaption(const QString&) override {}
    Printer* printer(QString*) override { return nullptr; }
    void endProgram() override {}
};

class TextPrinter : public Printer {
  public:
    void setFontName(const QString&) override {}
    void setFontSize(double) override {}
    void print(const print::Statement& s) override { page.print(s); }
    bool endDoc(QString*) override { return true; }
    void discardDoc() override {}
    print::TextPage page;
};

constexpr int kRecords = 12000;

// 12,000 months, 1000 years' worth, each record a distinct month.
const QString& bigTable() {
    static QTemporaryDir dir;
    static const QString path = [] {
        QByteArray bytes;
        for (int i = 0; i < kRecords; ++i) {
            QByteArray r = QByteArray::number(2000 + i / 12).rightJustified(6, ' ') +
                           QByteArray::number(i % 12 + 1).rightJustified(6, ' ');
            for (int c = 0; c < 13; ++c)
                r += QByteArray::number(100 + c + (i % 50) * 0.1, 'f', 1).rightJustified(6, ' ');
            bytes += r;
        }
        const QString p = dir.filePath(QStringLiteral("KTABLE.DAT"));
        QFile f(p);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return p;
    }();
    return path;
}

void BM_MonthSearchLastRecord(benchmark::State& state) {
    TableFile table;
    table.open(bigTable(), nullptr);
    CalcState st;
    st.lngRecCount = recordCount(TableFile::length(bigTable()));
    SilentPlatform ui;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            monthSearch(st, table, ui, st.OData, 12, 2000 + kRecords / 12 - 1));
    }
}
BENCHMARK(BM_MonthSearchLastRecord)->Unit(benchmark::kMillisecond);

void BM_ReadTableSequentially(benchmark::State& state) {
    for (auto _ : state) {
        QFile f(bigTable());
        f.open(QIODevice::ReadOnly);
        benchmark::DoNotOptimize(f.readAll());
    }
}
BENCHMARK(BM_ReadTableSequentially)->Unit(benchmark::kMillisecond);

CalcState longestSheetState() {
    CalcState st;
    for (IndexColumn c : {IndexColumn::I, IndexColumn::C, IndexColumn::M, IndexColumn::S}) {
        st.OData[c] = 100;
        st.TData[c] = 112.5f;
    }
    st.dblAmount = 9876543.21;
    st.dblNetAmount = st.dblAmount;
    for (int i = 0; i < kEquipItems; ++i) {
        st.strEquipName[i] = fixedText(QStringLiteral("เครื่องกำเนิดไฟฟ้า %1").arg(i + 1), kTextLength);
        st.dblEquipPrice[i] = 12345.67;
        st.dblNetAmount -= 12345.67;
    }
    return st;
}

void BM_SheetToText(benchmark::State& state) {
    const CalcState start = longestSheetState();
    for (auto _ : state) {
        CalcState st = start;
        TextPrinter p;
        printSheet(*formulaDefinition(1), st, p);
        benchmark::DoNotOptimize(p.page.lines().size());
    }
}
BENCHMARK(BM_SheetToText)->Unit(benchmark::kMicrosecond);

void BM_SheetToPdf(benchmark::State& state) {
    QTemporaryDir dir;
    const CalcState start = longestSheetState();
    QtPrinter printer(dir.filePath(QStringLiteral("sheet.pdf")));
    for (auto _ : state) {
        CalcState st = start;
        printSheet(*formulaDefinition(1), st, printer);
        printer.endDoc(nullptr);
    }
}
BENCHMARK(BM_SheetToPdf)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
