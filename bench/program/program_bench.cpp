// The whole program's costs, measured on the real game object and frame:
//
//   start-up    process start to the first presented frame (a fresh process each run: video
//               system, OpenGL driver, media, first frame), on HAL and on REF
//   minimised   CPU used by the message loop while the window is minimised
//   playing     resident memory during a Crazy game at 1024 x 768, on HAL and on REF
//
// Each measurement runs in a child process of this program (one game object per process) in a
// temporary copy of the run directory; medians of several runs are printed with the machine's
// conditions. The frame time of the busiest frame at 1024 x 768 is bench/render's
// render_frame_bench.
//
//   SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy build/bench/program_bench [runs]
#include <spawn.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "game/flow/game_application.h"
#include "gfx/soft/soft_device.h"
#include "platform/window.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

IDirect3D8* makeReferenceOnlyDirect3D(UINT) {
    std::vector<std::unique_ptr<DeviceBackend>> backends;
    backends.push_back(kolvane::soft::makeSoftwareDeviceBackend());
    return createDirect3DWithBackends(std::move(backends));
}

void chooseDevice(const std::string& device) {
    if (device == "ref") {
        setDirect3DMaker(makeReferenceOnlyDirect3D);
    } else {
        kolvane::soft::registerSoftwareDevice();
    }
}

double residentMiB() {
    std::ifstream statm("/proc/self/statm");
    long total = 0;
    long resident = 0;
    statm >> total >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

// CPU seconds a thread of this process has used, from /proc (10 ms steps).
double threadCpuSeconds(pid_t thread) {
    std::ifstream stat("/proc/self/task/" + std::to_string(thread) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t end = text.rfind(')');
    if (end == std::string::npos) {
        return 0.0;
    }
    std::istringstream fields(text.substr(end + 2));
    std::string field;
    long user = 0;
    long system = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) {
            user = std::atol(field.c_str());
        } else if (i == 15) {
            system = std::atol(field.c_str());
        }
    }
    return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double cpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// ---- Child modes: each prints one line of numbers and exits.

// Starts the game and presents its first frame; prints nothing but a newline when done, so the
// parent's clock stops there.
int firstFrame(const std::string& device) {
    chooseDevice(device);
    GameApplication game;
    if (FAILED(game.createApp(nullptr))) {
        return 1;
    }
    while (game.frameStep() == kResultOk && game.framesPerSecond == 0.0f && game.appTime == 0.0f) {
    }
    std::printf("\n");
    std::fflush(stdout);
    sendMessage(game.mainWindow, WM_CLOSE, 0, 0);
    return 0;
}

// Runs the real loop for a few seconds with the window minimised; prints the CPU seconds per
// wall second of the loop's thread and of the whole process.
int minimised(const std::string& device) {
    chooseDevice(device);
    GameApplication game;
    if (FAILED(game.createApp(nullptr))) {
        return 1;
    }
    for (int i = 0; i < 10; ++i) {
        game.frameStep();
    }
    WindowHandle window = game.mainWindow;
    postMessage(window, WM_SIZE, SIZE_MINIMIZED, 0);
    const double seconds = 4.0;
    const pid_t loopThread = static_cast<pid_t>(syscall(SYS_gettid));
    double loopCpu = 0.0;
    double processCpu = 0.0;
    double wall = 0.0;
    std::thread closer([&] {
        // The loop takes the size message first; the count starts once it sleeps.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        const double loopBefore = threadCpuSeconds(loopThread);
        const double processBefore = cpuSeconds(RUSAGE_SELF);
        const Clock::time_point start = Clock::now();
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        wall = std::chrono::duration<double>(Clock::now() - start).count();
        loopCpu = threadCpuSeconds(loopThread) - loopBefore;
        processCpu = cpuSeconds(RUSAGE_SELF) - processBefore;
        postMessage(window, WM_CLOSE, 0, 0);
    });
    game.runLoop();
    closer.join();
    std::printf("%.4f %.4f\n", loopCpu / wall, processCpu / wall);
    return 0;
}

// Plays a Crazy game at 1024 x 768 for a while, dropping pieces; prints the resident memory.
int playing(const std::string& device) {
    chooseDevice(device);
    setPresentWait(false);
    GameApplication game;
    game.initialWidth = 1024;
    game.initialHeight = 768;
    if (FAILED(game.createApp(nullptr))) {
        return 1;
    }
    for (std::uint32_t key : {VK_RETURN, VK_UP, VK_RETURN}) {
        sendMessage(game.mainWindow, WM_KEYDOWN, key, 0);
        game.frameStep();
    }
    const int frames = device == "ref" ? 60 : 300;
    for (int i = 0; i < frames && game.device != nullptr; ++i) {
        if (i % 10 == 0) {
            sendMessage(game.mainWindow, WM_KEYDOWN, i % 20 == 0 ? VK_UP : VK_SPACE, 0);
        }
        game.frameStep();
    }
    std::printf("%.1f %d\n", residentMiB(), static_cast<int>(game.gameState().screen));
    sendMessage(game.mainWindow, WM_CLOSE, 0, 0);
    return 0;
}

// ---- The parent: runs the children and reports.

struct ChildResult {
    bool ok = false;
    double seconds = 0.0;  // spawn to the first line of output
    std::string line;
};

ChildResult runChild(const char* self, const std::string& mode, const std::string& device) {
    ChildResult result;
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    std::string modeArgument = "--" + mode;
    char* argv[] = {const_cast<char*>(self), modeArgument.data(), const_cast<char*>(device.c_str()),
                    nullptr};
    pid_t child = 0;
    const Clock::time_point start = Clock::now();
    const int spawned = posix_spawn(&child, self, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        return result;
    }
    char c = 0;
    bool first = true;
    while (read(pipeEnds[0], &c, 1) == 1) {
        if (first) {
            result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
            first = false;
        }
        if (c == '\n' && !result.line.empty()) {
            break;
        }
        if (c != '\n') {
            result.line += c;
        }
    }
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    result.ok = !first && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return result;
}

double median(std::vector<double> values) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

std::string firstLineOf(const char* path, const char* prefix) {
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        if (line.rfind(prefix, 0) == 0) {
            return line.substr(line.find(':') + 2);
        }
    }
    return "?";
}

