// The generated pictures and meshes: identical on every run, readable by SDL, ImageMagick and
// Assimp, and standing where the game draws them once its transforms are applied.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "tests/mediagen/graphics/loaded_mesh.h"
#include "tools/mediagen/media_parts.h"

namespace fs = std::filesystem;
using namespace meshcheck;

namespace {

constexpr double kPi = 3.14159265358979323846;

// A folder under the system's temporary directory, removed with the object.
class ScratchFolder {
public:
    ScratchFolder() {
        static int counter = 0;
        path = fs::temp_directory_path() /
               ("kolvane_gfx_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        fs::remove_all(path);
        fs::create_directories(path / "Graphics");
    }
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    fs::path graphics() const { return path / "Graphics"; }
    fs::path path;
};

// Generation takes seconds, so each test process makes each part once.
const ScratchFolder& pictureRun() {
    static const ScratchFolder folder;
    static const bool written = mediagen::writePictures(folder.path);
    EXPECT_TRUE(written);
    return folder;
}

const ScratchFolder& meshRun() {
    static const ScratchFolder folder;
    static const bool written = mediagen::writeMeshes(folder.path);
    EXPECT_TRUE(written);
    return folder;
}

std::string contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every picture the game loads, with the shape (width / height) it is drawn in on a 4:3 view.
const std::map<std::string, double>& gamePictures() {
    static const std::map<std::string, double> pictures = [] {
        std::map<std::string, double> p;
        for (const char* q :
             {"back_static_11", "back_static_12", "back_static_13", "back_static_14"})
            p[std::string(q) + ".bmp"] = 4.0 / 3.0;
        for (const char* v : {"1", "2", "3"}) {
            p[std::string("back_up_") + v + ".bmp"] = 1.0;
            p[std::string("back_down_") + v + ".bmp"] = 1.0;
        }
        p["list.bmp"] = (0.7 * 4) / (0.74 * 3);
        p["select_game.bmp"] = (0.6 * 4) / (0.15 * 3);
        for (const char* l : {"level", "time", "scores", "next"})
            p[std::string(l) + ".bmp"] = (0.2 * 4) / (0.075 * 3);
        for (const char* i :
             {"new_game", "high_scores", "game_info", "exit", "classic", "original", "crazy"})
            p[std::string(i) + ".bmp"] = (0.4 * 4) / (0.1 * 3);
        return p;
    }();
    return pictures;
}

// Every mesh the game loads, with its number of materials.
const std::map<std::string, std::size_t>& gameMeshes() {
    static const std::map<std::string, std::size_t> meshes = {
        {"gamename1.x", 2}, {"gamename2.x", 2}, {"game_pause.x", 3}, {"game_over.x", 3},
        {"bonus.x", 2},     {"bonus2.x", 1},    {"glass.x", 2},      {"cell_1.x", 1},
        {"cell_2.x", 1},    {"cell_3.x", 1},    {"cell_4.x", 1},     {"cell_5.x", 1},
        {"cell_6.x", 1},    {"cell_7.x", 1}};
    return meshes;
}

struct Rgb8 {
    int r, g, b;
};

struct LoadedPicture {
    int width = 0, height = 0, bitsPerPixel = 0;
    std::vector<Rgb8> pixels;
    Rgb8 at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
};

bool loadPicture(const fs::path& file, LoadedPicture& picture) {
    SDL_Surface* surface = SDL_LoadBMP(file.c_str());
    if (!surface)
        return false;
    picture.bitsPerPixel = surface->format->BitsPerPixel;
    SDL_Surface* rgb = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_RGB24, 0);
    SDL_FreeSurface(surface);
    if (!rgb)
        return false;
    picture.width = rgb->w;
    picture.height = rgb->h;
    for (int y = 0; y < rgb->h; ++y) {
        const auto* row = static_cast<const unsigned char*>(rgb->pixels) + y * rgb->pitch;
        for (int x = 0; x < rgb->w; ++x)
            picture.pixels.push_back({row[3 * x], row[3 * x + 1], row[3 * x + 2]});
    }
    SDL_FreeSurface(rgb);
    return true;
}

int difference(Rgb8 a, Rgb8 b) {
    return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
}

// Whether the colour step across the seam between line `lineA` of one picture and line
// `lineB` of another (columns, or rows with `rows`) is like the steps between neighbouring
// lines inside the first picture.
bool joinsSmoothly(const LoadedPicture& a, int lineA, const LoadedPicture& b, int lineB,
                   bool rows) {
    const int length = rows ? a.width : a.height, lines = rows ? a.height : a.width;
    const auto pixel = [rows](const LoadedPicture& p, int line, int i) {
        return rows ? p.at(i, line) : p.at(line, i);
    };
    double seam = 0, inner = 0;
    for (int i = 0; i < length; ++i) {
        seam += difference(pixel(a, lineA, i), pixel(b, lineB, i));
        for (int line = 0; line + 1 < lines; ++line)
            inner += difference(pixel(a, line, i), pixel(a, line + 1, i));
    }
    seam /= length;
    inner /= double(length) * (lines - 1);
    return seam < 2.0 * inner + 3.0;
}

bool identifyAvailable() {
    return std::system("command -v identify >/dev/null 2>&1") == 0;
}

std::string identify(const fs::path& file) {
    const std::string command = "identify -format '%w %h %z' '" + file.string() + "' 2>/dev/null";
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[128];
        while (std::fgets(buffer, sizeof buffer, pipe))
            out += buffer;
        pclose(pipe);
    }
    return out;
}

