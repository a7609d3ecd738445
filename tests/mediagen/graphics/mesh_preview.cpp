// mesh_preview <Graphics folder> <output folder>: renders the generated meshes as the game
// places them (game scene, pause, game over, main menu) and in close-up, as PPM pictures for
// the contact sheet in docs/media.
#include <cmath>
#include <cstdio>
#include <string>

#include "tests/mediagen/graphics/preview_render.h"

using namespace meshcheck;

namespace {

constexpr double kPi = 3.14159265358979;
constexpr int kWidth = 640, kHeight = 480;
const V3 kClear{0.02, 0.03, 0.07};
const Light kKeyLight{{-1, -1, 1}, {1, 1, 1}, {1, 1, 1}};
const Light kFillLight{{0, -1, 1}, {0.6, 0.6, 0.6}, {0, 0, 0}};
const Light kBonusLight{{0, 0, 1}, {1, 1, 1}, {0, 0, 0}};
constexpr double kDimAmbient = 0.2, kMenuAmbient = 0.6;

struct Library {
    std::string folder;
    LoadedMesh load(const std::string& name) const {
        LoadedMesh mesh;
        if (!loadMesh(folder + "/" + name, mesh))
            std::fprintf(stderr, "cannot load %s\n", name.c_str());
        return mesh;
    }
};

M4 cellAt(int column, int row) {
    return translate(column - 6.5, 10.5 - row, 22);
}

void drawGameScene(PreviewCanvas& canvas, const Library& lib) {
    canvas.draw(transformed(lib.load("glass.x"),
                            rotateX(kPi) * rotateY(kPi / 2) * translate(-6.6, 5.8, 22)),
                {kKeyLight, kFillLight}, kDimAmbient, lib.folder);
    LoadedMesh cells[7];
    for (int c = 0; c < 7; ++c)
        cells[c] = lib.load("cell_" + std::to_string(c + 1) + ".x");
    for (int row = 15; row <= 20; ++row) {
        for (int column = 1; column <= 12; ++column) {
            if ((column * 7 + row * 3) % 11 == 0 || (row < 17 && column > 8))
                continue;
            canvas.draw(transformed(cells[(column + row * 2) % 7], cellAt(column, row)),
                        {kKeyLight}, kDimAmbient, lib.folder);
        }
    }
    const int piece[4][2] = {{5, 4}, {6, 4}, {7, 4}, {6, 5}};
    for (auto& p : piece)
        canvas.draw(transformed(cells[5], cellAt(p[0], p[1])), {kKeyLight}, kDimAmbient,
                    lib.folder);
    const M4 bonusTurn = rotateX(-kPi / 2) * rotateY(0.5);
    canvas.draw(
        transformed(lib.load("bonus.x"), bonusTurn * translate(3 - 6.5, 10.5 - 12 + 0.55, 22)),
        {kKeyLight, kFillLight, kBonusLight}, kDimAmbient, lib.folder);
    canvas.draw(
        transformed(lib.load("bonus2.x"), bonusTurn * translate(10 - 6.5, 10.5 - 14 + 0.55, 22)),
        {kKeyLight, kFillLight, kBonusLight}, kDimAmbient, lib.folder);
}

void drawOverlay(PreviewCanvas& canvas, const Library& lib, const std::string& name, double sway) {
    canvas.draw(
        transformed(lib.load(name), rotateX(-kPi / 2) * rotateY(sway) * translate(0, 0, 15)),
        {kKeyLight, kFillLight}, kDimAmbient, lib.folder);
}

void drawMainMenu(PreviewCanvas& canvas, const Library& lib, double sway) {
    canvas.draw(transformed(lib.load("gamename1.x"),
                            scale(0.06) * rotateX(-kPi / 2) * translate(-3, 9, 25)),
                {kKeyLight}, kMenuAmbient, lib.folder);
    canvas.draw(transformed(lib.load("gamename2.x"),
                            scale(0.06) * rotateX(-kPi / 2) * rotateY(sway) * translate(0, 5, 25)),
                {kKeyLight}, kMenuAmbient, lib.folder);
    const LoadedMesh highlight = lib.load("cell_2.x");
    canvas.draw(transformed(highlight, rotateY(-0.6) * translate(-7.5, 1.8, 22)), {kKeyLight},
                kDimAmbient, lib.folder);
    canvas.draw(transformed(highlight, rotateY(0.6) * translate(7.5, 1.8, 22)), {kKeyLight},
                kDimAmbient, lib.folder);
}

void drawCloseUps(PreviewCanvas& canvas, const Library& lib) {
    const M4 tilt = rotateY(0.55) * rotateX(0.45);
    for (int c = 0; c < 7; ++c) {
        canvas.draw(transformed(lib.load("cell_" + std::to_string(c + 1) + ".x"),
                                tilt * translate(-3.3 + 1.1 * c, 0.8, 4)),
                    {kKeyLight}, kDimAmbient, lib.folder);
    }
    canvas.draw(transformed(lib.load("bonus.x"),
                            rotateX(-kPi / 2) * rotateY(0.4) * translate(-1, -1.2 + 0.55, 2.5)),
                {kKeyLight, kFillLight, kBonusLight}, kDimAmbient, lib.folder);
    canvas.draw(transformed(lib.load("bonus2.x"),
                            rotateX(-kPi / 2) * rotateY(0.3) * translate(1, -1.2 + 0.55, 2.5)),
                {kKeyLight, kFillLight, kBonusLight}, kDimAmbient, lib.folder);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: mesh_preview <Graphics folder> <output folder>\n");
        return 2;
    }
    const Library lib{argv[1]};
    const std::string out = argv[2];
    bool ok = true;
    {
        PreviewCanvas canvas(kWidth, kHeight, kClear);
        drawGameScene(canvas, lib);
        ok = canvas.writePpm(out + "/scene_game.ppm") && ok;
    }
    {
        PreviewCanvas canvas(kWidth, kHeight, kClear);
        drawGameScene(canvas, lib);
        drawOverlay(canvas, lib, "game_pause.x", 0.3);
        ok = canvas.writePpm(out + "/scene_paused.ppm") && ok;
    }
    {
        PreviewCanvas canvas(kWidth, kHeight, kClear);
        drawGameScene(canvas, lib);
        drawOverlay(canvas, lib, "game_over.x", -0.35);
        ok = canvas.writePpm(out + "/scene_game_over.ppm") && ok;
    }
    {
        PreviewCanvas canvas(kWidth, kHeight, kClear);
        drawMainMenu(canvas, lib, 0.3);
        ok = canvas.writePpm(out + "/scene_main_menu.ppm") && ok;
    }
    {
        PreviewCanvas canvas(kWidth, kHeight, kClear);
        drawCloseUps(canvas, lib);
        ok = canvas.writePpm(out + "/close_ups.ppm") && ok;
    }
    return ok ? 0 : 1;
}