void printConditions() {
    std::ifstream loadFile("/proc/loadavg");
    std::string load1, load5, load15;
    loadFile >> load1 >> load5 >> load15;
    std::printf(
        "machine: %s, %u cores, load average %s %s %s, video driver %s\n",
        firstLineOf("/proc/cpuinfo", "model name").c_str(), std::thread::hardware_concurrency(),
        load1.c_str(), load5.c_str(), load15.c_str(),
        std::getenv("SDL_VIDEODRIVER") != nullptr ? std::getenv("SDL_VIDEODRIVER") : "(default)");
}

int parent(const char* self, int runs) {
    printConditions();
    for (const char* device : {"hal", "ref"}) {
        std::vector<double> startUp;
        for (int i = 0; i < runs; ++i) {
            const ChildResult child = runChild(self, "first-frame", device);
            if (child.ok) {
                startUp.push_back(child.seconds * 1000.0);
            }
        }
        std::printf("start-up to the first presented frame, %s: median %.0f ms (%zu runs)\n",
                    device, median(startUp), startUp.size());
    }
    std::vector<double> loopCpu;
    std::vector<double> processCpu;
    for (int i = 0; i < std::max(1, runs / 2); ++i) {
        const ChildResult child = runChild(self, "minimised", "hal");
        double loop = 0.0;
        double process = 0.0;
        if (child.ok && std::sscanf(child.line.c_str(), "%lf %lf", &loop, &process) == 2) {
            loopCpu.push_back(loop * 100.0);
            processCpu.push_back(process * 100.0);
        }
    }
    std::printf(
        "CPU while minimised (4 s, HAL): loop thread median %.2f %%, whole process %.2f %% "
        "of one core (%zu runs)\n",
        median(loopCpu), median(processCpu), loopCpu.size());
    for (const char* device : {"hal", "ref"}) {
        std::vector<double> resident;
        for (int i = 0; i < std::max(1, runs / 2); ++i) {
            const ChildResult child = runChild(self, "playing", device);
            double mib = 0.0;
            if (child.ok && std::sscanf(child.line.c_str(), "%lf", &mib) == 1) {
                resident.push_back(mib);
            }
        }
        std::printf(
            "resident memory while playing Crazy at 1024 x 768, %s: median %.1f MiB "
            "(%zu runs)\n",
            device, median(resident), resident.size());
    }
    return 0;
}

// A private copy of the run directory's media, so that no data file of the run directory is
// read or written.
std::filesystem::path enterMediaCopy() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "kolvane-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    for (const char* media : {"Graphics", "Sound", "gameinfo.txt"}) {
        std::filesystem::copy(std::filesystem::path(KOLVANE_RUN_DIR) / media,
                              std::filesystem::path(pattern) / media,
                              std::filesystem::copy_options::recursive);
    }
    std::filesystem::current_path(pattern);
    return pattern;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode.rfind("--", 0) == 0) {
        const std::string device = argc > 2 ? argv[2] : "hal";
        if (mode == "--first-frame") {
            return firstFrame(device);
        }
        if (mode == "--minimised") {
            return minimised(device);
        }
        if (mode == "--playing") {
            return playing(device);
        }
        std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
        return 2;
    }
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::filesystem::path directory = enterMediaCopy();
    std::string self = std::filesystem::canonical("/proc/self/exe").string();
    const int result = parent(self.c_str(), runs);
    std::filesystem::current_path("/");
    std::filesystem::remove_all(directory);
    return result;
}
