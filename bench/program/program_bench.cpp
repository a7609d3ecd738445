// The whole program's costs, measured on the real game object and frame:
//
//   start-up    process start to the first presented frame (a fresh process each run: video
//               system, OpenGL driver, media, first frame), on HAL and on REF, and where the
//               time goes: libraries, video system and font, window, data and sounds, device,
//               media, first frame; the SoundFont's load, which runs beside them
//   minimised   CPU used by the message loop while the window is minimised
//   playing     resident memory during a Crazy game at 1024 x 768, on HAL and on REF
//   window      with a display (run it under Xvfb): the real loop in a real window at the
//               default size, with the frame pacing on, on the main menu and in play: frames
//               presented per second, CPU and resident memory; beside them the ceiling, a frame
//               that only clears, draws one full-screen trilinear quad and presents, unpaced
//
// Each measurement runs in a child process of this program (one game object per process) in a
// temporary copy of the run directory; medians of several runs are printed with the machine's
// conditions. The frame time of the busiest frame at 1024 x 768 is bench/render's
// render_frame_bench. bench/compare-peer.sh takes the same window figures of any game binary.
//
//   SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy build/bench/program_bench [runs]
//   SDL_AUDIODRIVER=dummy xvfb-run -s "-screen 0 1024x768x24" build/bench/program_bench [runs]
#include <spawn.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
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

#include "audio/music_player.h"
#include "ceiling_frame.h"
#include "game/flow/game_application.h"
#include "game/flow/screen_flow.h"
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

double millisecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// The game with the moments of its start-up noted and its drawn frames counted; or, as the
// ceiling, drawing only the ceiling frame in the game's window on the game's device.
class TimedGame final : public GameApplication {
public:
    explicit TimedGame(bool ceiling = false) : ceiling_(ceiling) {}

    ResultCode initScene() override {
        initStart = Clock::now();
        const ResultCode result = GameApplication::initScene();
        initEnd = Clock::now();
        return result;
    }
    ResultCode createDeviceObjects() override {
        mediaStart = Clock::now();
        const ResultCode result = GameApplication::createDeviceObjects();
        mediaEnd = Clock::now();
        return result;
    }
    ResultCode drawScene() override {
        ++framesDrawn;
        if (!ceiling_) {
            return GameApplication::drawScene();
        }
        drawCeilingFrame(device, scene().screenQuadBuffer, scene().assets.upperPlanes[0].texture,
                         static_cast<float>(backBufferDesc.Width),
                         static_cast<float>(backBufferDesc.Height));
        return kResultOk;
    }

    Clock::time_point initStart, initEnd, mediaStart, mediaEnd;
    std::atomic<int> framesDrawn{0};

private:
    bool ceiling_;
};

// When this process's main began.
Clock::time_point mainStart;

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

// Starts the game as firstFrame does and prints where the time went, in milliseconds: process
// start (spawnedAt, the parent's clock in nanoseconds) to main, the game object (video system,
// font), the window, data files and sounds, the device, the media, the volatile objects and
// the first frame.
int startUpPhases(const std::string& device, const std::string& spawnedAt) {
    const Clock::time_point spawned{Clock::duration(std::stoll(spawnedAt))};
    chooseDevice(device);
    const Clock::time_point beforeGame = Clock::now();
    TimedGame game;
    const Clock::time_point beforeCreate = Clock::now();
    if (FAILED(game.createApp(nullptr))) {
        return 1;
    }
    const Clock::time_point created = Clock::now();
    game.frameStep();
    const Clock::time_point firstFrame = Clock::now();
    std::printf(
        "%.1f %.1f %.1f %.1f %.1f %.1f %.1f %.1f\n", millisecondsBetween(spawned, mainStart),
        millisecondsBetween(beforeGame, beforeCreate),
        millisecondsBetween(beforeCreate, game.initStart),
        millisecondsBetween(game.initStart, game.initEnd),
        millisecondsBetween(game.initEnd, game.mediaStart),
        millisecondsBetween(game.mediaStart, game.mediaEnd),
        millisecondsBetween(game.mediaEnd, created), millisecondsBetween(created, firstFrame));
    std::fflush(stdout);
    sendMessage(game.mainWindow, WM_CLOSE, 0, 0);
    return 0;
}

