// Counts the frames any program presents into its X window, from the X server's damage reports:
// each frame a program shows marks its window damaged once, whatever draws it (OpenGL, an SDL
// renderer, plain X). bench/compare-peer.sh takes a game's figures with it.
//
//   window_frame_counter first NAME START_NS   waits for a mapped window titled NAME and its first
//                                              drawn frame; prints the milliseconds from START_NS
//                                              (nanoseconds of the real-time clock) and the id
//   window_frame_counter count ID SECONDS      prints the frames per second window ID presented
//                                              over SECONDS
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kPollMilliseconds = 2;
constexpr double kFindTimeoutSeconds = 30.0;

// Windows come and go while the tree is walked: a request about one already gone is no error.
int ignoreGoneWindows(Display*, XErrorEvent*) {
    return 0;
}

double realTimeSeconds() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool isMappedWindowNamed(Display* display, Window window, const char* name) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) == 0 ||
        attributes.map_state != IsViewable) {
        return false;
    }
    XTextProperty title;
    if (XGetWMName(display, window, &title) == 0 || title.value == nullptr) {
        return false;
    }
    const bool same = std::strcmp(reinterpret_cast<const char*>(title.value), name) == 0;
    XFree(title.value);
    return same;
}

// The first mapped window titled name under root, depth first (0 for none).
Window findWindow(Display* display, Window root, const char* name) {
    Window rootReturn = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, root, &rootReturn, &parent, &children, &count) == 0) {
        return 0;
    }
    Window found = 0;
    for (unsigned int i = 0; i < count && found == 0; ++i) {
        found = isMappedWindowNamed(display, children[i], name)
                    ? children[i]
                    : findWindow(display, children[i], name);
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

// Waits up to `seconds` for the next damage report on the display; false when none came.
bool nextDamage(Display* display, int damageEvent, double seconds) {
    const double until = steadySeconds() + seconds;
    for (;;) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == damageEvent + XDamageNotify) {
                const auto& notice = reinterpret_cast<const XDamageNotifyEvent&>(event);
                XDamageSubtract(display, notice.damage, None, None);
                XFlush(display);
                return true;
            }
        }
        const double left = until - steadySeconds();
        if (left <= 0.0) {
            return false;
        }
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1, static_cast<int>(left * 1000.0) + 1);
    }
}

int first(Display* display, int damageEvent, const char* name, double startSeconds) {
    Window window = 0;
    const double until = steadySeconds() + kFindTimeoutSeconds;
    while ((window = findWindow(display, DefaultRootWindow(display), name)) == 0) {
        if (steadySeconds() > until) {
            std::fprintf(stderr, "no window titled %s\n", name);
            return 1;
        }
        struct timespec pause {
            0, kPollMilliseconds * 1000000L
        };
        nanosleep(&pause, nullptr);
    }
    XDamageCreate(display, window, XDamageReportNonEmpty);
    XFlush(display);
    if (!nextDamage(display, damageEvent, kFindTimeoutSeconds)) {
        std::fprintf(stderr, "the window drew nothing\n");
        return 1;
    }
    std::printf("%.0f %lu\n", (realTimeSeconds() - startSeconds) * 1000.0, window);
    return 0;
}

int count(Display* display, int damageEvent, Window window, double seconds) {
    XDamageCreate(display, window, XDamageReportNonEmpty);
    XFlush(display);
    nextDamage(display, damageEvent, 1.0);  // the damage already there
    const double start = steadySeconds();
    long frames = 0;
    while (steadySeconds() - start < seconds) {
        if (nextDamage(display, damageEvent, seconds - (steadySeconds() - start))) {
            ++frames;
        }
    }
    std::printf("%.1f\n", static_cast<double>(frames) / (steadySeconds() - start));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s first NAME START_NS | count ID SECONDS\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    int damageEvent = 0, damageError = 0;
    if (display == nullptr || !XDamageQueryExtension(display, &damageEvent, &damageError)) {
        std::fprintf(stderr, "no X display with the damage extension\n");
        return 1;
    }
    XSetErrorHandler(ignoreGoneWindows);
    const std::string mode = argv[1];
    int result = 2;
    if (mode == "first") {
        result = first(display, damageEvent, argv[2], std::atof(argv[3]) / 1e9);
    } else if (mode == "count") {
        result = count(display, damageEvent, std::strtoul(argv[2], nullptr, 0), std::atof(argv[3]));
    }
    XCloseDisplay(display);
    return result;
}
