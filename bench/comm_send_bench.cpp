// A 1,000,000-line program sent through the serial layer to a
// pseudo-terminal whose far end reads as fast as it can, with no delays:
// the send itself must never be what limits a real serial line.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "comm/comm_port_driver.h"
#include "comm/program_send.h"
#include "generate.h"

namespace {

double threadCpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void BM_SendToPty(benchmark::State& state) {
    const std::vector<std::string> program = bench::GenerateProgram(1000000);
    tolva::SendOptions options;
    options.fileStart = 37;
    options.fileEnd = 37;
    options.crlf = true;
    std::size_t expected = 6;
    for (const auto& l : program) expected += l.size() + 2;

    for (auto _ : state) {
        int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        ::grantpt(master);
        ::unlockpt(master);
        const std::string slave = ::ptsname(master);
        int keep = ::open(slave.c_str(), O_RDWR | O_NOCTTY);
        std::atomic<std::size_t> got{0};
        std::thread reader([&] {
            char buf[1 << 16];
            while (got < expected) {
                pollfd p{master, POLLIN, 0};
                if (::poll(&p, 1, 2000) <= 0) break;
                ssize_t n = ::read(master, buf, sizeof buf);
                if (n <= 0) break;
                got += static_cast<std::size_t>(n);
            }
        });
        tolva::TCommPortDriver driver;
        driver.SetDeviceName(tolva::pnCOM2, slave);
        if (!driver.Connect()) state.SkipWithError(driver.LastError().c_str());
        tolva::PortSink sink(driver);
        tolva::SendView view;
        const double cpu0 = threadCpuSeconds();
        const tolva::SendOutcome outcome = tolva::SendProgram(program, options, sink, view);
        reader.join();
        state.counters["cpu_s"] = threadCpuSeconds() - cpu0;
        if (outcome != tolva::SendOutcome::Done || got != expected) state.SkipWithError("bytes lost");
        driver.Disconnect();
        ::close(keep);
        ::close(master);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * expected));
}
BENCHMARK(BM_SendToPty)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