// Loads the General MIDI SoundFont into a synthesiser, as the game does beside its start-up
// (with the presets of its tunes); prints the milliseconds it took.
int soundFontLoad() {
    const Clock::time_point start = Clock::now();
    MusicPlayer player;
    player.loadSynthesiserInBackground({std::begin(musicFiles), std::end(musicFiles)});
    const int started = player.startSynthesiser();
    std::printf("%.1f %d\n", millisecondsBetween(start, Clock::now()), started);
    return 0;
}

// Runs the real loop in the window for `seconds` after a second's settling, on the main menu,
// in a Crazy game (arrows and turns now and then, so that pieces fall and settle) or as the
// ceiling (unpaced); prints frames presented per second, the process's CPU in % of one core,
// CPU milliseconds per frame and the resident memory in MiB at the end.
int windowRun(const std::string& device, const std::string& what, double seconds) {
    chooseDevice(device);
    const bool ceiling = what == "ceiling";
    if (ceiling) {
        setPresentWait(false);
    }
    TimedGame game(ceiling);
    if (FAILED(game.createApp(nullptr))) {
        return 1;
    }
    if (what == "play") {
        for (std::uint32_t key : {VK_RETURN, VK_UP, VK_RETURN}) {
            sendMessage(game.mainWindow, WM_KEYDOWN, key, 0);
            game.frameStep();
        }
    }
    WindowHandle window = game.mainWindow;
    double framesPerSecond = 0.0, cpu = 0.0, resident = 0.0;
    std::thread closer([&] {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const int framesBefore = game.framesDrawn;
        const double cpuBefore = cpuSeconds(RUSAGE_SELF);
        const Clock::time_point start = Clock::now();
        for (int step = 0; step * 0.25 < seconds; ++step) {
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
            if (what == "play") {
                const std::uint32_t keys[] = {VK_LEFT, VK_UP, VK_RIGHT, VK_UP};
                postMessage(window, WM_KEYDOWN, keys[step % 4], 0);
                postMessage(window, WM_KEYUP, keys[step % 4], 0);
            }
        }
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        framesPerSecond = (game.framesDrawn - framesBefore) / wall;
        cpu = (cpuSeconds(RUSAGE_SELF) - cpuBefore) / wall;
        resident = residentMiB();
        postMessage(window, WM_CLOSE, 0, 0);
    });
    game.runLoop();
    closer.join();
    std::printf("%.1f %.1f %.2f %.1f\n", framesPerSecond, cpu * 100.0,
                framesPerSecond > 0.0 ? cpu * 1000.0 / framesPerSecond : 0.0, resident);
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

// Runs this program as a child in mode on device with the further arguments; the phases mode
// also gets the moment of its spawn.
ChildResult runChild(const char* self, const std::string& mode, const std::string& device,
                     std::vector<std::string> further = {}) {
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
    const Clock::time_point start = Clock::now();
    if (mode == "phases") {
        further.insert(further.begin(), std::to_string(start.time_since_epoch().count()));
    }
    std::vector<char*> argv = {const_cast<char*>(self), modeArgument.data(),
                               const_cast<char*>(device.c_str())};
    for (std::string& argument : further) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, self, &actions, nullptr, argv.data(), environ);
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

bool hasDisplay() {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    return std::getenv("DISPLAY") != nullptr &&
           (driver == nullptr || std::strcmp(driver, "x11") == 0);
}

// The medians, field by field, of the numbers in the children's lines.
std::vector<double> fieldMedians(const std::vector<std::vector<double>>& lines) {
    std::vector<double> medians;
    for (std::size_t field = 0; !lines.empty() && field < lines.front().size(); ++field) {
        std::vector<double> values;
        for (const std::vector<double>& line : lines) {
            if (field < line.size()) {
                values.push_back(line[field]);
            }
        }
        medians.push_back(median(values));
    }
    return medians;
}

std::vector<double> numbersOf(const std::string& line) {
    std::istringstream in(line);
    std::vector<double> numbers;
    for (double number = 0.0; in >> number;) {
        numbers.push_back(number);
    }
    return numbers;
}

// Runs a child `runs` times and gives the medians of its numbers (empty when none succeeded).
std::vector<double> childMedians(const char* self, int runs, const std::string& mode,
                                 const std::string& device,
                                 const std::vector<std::string>& further = {}) {
    std::vector<std::vector<double>> lines;
    for (int i = 0; i < runs; ++i) {
        const ChildResult child = runChild(self, mode, device, further);
        if (child.ok) {
            lines.push_back(numbersOf(child.line));
        }
    }
    return fieldMedians(lines);
}

void reportStartUpPhases(const char* self, int runs) {
    const std::vector<double> phases = childMedians(self, runs, "phases", "hal");
    const char* names[] = {"process start to main (libraries)",
                           "game object (video system, font face)",
                           "device enumeration and window",
                           "data files, sounds, SoundFont load started",
                           "device (OpenGL driver and context)",
                           "media (pictures, meshes, font texture)",
                           "volatile objects",
                           "first frame (shader variants, texture uploads)"};
    std::printf("start-up phases, HAL, medians of %d runs:\n", runs);
    for (std::size_t i = 0; i < phases.size() && i < std::size(names); ++i) {
        std::printf("  %-48s %6.1f ms\n", names[i], phases[i]);
    }
    const std::vector<double> soundFont = childMedians(self, runs, "soundfont", "hal");
    if (!soundFont.empty()) {
        std::printf("  %-48s %6.1f ms (on its own thread, beside the above)\n", "SoundFont load",
                    soundFont[0]);
    }
}

// The window figures: the three kinds of run alternate, so that the machine's load falls on each
// alike.
void reportWindowRuns(const char* self, int runs) {
    const char* kinds[] = {"menu", "play", "ceiling"};
    std::vector<std::vector<double>> lines[3];
    for (int i = 0; i < runs; ++i) {
        for (int kind = 0; kind < 3; ++kind) {
            const ChildResult child = runChild(self, "window", "hal", {kinds[kind], "5"});
            if (child.ok) {
                lines[kind].push_back(numbersOf(child.line));
            }
        }
    }
    std::printf("window, HAL, default size, %d runs of 5 s each (medians):\n", runs);
    for (int kind = 0; kind < 3; ++kind) {
        const std::vector<double> m = fieldMedians(lines[kind]);
        if (m.size() < 4) {
            std::printf("  %-8s no run succeeded\n", kinds[kind]);
            continue;
        }
        std::printf(
            "  %-8s %6.1f fps presented, CPU %5.1f %% of one core, %5.2f ms CPU a frame, "
            "resident %6.1f MiB%s\n",
            kinds[kind], m[0], m[1], m[2], m[3], kind == 2 ? " (unpaced)" : " (paced)");
    }
}

// Under a display the reference device's first-frame child does not finish (not looked into
// yet), so REF is measured offscreen only.
std::vector<const char*> devicesMeasured() {
    if (hasDisplay()) {
        return {"hal"};
    }
    return {"hal", "ref"};
}

int parent(const char* self, int runs) {
    printConditions();
    for (const char* device : devicesMeasured()) {
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
    reportStartUpPhases(self, runs);
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
    for (const char* device : devicesMeasured()) {
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
    if (hasDisplay()) {
        reportWindowRuns(self, runs);
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
    mainStart = Clock::now();
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
        if (mode == "--phases" && argc > 3) {
            return startUpPhases(device, argv[3]);
        }
        if (mode == "--soundfont") {
            return soundFontLoad();
        }
        if (mode == "--window" && argc > 4) {
            return windowRun(device, argv[3], std::atof(argv[4]));
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
