// Runs a program and its floor as child processes, alternately, and compares
// the medians of what they report.
//
//   launch RUNS NAME [KEY=TARGET...] -- PROGRAM [ARGS...] --vs FLOOR [ARGS...]
//
// A child reports on standard output, one "key value" line each: "firstpaint"
// is a bench::MonotonicNs() time and counts from just before the
// child was spawned; a key ending in "rss" is a memory size in KiB; any other
// key is a duration in nanoseconds. Every run also gives the child's peak
// resident memory over its whole life ("maxrss", from wait4). The first run
// of each side warms the caches and is not counted. Prints one "RESULT" line
// per key; a KEY=TARGET sets the ratio a key should stay within.
// Exits non-zero only when a child fails or reports nothing.
#include "bench/clock.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int kTimeoutMs = 60'000;

using Samples = std::map<std::string, std::vector<double>>;

// One run of `command`: adds its reported values to `samples`; false if it failed.
bool RunOnce(const std::vector<std::string>& command, Samples& samples) {
    int out[2];
    if (pipe(out) != 0) {
        std::perror("pipe");
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    std::vector<char*> argv;
    for (const std::string& arg : command)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    pid_t pid = 0;
    const long long started = bench::MonotonicNs();
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        std::fprintf(stderr, "cannot start %s: %s\n", argv[0], std::strerror(spawned));
        close(out[0]);
        return false;
    }

    std::string text;
    bool timedOut = false;
    for (;;) {
        pollfd p{out[0], POLLIN, 0};
        const int ready = poll(&p, 1, kTimeoutMs);
        if (ready == 0) {
            timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        if (ready < 0 && errno == EINTR)
            continue;
        char buf[512];
        const ssize_t n = read(out[0], buf, sizeof buf);
        if (n <= 0)
            break;
        text.append(buf, static_cast<std::size_t>(n));
    }
    close(out[0]);

    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    if (timedOut || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s %s\n", argv[0], timedOut ? "timed out" : "failed");
        return false;
    }

    Samples run;
    std::istringstream lines(text);
    std::string key;
    long long value = 0;
    while (lines >> key >> value)
        run[key].push_back(key == "firstpaint" ? static_cast<double>(value - started)
                                               : static_cast<double>(value));
    if (run.empty()) {
        std::fprintf(stderr, "%s reported nothing\n", argv[0]);
        return false;
    }
    run["maxrss"].push_back(static_cast<double>(usage.ru_maxrss)); // KiB
    for (auto& [k, values] : run)
        samples[k].insert(samples[k].end(), values.begin(), values.end());
    return true;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: launch RUNS NAME [KEY=TARGET...] -- PROGRAM [ARGS...] --vs FLOOR [ARGS...]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 6)
        return Usage();
    const int runs = std::atoi(argv[1]);
    const std::string name = argv[2];
    std::map<std::string, double> targets;
    int i = 3;
    for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        const char* eq = std::strchr(argv[i], '=');
        if (!eq)
            return Usage();
        targets[std::string(argv[i], static_cast<std::size_t>(eq - argv[i]))] = std::atof(eq + 1);
    }
    std::vector<std::string> program, floor;
    for (++i; i < argc && std::strcmp(argv[i], "--vs") != 0; ++i)
        program.emplace_back(argv[i]);
    for (++i; i < argc; ++i)
        floor.emplace_back(argv[i]);
    if (runs < 1 || program.empty() || floor.empty())
        return Usage();

    Samples programSamples, floorSamples, discard;
    if (!RunOnce(program, discard) || !RunOnce(floor, discard))
        return 1;
    for (int run = 0; run < runs; ++run) {
        // ABBA order: neither side always runs right after the other.
        const bool programFirst = run % 2 == 0;
        for (int side = 0; side < 2; ++side) {
            const bool isProgram = (side == 0) == programFirst;
            if (!RunOnce(isProgram ? program : floor, isProgram ? programSamples : floorSamples))
                return 1;
        }
    }

    int compared = 0;
    for (const auto& [key, values] : programSamples) {
        const auto floorValues = floorSamples.find(key);
        if (floorValues == floorSamples.end())
            continue;
        const bool memory = key.ends_with("rss"); // KiB
        const double a = Median(values) / (memory ? 1024.0 : 1e6);
        const double b = Median(floorValues->second) / (memory ? 1024.0 : 1e6);
        const auto target = targets.find(key);
        // RESULT name measured floor unit ratio target (0: reported only)
        std::printf("RESULT %s/%s %.2f %.2f %s %.2f %.2f\n", name.c_str(), key.c_str(), a, b,
                    memory ? "MiB" : "ms", a / b, target == targets.end() ? 0.0 : target->second);
        ++compared;
    }
    return compared > 0 ? 0 : 1;
}
