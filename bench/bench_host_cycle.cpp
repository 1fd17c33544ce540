// The whole configuration cycle of the host at scale, measured as a user
// would see it: a generated configuration of N stub objects is written to
// an initial file, then `vorlix-host --config DIR --initial FILE
// --manual-clock --run-ms 0` loads, migrates, applies, gathers and saves it
// in a child process. Prints the file size, wall time, the child's CPU time
// (user + system: steadier than wall time on a busy machine), its maximum
// resident set and that set per object.
//
//   bench_host_cycle                 1k, 10k and 100k objects
//   bench_host_cycle 1000000         1k, 10k, 100k and 1M objects
//   bench_host_cycle --only 50000    only the sizes given after --only
//   bench_host_cycle --keep ...      keeps the folder with the last initial file
//                                    (for profiling the host on it)
//
// VORLIX_BENCH_HOST=PATH runs another build's host instead (to compare
// before and after a change on the same files).
//
// Not a Google Benchmark program: every size runs once, in a fresh process,
// because the maximum resident set of a process only grows.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_config_document.hpp"

#ifndef VORLIX_HOST_PATH
#error "VORLIX_HOST_PATH names the host program"
#endif

namespace {

bool writeConfig(const std::string& path, long n) {
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f) return false;
    std::string chunk = bench::configDocumentHead();
    for (long i = 0; i < n; ++i) {
        bench::appendConfigObject(chunk, i, n);
        if (chunk.size() > (size_t(1) << 20)) {
            std::fwrite(chunk.data(), 1, chunk.size(), f);
            chunk.clear();
        }
    }
    chunk += bench::configDocumentTail();
    std::fwrite(chunk.data(), 1, chunk.size(), f);
    return std::fclose(f) == 0;
}

long fileSize(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "r");
    if (!f) return -1;
    std::fseek(f, 0, SEEK_END);
    long size = std::ftell(f);
    std::fclose(f);
    return size;
}

struct Run {
    bool ok = false;
    double seconds = 0;
    double cpuSeconds = 0;
    long maxRssKb = 0;
};

// Runs the host on the initial file with an empty configuration directory.
Run runHost(const std::string& dir, const std::string& initial) {
    Run run;
    std::string configDir = dir + "/config";
    std::string log = dir + "/host.log";
    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid < 0) return run;
    if (pid == 0) {
        if (!std::freopen(log.c_str(), "w", stdout)) _exit(127);
        const char* host = std::getenv("VORLIX_BENCH_HOST");
        if (!host || !*host) host = VORLIX_HOST_PATH;
        execl(host, host, "--config", configDir.c_str(), "--initial", initial.c_str(),
              "--manual-clock", "--run-ms", "0", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.maxRssKb = usage.ru_maxrss;
    auto secondsOf = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    run.cpuSeconds = secondsOf(usage.ru_utime) + secondsOf(usage.ru_stime);
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<long> sizes;
    bool only = false, keep = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--only") == 0) only = true;
        else if (std::strcmp(argv[i], "--keep") == 0) keep = true;
        else sizes.push_back(std::atol(argv[i]));
    }
    if (!only) sizes.insert(sizes.begin(), {1000, 10000, 100000});

    char dirTemplate[] = "/tmp/vorlix-benchcycle-XXXXXX";
    if (!mkdtemp(dirTemplate)) {
        std::perror("mkdtemp");
        return 1;
    }
    std::string dir = dirTemplate;
    std::string configDir = dir + "/config";
    std::string initial = dir + "/initial.vqconfig";

    std::printf("%10s %10s %10s %10s %12s %14s\n", "objects", "file MB", "wall s", "cpu s", "max RSS MB",
                "bytes/object");
    std::fflush(stdout);  // before any fork, or the children would write it again
    int status = 0;
    for (long n : sizes) {
        if (n <= 0) continue;
        std::system(("rm -rf '" + configDir + "' && mkdir '" + configDir + "'").c_str());
        if (!writeConfig(initial, n)) {
            std::fprintf(stderr, "bench_host_cycle: cannot write %s\n", initial.c_str());
            status = 1;
            break;
        }
        Run run = runHost(dir, initial);
        if (!run.ok) {
            std::fprintf(stderr, "bench_host_cycle: the host failed at %ld objects (see %s/host.log)\n", n, dir.c_str());
            status = 1;
            break;
        }
        std::printf("%10ld %10.2f %10.3f %10.3f %12.1f %14.0f\n", n, double(fileSize(initial)) / 1e6, run.seconds,
                    run.cpuSeconds, double(run.maxRssKb) / 1024.0, double(run.maxRssKb) * 1024.0 / double(n));
        std::fflush(stdout);
    }
    if (status == 0 && !keep) std::system(("rm -rf '" + dir + "'").c_str());
    if (keep) std::printf("kept %s\n", dir.c_str());
    return status;
}