LoadedMesh loadGameMesh(const std::string& name) {
    LoadedMesh mesh;
    EXPECT_TRUE(loadMesh((meshRun().graphics() / name).string(), mesh)) << name;
    return mesh;
}

struct Bounds {
    V3 low{1e9, 1e9, 1e9}, high{-1e9, -1e9, -1e9};
    V3 size() const { return high - low; }
    V3 middle() const { return (low + high) * 0.5; }
};

Bounds boundsOf(const LoadedMesh& mesh) {
    Bounds b;
    for (const Triangle& t : mesh.triangles) {
        for (const Corner& c : t.corners) {
            b.low = {std::min(b.low.x, c.position.x), std::min(b.low.y, c.position.y),
                     std::min(b.low.z, c.position.z)};
            b.high = {std::max(b.high.x, c.position.x), std::max(b.high.y, c.position.y),
                      std::max(b.high.z, c.position.z)};
        }
    }
    return b;
}

V3 faceNormal(const Triangle& t) {
    return cross(t.corners[1].position - t.corners[0].position,
                 t.corners[2].position - t.corners[0].position);
}

// Six times the enclosed volume: positive when every face is wound clockwise seen from outside.
double windingVolume(const LoadedMesh& mesh) {
    double sum = 0;
    for (const Triangle& t : mesh.triangles)
        sum += dot(t.corners[0].position, faceNormal(t));
    return sum;
}

// The transforms the game draws each mesh with (its sways and spins at angle 0).
M4 wellPlacement() {
    return rotateX(kPi) * rotateY(kPi / 2) * translate(-6.6, 5.8, 22);
}
M4 titlePlacement(double x, double y) {
    return scale(0.06) * rotateX(-kPi / 2) * translate(x, y, 25);
}
M4 overlayPlacement() {
    return rotateX(-kPi / 2) * translate(0, 0, 15);
}
M4 bonusPlacement(int column, int row, double spin) {
    return rotateX(-kPi / 2) * rotateY(spin) * translate(column - 6.5, 10.5 - row + 0.55, 22);
}

