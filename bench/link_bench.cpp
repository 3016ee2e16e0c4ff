// The forms link through the Linux window system, to a second process that answers like the
// forms program (platform_peer): one request round trip, and a field list of 20,000 characters
// handed over as an atom chain and read by the other process. Beside each, the same run's
// baseline: the same bytes echoed by a bare local-socket server in a process of the same kind
// (an event loop that answers at once), which is the least any message between two processes costs.
#include "BenchmarkMain.h"
#include "forms/lform.h"
#include "platform/LinuxWindowSystem.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

#ifndef FISKON_PLATFORM_PEER
#define FISKON_PLATFORM_PEER ""  // built without the tests: the benchmarks say so and skip
#endif

namespace {

constexpr int kFieldListLength = 20'000;
// A request frame's size: the round trip's baseline echoes as many bytes.
constexpr int kRequestBytes = 24;

struct Peers {
    QTemporaryDir runtime;
    QProcess window;
    QProcess echo;
    std::unique_ptr<LinuxWindowSystem> system;
    QLocalSocket echoSocket;
    bool ready = false;

    static bool start(QProcess& process, const QStringList& arguments, const QString& folder) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("FISKON_WINDOWS_DIR", folder);
        process.setProcessEnvironment(environment);
        process.start(FISKON_PLATFORM_PEER, arguments);
        if (!process.waitForStarted(10'000)) return false;
        while (!process.canReadLine() && process.waitForReadyRead(10'000)) {
        }
        return process.readLine().startsWith("ready ");
    }

    Peers() {
        qputenv("FISKON_WINDOWS_DIR", QFile::encodeName(runtime.path()));
        system = std::make_unique<LinuxWindowSystem>();
        const QString echoPath = runtime.filePath("echo");
        if (!start(window, {"window", "Tformularze_VEL"}, runtime.path()) ||
            !start(echo, {"echo", echoPath}, runtime.path()))
            return;
        lform::setWindowSystem(system.get());
        lform::LinkInit();
        echoSocket.connectToServer(echoPath);
        ready = lform::ConnectFormsProgram(false) && echoSocket.waitForConnected(10'000);
    }
    ~Peers() {
        lform::setWindowSystem(nullptr);
        for (QProcess* process : {&window, &echo}) {
            process->kill();
            process->waitForFinished(10'000);
        }
    }

    // Writes the bytes and waits until the echo server has sent them all back.
    void echoed(const QByteArray& bytes) {
        echoSocket.write(bytes);
        echoSocket.flush();
        qsizetype received = 0;
        while (received < bytes.size()) {
            if (echoSocket.bytesAvailable() == 0 && !echoSocket.waitForReadyRead(10'000)) return;
            received += echoSocket.readAll().size();
        }
    }
};

Peers& peers() {
    static Peers instance;
    return instance;
}

QByteArray fieldList() {
    QByteArray text;
    for (int box = 1; text.size() < kFieldListLength; ++box) text += "p" + QByteArray::number(box) + "=Kowalski\r\n";
    text.truncate(kFieldListLength);
    return text;
}

void BM_RequestRoundTrip(benchmark::State& state) {
    if (!peers().ready) return state.SkipWithError("the peer process did not start");
    for (auto _ : state) benchmark::DoNotOptimize(lform::GetFormState(1));
}
BENCHMARK(BM_RequestRoundTrip);

// Waiting for the forms program's print dialog, which the user finishes after 100 ms: the CPU
// time this program spends on it, and how often it asked the forms program meanwhile.
void BM_PrintDialogWait(benchmark::State& state) {
    if (!peers().ready) return state.SkipWithError("the peer process did not start");
    std::int64_t polls = 0;
    for (auto _ : state) {
        std::uint16_t first = 0;
        std::uint16_t last = 0;
        lform::RunPrintDialog(1, "PIT-11", 0, first, last);
        polls += first;
    }
    state.counters["polls_per_dialog"] =
        benchmark::Counter(static_cast<double>(polls), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_PrintDialogWait)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_RequestRoundTripBaseline_SocketEcho(benchmark::State& state) {
    if (!peers().ready) return state.SkipWithError("the peer process did not start");
    const QByteArray bytes(kRequestBytes, 'r');
    for (auto _ : state) peers().echoed(bytes);
}
BENCHMARK(BM_RequestRoundTripBaseline_SocketEcho);

void BM_FieldListTransfer(benchmark::State& state) {
    if (!peers().ready) return state.SkipWithError("the peer process did not start");
    const QByteArray text = fieldList();
    for (auto _ : state)
        if (lform::SendFields(1, text, 0) != kFieldListLength) return state.SkipWithError("not sent");
    state.SetBytesProcessed(state.iterations() * kFieldListLength);
}
BENCHMARK(BM_FieldListTransfer);

void BM_FieldListTransferBaseline_SocketEcho(benchmark::State& state) {
    if (!peers().ready) return state.SkipWithError("the peer process did not start");
    const QByteArray text = fieldList();
    for (auto _ : state) peers().echoed(text);
    state.SetBytesProcessed(state.iterations() * kFieldListLength);
}
BENCHMARK(BM_FieldListTransferBaseline_SocketEcho);

}  // namespace

int main(int argc, char** argv) { return runBenchmarksIn<QCoreApplication>(argc, argv); }
