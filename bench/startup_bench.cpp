// SPDX-License-Identifier: GPL-2.0-or-later
// How long Mirvak takes from its start to its window shown and closed again,
// and its peak memory: the whole process, offscreen, with a book file from
// an earlier run in its folder, as a user's second start finds it. One
// warm-up run (it also makes the book file), then 11 counted runs; prints
// the median wall time, the median CPU time (user + system) and the largest
// peak resident memory. Goals: 100 ms and 40 MiB.
//
// Usage: startup_bench [PROGRAM]; without one, the mirvak of this build
// tree. The release build's figures are the ones that count; a sanitizer
// build runs several times slower.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int Runs = 11;

struct Run {
    double wallMs = 0;
    double cpuMs = 0;
    double peakMb = 0;
    bool ok = false;
};

double seconds(const timeval &t)
{
    return double(t.tv_sec) + double(t.tv_usec) / 1e6;
}

double now()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

Run runOnce(const char *program, const std::string &folder)
{
    Run r;
    const double start = now();
    const pid_t pid = fork();
    if (pid < 0)
        return r;
    if (pid == 0) {
        if (chdir(folder.c_str()) != 0)
            _exit(126);
        // Keep the program's messages (no XDG_RUNTIME_DIR and the like) off the figures.
        if (FILE *null = std::freopen("/dev/null", "w", stderr); !null)
            _exit(126);
        execl(program, program, static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0)
        if (errno != EINTR)
            return r;
    r.wallMs = (now() - start) * 1000;
    r.cpuMs = (seconds(usage.ru_utime) + seconds(usage.ru_stime)) * 1000;
    r.peakMb = double(usage.ru_maxrss) / 1024;
    r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return r;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    const char *program = argc > 1 ? argv[1] : MIRVAK_BIN;
    char folderTemplate[] = "/tmp/mirvak-startup-XXXXXX";
    if (!mkdtemp(folderTemplate)) {
        std::perror("startup_bench: mkdtemp");
        return 1;
    }
    const std::string folder = folderTemplate;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("MIRVAK_QUIT_WHEN_SHOWN", "1", 1);
    setenv("MIRVAK_TONE", "none", 1);
    unsetenv("MIRVAK_TRACE");

    std::vector<double> wall, cpu, peak;
    bool ok = runOnce(program, folder).ok; // the warm-up writes the book file
    for (int i = 0; ok && i < Runs; ++i) {
        const Run r = runOnce(program, folder);
        ok = r.ok;
        wall.push_back(r.wallMs);
        cpu.push_back(r.cpuMs);
        peak.push_back(r.peakMb);
    }
    std::remove((folder + "/QXsms.phb").c_str());
    rmdir(folder.c_str());
    if (!ok) {
        std::fprintf(stderr, "startup_bench: %s did not start and close cleanly\n", program);
        return 1;
    }
    std::printf("start to window shown and closed (%s, offscreen, median of %d):\n", program, Runs);
#ifdef MIRVAK_BENCH_SANITIZED
    if (argc < 2)
        std::printf("  (a sanitizer build: build/release/bench/startup_bench measures the release program)\n");
#endif
    std::printf("  wall %.0f ms, CPU %.0f ms (goal: 100 ms wall or less)\n", median(wall), median(cpu));
    std::printf("  peak memory %.1f MiB (goal: 40 MiB or less)\n", *std::max_element(peak.begin(), peak.end()));
    return 0;
}