// The transform the game draws a mesh file with (cells in any cell of the well).
M4 gamePlacement(const std::string& file) {
    if (file == "glass.x")
        return wellPlacement();
    if (file == "gamename1.x")
        return titlePlacement(-3, 9);
    if (file == "gamename2.x")
        return titlePlacement(0, 5);
    if (file == "game_pause.x" || file == "game_over.x")
        return overlayPlacement();
    if (file == "bonus.x" || file == "bonus2.x")
        return bonusPlacement(3, 12, 0);
    return translate(-2.5, 4.5, 22);
}

// The factor by which the device lengthens a normal drawn with `m` (rotations, one uniform
// scale, translations): its inverse transpose divides by the scale.
double normalGrowth(const M4& m) {
    return 1 / std::sqrt(m.m[0][0] * m.m[0][0] + m.m[0][1] * m.m[0][1] + m.m[0][2] * m.m[0][2]);
}

bool segmentHitsTriangle(V3 from, V3 to, const Triangle& t) {
    const V3 direction = to - from;
    const V3 e1 = t.corners[1].position - t.corners[0].position;
    const V3 e2 = t.corners[2].position - t.corners[0].position;
    const V3 p = cross(direction, e2);
    const double det = dot(e1, p);
    if (std::fabs(det) < 1e-12)
        return false;
    const V3 s = from - t.corners[0].position;
    const double u = dot(s, p) / det;
    if (u < 0 || u > 1)
        return false;
    const V3 q = cross(s, e1);
    const double v = dot(direction, q) / det;
    if (v < 0 || u + v > 1)
        return false;
    const double along = dot(e2, q) / det;
    return along > 0 && along < 1;
}

// The span of heights covered by the corners lying within `reach` of the mesh's left (or
// right) edge: a straight upright stroke there covers nearly the whole height.
double edgeStrokeHeight(const LoadedMesh& mesh, bool left, double reach) {
    const Bounds b = boundsOf(mesh);
    double low = 1e9, high = -1e9;
    for (const Triangle& t : mesh.triangles) {
        for (const Corner& c : t.corners) {
            const bool near =
                left ? c.position.x < b.low.x + reach : c.position.x > b.high.x - reach;
            if (near) {
                low = std::min(low, c.position.y);
                high = std::max(high, c.position.y);
            }
        }
    }
    return high - low;
}

}  // namespace

TEST(GraphicsMedia, WritesTheSameBytesOnEveryRun) {
    ScratchFolder first, second;
    ASSERT_TRUE(mediagen::writePictures(first.path) && mediagen::writeMeshes(first.path));
    ASSERT_TRUE(mediagen::writePictures(second.path) && mediagen::writeMeshes(second.path));
    for (const auto& [name, shape] : gamePictures())
        EXPECT_TRUE(fs::exists(first.graphics() / name)) << name;
    for (const auto& [name, materials] : gameMeshes())
        EXPECT_TRUE(fs::exists(first.graphics() / name)) << name;
    std::size_t compared = 0;
    for (const auto& entry : fs::directory_iterator(first.graphics())) {
        const fs::path twin = second.graphics() / entry.path().filename();
        ASSERT_TRUE(fs::exists(twin)) << twin;
        EXPECT_EQ(contents(entry.path()), contents(twin)) << entry.path().filename();
        ++compared;
    }
    EXPECT_GE(compared, gamePictures().size() + gameMeshes().size());
}

TEST(GraphicsMedia, EveryPictureIsA24BitBmpShapedLikeItsScreenArea) {
    const bool withIdentify = identifyAvailable();
    for (const auto& [name, shape] : gamePictures()) {
        const fs::path file = pictureRun().graphics() / name;
        LoadedPicture picture;
        ASSERT_TRUE(loadPicture(file, picture)) << name << ": " << SDL_GetError();
        EXPECT_EQ(picture.bitsPerPixel, 24) << name;
        EXPECT_NEAR(double(picture.width) / picture.height, shape, shape * 0.1) << name;
        int darkest = 765, brightest = 0;
        for (const Rgb8& p : picture.pixels) {
            darkest = std::min(darkest, p.r + p.g + p.b);
            brightest = std::max(brightest, p.r + p.g + p.b);
        }
        EXPECT_GT(brightest - darkest, 150) << name << " is nearly flat";
        if (withIdentify) {
            EXPECT_EQ(identify(file),
                      std::to_string(picture.width) + " " + std::to_string(picture.height) + " 8")
                << name;
        }
    }
}

