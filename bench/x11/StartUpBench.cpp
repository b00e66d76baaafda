// The real program's start with 5,000 items in its history: the time from starting the process to its first
// capture. Meanwhile this process copies a new text every few milliseconds, as a user who copies right after
// starting it would, and the time ends when the program writes that it captured one. The program's start-up trace
// (varnisto.startup) gives each phase's moment on the monotonic clock that both processes share; the counters are
// the milliseconds from starting the process to the end of each phase, medians over the runs.

#include "RunningProgram.h"
#include "StoredHistory.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <map>

namespace {

const QString capturedLine = QStringLiteral("captured text item");

qint64 monotonicMicroseconds()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

void startToFirstCapture(benchmark::State &state)
{
    StoredHistory::prepareFolders();
    if (const auto error = StoredHistory::storeOrdinaryItems()) {
        state.SkipWithError(error->toStdString().c_str());
        return;
    }
    QList<double> totals;
    std::map<QString, QList<double>> phases;
    QStringList phaseOrder;
    for (auto _ : state) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(
            QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("varnisto.app.info=true\nvarnisto.startup.info=true"));
        int copies = 0;
        QTimer copying;
        QObject::connect(&copying, &QTimer::timeout, &copying, [&copies] {
            auto *data = new QMimeData;
            data->setText(QStringLiteral("A copy made right after the start, number %1").arg(++copies));
            QGuiApplication::clipboard()->setMimeData(data, QClipboard::Clipboard);
        });
        const qint64 launched = monotonicMicroseconds();
        QElapsedTimer elapsed;
        elapsed.start();
        RunningProgram program(programUnderTest(), environment);
        copying.start(5);
        if (!program.waitForStarted() || !program.waitForLog(capturedLine, 1, 60000)) {
            std::cerr << "Varnisto's output:\n" << program.log().toStdString() << std::endl;
            state.SkipWithError("the program captured nothing");
            return;
        }
        const double total = double(elapsed.nsecsElapsed()) / 1e6;
        copying.stop();
        state.SetIterationTime(total / 1000.0);
        totals.append(total);
        static const QRegularExpression phaseLine(QStringLiteral("startup (.+) at (\\d+)"));
        auto lines = phaseLine.globalMatch(program.log());
        while (lines.hasNext()) {
            const auto line = lines.next();
            const QString name = line.captured(1);
            if (!phaseOrder.contains(name))
                phaseOrder.append(name);
            phases[name].append(double(line.captured(2).toLongLong() - launched) / 1000.0);
        }
        program.terminate();
        // The clipboard goes back to nobody, so that the next start finds the same state.
        QGuiApplication::clipboard()->clear();
    }
    state.counters["start_to_capture_ms"] = median(totals);
    for (const QString &name : phaseOrder) {
        QString counter = name;
        counter.replace(QLatin1Char(' '), QLatin1Char('_'));
        state.counters[QString(QStringLiteral("phase_") + counter + QStringLiteral("_ms")).toStdString()]
            = median(phases[name]);
    }
}

} // namespace

BENCHMARK(startToFirstCapture)
    ->Name("StartUp/FirstCapture5000Items")
    ->UseManualTime()
    ->Iterations(7)
    ->Unit(benchmark::kMillisecond);
