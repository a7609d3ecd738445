// Entry point of Kolvane. The window and the game are wired in as the frame comes together;
// until then the program says plainly that there is nothing to play yet.
#include <cstdio>

int main() {
    std::puts("Kolvane: the game window is not built yet, so the game is not playable yet.");
    return 0;
}