// The panels are drawn as opaque rectangles over the moving background, so whatever lies in a
// picture's corners shows on screen: it must be the gold frame, not a dark surround.
TEST(GraphicsMedia, PanelsFillTheirWholeRectangleWithTheGoldFrame) {
    constexpr int kCornerBlock = 6;
    for (const auto& [name, shape] : gamePictures()) {
        if (name.rfind("back_", 0) == 0)
            continue;
        LoadedPicture panel;
        ASSERT_TRUE(loadPicture(pictureRun().graphics() / name, panel)) << name;
        for (int corner = 0; corner < 4; ++corner) {
            const int left = corner % 2 == 0 ? 0 : panel.width - kCornerBlock;
            const int top = corner / 2 == 0 ? 0 : panel.height - kCornerBlock;
            int darkOrNotGold = 0;
            for (int y = top; y < top + kCornerBlock; ++y) {
                for (int x = left; x < left + kCornerBlock; ++x) {
                    const Rgb8 p = panel.at(x, y);
                    darkOrNotGold += p.r + p.g + p.b < 90 || p.r < p.b + 30;
                }
            }
            EXPECT_EQ(darkOrNotGold, 0) << name << " at " << left << ", " << top;
        }
    }
}

TEST(GraphicsMedia, PlaneTilesRepeatWithoutSeams) {
    for (const char* name : {"back_up_1.bmp", "back_up_2.bmp", "back_up_3.bmp", "back_down_1.bmp",
                             "back_down_2.bmp", "back_down_3.bmp"}) {
        LoadedPicture tile;
        ASSERT_TRUE(loadPicture(pictureRun().graphics() / name, tile)) << name;
        EXPECT_TRUE(joinsSmoothly(tile, tile.width - 1, tile, 0, false)) << name << " left-right";
        EXPECT_TRUE(joinsSmoothly(tile, tile.height - 1, tile, 0, true)) << name << " top-bottom";
    }
}

TEST(GraphicsMedia, StillBackgroundQuartersMeetWhereTheGameDrawsThem) {
    // 12 top left, 11 top right, 13 bottom left, 14 bottom right.
    LoadedPicture q11, q12, q13, q14;
    const fs::path g = pictureRun().graphics();
    ASSERT_TRUE(
        loadPicture(g / "back_static_11.bmp", q11) && loadPicture(g / "back_static_12.bmp", q12) &&
        loadPicture(g / "back_static_13.bmp", q13) && loadPicture(g / "back_static_14.bmp", q14));
    EXPECT_TRUE(joinsSmoothly(q12, q12.width - 1, q11, 0, false));
    EXPECT_TRUE(joinsSmoothly(q13, q13.width - 1, q14, 0, false));
    EXPECT_TRUE(joinsSmoothly(q12, q12.height - 1, q13, 0, true));
    EXPECT_TRUE(joinsSmoothly(q11, q11.height - 1, q14, 0, true));
}

TEST(GraphicsMedia, EveryMeshLoadsWithItsMaterialsAndOutwardFaces) {
    for (const auto& [name, materials] : gameMeshes()) {
        const LoadedMesh mesh = loadGameMesh(name);
        EXPECT_EQ(mesh.materials.size(), materials) << name;
        EXPECT_TRUE(mesh.hasNormals) << name;
        ASSERT_FALSE(mesh.triangles.empty()) << name;
        std::size_t disagreeing = 0;
        for (const Triangle& t : mesh.triangles) {
            const V3 stored = t.corners[0].normal + t.corners[1].normal + t.corners[2].normal;
            if (dot(faceNormal(t), stored) <= 0)
                ++disagreeing;
        }
        EXPECT_EQ(disagreeing, 0u) << name << ": triangles wound against their normals";
        if (name != "glass.x") {
            EXPECT_GT(windingVolume(mesh), 0) << name << " shows its inside";
        }
    }
}

// The game lights every mesh without renormalising its normals, so a normal only lights as
// designed if the game's own transform leaves it at unit length.
TEST(GraphicsMedia, NormalsAreUnitLengthAtTheScaleTheGameDrawsEachMeshWith) {
    for (const auto& [name, materials] : gameMeshes()) {
        const LoadedMesh mesh = loadGameMesh(name);
        const double growth = normalGrowth(gamePlacement(name));
        std::size_t wrong = 0, corners = 0;
        double example = 0;
        for (const Triangle& t : mesh.triangles) {
            for (const Corner& c : t.corners) {
                const double drawnLength = std::sqrt(dot(c.normal, c.normal)) * growth;
                ++corners;
                if (std::fabs(drawnLength - 1) > 0.01) {
                    ++wrong;
                    example = drawnLength;
                }
            }
        }
        EXPECT_GT(corners, 0u) << name;
        EXPECT_EQ(wrong, 0u) << name << ": normals reach the lighting " << example << " long";
    }
}

TEST(GraphicsMedia, CellsAreBevelledUnitCubesInSevenDistinctShinyColours) {
    std::vector<V3> colours;
    for (int i = 1; i <= 7; ++i) {
        const LoadedMesh cell = loadGameMesh("cell_" + std::to_string(i) + ".x");
        const Bounds b = boundsOf(cell);
        for (double extent : {b.size().x, b.size().y, b.size().z})
            EXPECT_NEAR(extent, 0.94, 0.03) << i;
        EXPECT_NEAR(b.middle().x, 0, 1e-6);
        EXPECT_NEAR(b.middle().y, 0, 1e-6);
        EXPECT_NEAR(b.middle().z, 0, 1e-6);
        EXPECT_GT(cell.triangles.size(), 12u) << "cell " << i << " has no bevel";
        const Material& m = cell.materials.at(0);
        EXPECT_GT(std::max({m.diffuse.x, m.diffuse.y, m.diffuse.z}) -
                      std::min({m.diffuse.x, m.diffuse.y, m.diffuse.z}),
                  0.5)
            << "cell " << i << " is not saturated";
        EXPECT_GE(std::min({m.specular.x, m.specular.y, m.specular.z}), 0.9);
        EXPECT_GE(m.power, 20);
        EXPECT_LE(m.power, 40);
        colours.push_back(m.diffuse);
    }
    for (std::size_t i = 0; i < colours.size(); ++i) {
        for (std::size_t j = i + 1; j < colours.size(); ++j) {
            const V3 d = colours[i] - colours[j];
            EXPECT_GT(std::sqrt(dot(d, d)), 0.35)
                << "cells " << i + 1 << " and " << j + 1 << " look alike";
        }
    }
}

TEST(GraphicsMedia, WellFramesTheBoardOpenAtTopAndFront) {
    const LoadedMesh well = transformed(loadGameMesh("glass.x"), wellPlacement());
    // Inner faces: the left and right walls at x = -6 and 6 along all 20 rows, the floor at
    // y = -10 under all 12 columns.
    const auto axisOf = [](V3 v, int a) { return a == 0 ? v.x : a == 1 ? v.y : v.z; };
    const auto span = [&](int axis, double at, double facing, int along) {
        double low = 1e9, high = -1e9;
        for (const Triangle& t : well.triangles) {
            const bool onPlane = std::all_of(
                t.corners.begin(), t.corners.end(),
                [&](const Corner& c) { return std::fabs(axisOf(c.position, axis) - at) < 0.01; });
            if (!onPlane || axisOf(faceNormal(t), axis) * facing <= 0)
                continue;
            for (const Corner& c : t.corners) {
                low = std::min(low, axisOf(c.position, along));
                high = std::max(high, axisOf(c.position, along));
            }
        }
        return std::pair{low, high};
    };
    const auto [leftLow, leftHigh] = span(0, -6.0, 1, 1);
    EXPECT_LE(leftLow, -10.0);
    EXPECT_GE(leftHigh, 10.0);
    const auto [rightLow, rightHigh] = span(0, 6.0, -1, 1);
    EXPECT_LE(rightLow, -10.0);
    EXPECT_GE(rightHigh, 10.0);
    const auto [floorLow, floorHigh] = span(1, -10.0, 1, 0);
    EXPECT_LE(floorLow, -6.0);
    EXPECT_GE(floorHigh, 6.0);
    // The back panel lies just behind the cells wherever one looks into the well.
    const V3 eye{0, 0, -5};
    for (const V3 target : {V3{-5.5, 9.5, 22}, V3{5.5, -9.5, 22}, V3{0.5, 0.5, 22}}) {
        double nearest = 1e9;
        const V3 far = eye + (target - eye) * 2.0;
        for (const Triangle& t : well.triangles) {
            if (!segmentHitsTriangle(eye, far, t))
                continue;
            nearest = std::min(nearest, t.corners[0].position.z);
        }
        EXPECT_GT(nearest, 22.47);
        EXPECT_LT(nearest, 23.0);
    }
    // Nothing above the board between the walls, nothing in front of it.
    for (const Triangle& t : well.triangles) {
        for (const Corner& c : t.corners) {
            const V3 p = c.position;
            if (std::fabs(p.x) < 6 - 1e-3) {
                EXPECT_LE(p.y, 10 + 1e-3);
                if (p.y > -10 + 1e-3) {
                    EXPECT_GT(p.z, 22.47);
                }
            }
        }
    }
}

TEST(GraphicsMedia, WellNeverHidesACell) {
    const LoadedMesh well = transformed(loadGameMesh("glass.x"), wellPlacement());
    const V3 eye{0, 0, -5};
    int hidden = 0;
    for (int column = 1; column <= 12; ++column) {
        for (int row = 1; row <= 20; ++row) {
            const V3 centre{column - 6.5, 10.5 - row, 22};
            for (const V3 offset : {V3{0, 0, -0.47}, V3{-0.46, -0.46, -0.47}, V3{0.46, 0.46, -0.47},
                                    V3{-0.47, 0.46, 0.46}, V3{0.47, -0.46, 0.46}}) {
                for (const Triangle& t : well.triangles) {
                    if (segmentHitsTriangle(eye, centre + offset, t)) {
                        ++hidden;
                        break;
                    }
                }
            }
        }
    }
    EXPECT_EQ(hidden, 0);
}

TEST(GraphicsMedia, LetteringStandsInFrontOfTheViewerAndReadsLeftToRight) {
    struct Case {
        const char* file;
        M4 placement;
        double minWidth, maxWidth, lowest, highest, depth;
    };
    const Case cases[] = {{"gamename1.x", titlePlacement(-3, 9), 18, 27, 6.5, 12.4, 25},
                          {"gamename2.x", titlePlacement(0, 5), 4, 14, 3.5, 6.5, 25},
                          // Narrower than the well looks from their nearer depth.
                          {"game_pause.x", overlayPlacement(), 6, 8.2, -1.5, 1.5, 15},
                          {"game_over.x", overlayPlacement(), 6, 8.2, -1.5, 1.5, 15}};
    for (const Case& c : cases) {
        const LoadedMesh mesh = transformed(loadGameMesh(c.file), c.placement);
        const Bounds b = boundsOf(mesh);
        EXPECT_GE(b.size().x, c.minWidth) << c.file;
        EXPECT_LE(b.size().x, c.maxWidth) << c.file;
        EXPECT_NEAR(b.middle().x, 0, 0.3) << c.file << " is off centre";
        EXPECT_GE(b.low.y, c.lowest) << c.file;
        EXPECT_LE(b.high.y, c.highest) << c.file;
        EXPECT_NEAR(b.middle().z, c.depth, 0.5) << c.file;
        EXPECT_GT(b.size().x, b.size().z * 4) << c.file << " does not stand upright";
        double frontArea = 0;
        std::size_t frontTriangles = 0, turnedAway = 0;
        for (const Triangle& t : mesh.triangles) {
            const bool atFront =
                std::all_of(t.corners.begin(), t.corners.end(),
                            [&](const Corner& k) { return k.position.z < b.low.z + 1e-4; });
            if (!atFront)
                continue;
            ++frontTriangles;
            const V3 n = faceNormal(t);
            frontArea += std::sqrt(dot(n, n)) / 2;
            if (n.z >= 0)
                ++turnedAway;
        }
        EXPECT_GT(frontTriangles, 0u) << c.file;
        EXPECT_EQ(turnedAway, 0u) << c.file << ": letters' fronts face away from the viewer";
        EXPECT_GT(frontArea, 0.12 * b.size().x * b.size().y) << c.file;
    }
    // "PAUSED" starts with the upright stem of the P and ends with the bowl of the D.
    const LoadedMesh paused = transformed(loadGameMesh("game_pause.x"), overlayPlacement());
    const double height = boundsOf(paused).size().y;
    EXPECT_GT(edgeStrokeHeight(paused, true, 0.05), 0.9 * height);
    EXPECT_LT(edgeStrokeHeight(paused, false, 0.05), 0.6 * height);
}

TEST(GraphicsMedia, BonusObjectsStandUprightInsideTheirCell) {
    for (const char* file : {"bonus.x", "bonus2.x"}) {
        const LoadedMesh object = loadGameMesh(file);
        for (const double spin : {0.0, 1.0, 2.5}) {
            const Bounds b = boundsOf(transformed(object, bonusPlacement(3, 12, spin)));
            EXPECT_NEAR(b.size().y, 0.8, 0.1) << file;
            EXPECT_GE(b.low.x, 3 - 7.0) << file;
            EXPECT_LE(b.high.x, 3 - 6.0) << file;
            EXPECT_GE(b.low.y, 10 - 12.0) << file;
            EXPECT_LE(b.high.y, 11 - 12.0) << file;
            EXPECT_GE(b.low.z, 21.5) << file;
            EXPECT_LE(b.high.z, 22.5) << file;
        }
    }
}

// A thin star or a narrow shard reads as a speck inside its cell: seen face on, each object
// covers most of a square 0.8 of a cell across.
TEST(GraphicsMedia, BonusObjectsFillTheirCellSolidlyFromTheFront) {
    constexpr double kSize = 0.8, kStep = 0.01;
    for (const char* file : {"bonus.x", "bonus2.x"}) {
        const LoadedMesh object = transformed(loadGameMesh(file), bonusPlacement(7, 11, 0));
        const V3 centre{0.5, -0.5, 22};
        int covered = 0, samples = 0;
        for (double y = -kSize / 2; y < kSize / 2; y += kStep) {
            for (double x = -kSize / 2; x < kSize / 2; x += kStep) {
                ++samples;
                const V3 from = centre + V3{x, y, -1}, to = centre + V3{x, y, 1};
                covered += std::any_of(
                    object.triangles.begin(), object.triangles.end(),
                    [&](const Triangle& t) { return segmentHitsTriangle(from, to, t); });
            }
        }
        EXPECT_GE(double(covered) / samples, 0.45) << file;
    }
}
