// The game's meshes. Each is built where it stands in the world when the game draws it, then
// carried back through the inverse of the transform the game applies to it, so the file holds
// it in its own frame.
#include <algorithm>
#include <cstdio>
#include <numbers>
#include <string>

#include "tools/mediagen/graphics/extrusion.h"
#include "tools/mediagen/graphics/lettering.h"
#include "tools/mediagen/graphics/mesh_designs.h"
#include "tools/mediagen/graphics/solids.h"
#include "tools/mediagen/media_parts.h"

namespace mediagen {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kCellHalfSize = 0.47;
constexpr double kCellChamfer = 0.06;
constexpr double kWellHalfWidth = 6.0;  // columns 1..12 span x = -6 .. 6
constexpr double kWellFloor = -10.0;    // row 20's bottom edge
constexpr double kWellTop = 10.0;       // row 1's top edge
constexpr double kBoardDepth = 22.0;

MeshMaterial shiny(const char* name, Colour diffuse, double power) {
    MeshMaterial m;
    m.name = name;
    m.diffuse = diffuse;
    m.power = power;
    return m;
}

// The rim round a display's letters: nearly black with a weak sheen, so it stays dark over
// cells of any colour.
MeshMaterial outlineMaterial(Colour tint) {
    MeshMaterial m = shiny("Outline", tint, 30);
    m.specular = {0.25, 0.25, 0.25};
    return m;
}

struct CellColour {
    const char* name;
    Colour diffuse;
};

// Hue and lightness both differ, so the seven read apart for colour-blind players too: the
// blue is clearly lighter than the violet next to it in hue, and every colour far lighter
// than the well's dark back panel.
constexpr CellColour kCellColours[kCellColourCount] = {
    {"Ruby", {0.86, 0.08, 0.10}},    {"Amber", {1.00, 0.52, 0.04}}, {"Lemon", {1.00, 0.90, 0.12}},
    {"Emerald", {0.10, 0.70, 0.18}}, {"Aqua", {0.12, 0.86, 0.92}},  {"Azure", {0.20, 0.50, 1.00}},
    {"Violet", {0.58, 0.16, 0.86}},
};

// The game lights its meshes without renormalising their normals, and the device carries a
// normal through the inverse transpose of the world transform, which divides it by the
// transform's scale. So each normal is stored as long as that scale and reaches the lighting
// at unit length; a title drawn at 0.06 would otherwise be lit 17 times over, plain white.
void placeInOwnFrame(MeshModel& mesh, const Mat4& gameTransform) {
    transformMesh(mesh, inverseOfRigidScaled(gameTransform));
    const double drawnScale = uniformScaleOf(gameTransform);
    for (MeshVertex& vertex : mesh.vertices)
        vertex.normal = vertex.normal * drawnScale;
}

// Fits the text's outline into a box of the given world size centred at `centre`: the letters
// with materials 0 (front) and 1 (sides), their outline, if the design has one, with 2.
void addLettering(MeshModel& mesh, const FontFace& font, const LetteringDesign& design) {
    const TextOutline text = font.outline(design.text, design.tracking);
    const double width = text.maxX - text.minX, height = text.maxY - text.minY;
    if (width <= 0 || height <= 0)
        return;
    const double scale = std::min(design.width / width, design.height / height);
    const Vec2 middle{(text.minX + text.maxX) / 2, (text.minY + text.maxY) / 2};
    std::vector<Contour> placed = text.contours;
    for (Contour& contour : placed) {
        for (Vec2& p : contour)
            p = (p - middle) * scale + Vec2{design.centre.x, design.centre.y};
    }
    const std::size_t first = mesh.vertices.size();
    addExtrudedOutline(mesh, placed, text.fillOnRight, {design.depth, design.bevel * scale, 0, 1});
    if (design.outline > 0) {
        // A plate of the letters' shape grown by the outline, its front a little behind
        // theirs: seen from the front it rims every letter, whatever lies behind.
        const std::size_t plate = mesh.vertices.size();
        const double plateDepth = design.depth * 0.6;
        addExtrudedOutline(mesh, grownContours(placed, text.fillOnRight, design.outline * scale),
                           text.fillOnRight, {plateDepth, design.bevel * scale, 2, 2});
        for (std::size_t i = plate; i < mesh.vertices.size(); ++i)
            mesh.vertices[i].position.z += (design.depth - plateDepth) / 2;
    }
    for (std::size_t i = first; i < mesh.vertices.size(); ++i) {
        mesh.vertices[i].position.z += design.centre.z;
    }
}

}  // namespace

MeshModel cellMesh(int colour) {
    MeshModel mesh;
    MeshMaterial m = shiny(kCellColours[colour].name, kCellColours[colour].diffuse, 30);
    m.textureFile = "cell_face.bmp";
    mesh.materials.push_back(m);
    addChamferedBox(mesh, {0, 0, 0}, {kCellHalfSize, kCellHalfSize, kCellHalfSize}, kCellChamfer,
                    0);
    return mesh;
}

Mat4 wellTransform() {
    return rotationX(kPi) * rotationY(kPi / 2) * translation({-6.6, 5.8, 22});
}

MeshModel wellMesh() {
    MeshModel mesh;
    mesh.materials.push_back(shiny("BrushedSteel", {0.58, 0.62, 0.70}, 36));
    // Dark and only faintly blue, with a weak sheen, so that every cell stands out from it.
    MeshMaterial back = shiny("DeepGlass", {0.04, 0.05, 0.10}, 24);
    back.specular = {0.10, 0.11, 0.14};
    back.emissive = {0.008, 0.010, 0.022};
    back.textureFile = "well_back.bmp";
    mesh.materials.push_back(back);

    const double rail = 0.32, front = kBoardDepth - 0.62, rear = kBoardDepth + 0.78;
    const double zMid = (front + rear) / 2, zHalf = (rear - front) / 2;
    const double wallTop = kWellTop + 0.2, wallBottom = kWellFloor - rail;
    const double wallMidY = (wallTop + wallBottom) / 2, wallHalfY = (wallTop - wallBottom) / 2;
    for (double side : {-1.0, 1.0}) {
        addChamferedBox(mesh, {side * (kWellHalfWidth + rail / 2), wallMidY, zMid},
                        {rail / 2, wallHalfY, zHalf}, 0.07, 0);
    }
    // The floor runs on under the walls, so its top meets them at the board's edge; it stays
    // a little behind their fronts so the two never show the same face.
    addChamferedBox(mesh, {0, kWellFloor - rail / 2, zMid},
                    {kWellHalfWidth + rail - 0.02, rail / 2, zHalf - 0.02}, 0.07, 0);

    // The back panel just behind the cells, its texture one tile per cell.
    const double panelFront = kBoardDepth + 0.55;
    const std::vector<Vec3> panel{{-kWellHalfWidth, kWellFloor, panelFront},
                                  {-kWellHalfWidth, kWellTop, panelFront},
                                  {kWellHalfWidth, kWellTop, panelFront},
                                  {kWellHalfWidth, kWellFloor, panelFront}};
    addFlatPolygon(mesh, panel, {0, 0, -1}, 1, {{0, 20}, {0, 0}, {12, 0}, {12, 20}});
    placeInOwnFrame(mesh, wellTransform());
    return mesh;
}

LetteringDesign letteringDesign(Lettering which) {
    switch (which) {
        case Lettering::TitleName:
            return {"KOLVANE", 0.04, {0, 9.1, 25}, 24.0, 3.8, 1.3, 0.03};
        case Lettering::TitleYear:
            return {"2001", 0.06, {0, 5.1, 25}, 10.0, 2.3, 1.0, 0.035};
        // The two displays stand in front of the well, nearer the viewer than the board, so
        // they are kept narrow enough to stay inside the well on screen as they sway.
        case Lettering::Paused:
            return {"PAUSED", 0.04, {0, 0, 15}, 7.4, 1.8, 0.7, 0.03, 0.07};
        case Lettering::GameOver:
            return {"GAME OVER", 0.04, {0, 0, 15}, 7.4, 1.6, 0.6, 0.03, 0.07};
    }
    return {};
}

Mat4 letteringTransform(Lettering which) {
    const LetteringDesign d = letteringDesign(which);
    const Mat4 upright = rotationX(-kPi / 2);
    switch (which) {
        case Lettering::TitleName:
            return scaling(0.06) * upright * translation({-3, 9, 25});
        case Lettering::TitleYear:
            return scaling(0.06) * upright * translation({0, 5, 25});
        default:
            return upright * translation({d.centre.x, d.centre.y, d.centre.z});
    }
}

MeshModel letteringMesh(Lettering which, const FontFace& font) {
    MeshModel mesh;
    switch (which) {
        case Lettering::TitleName:
            // Metal: its highlights take its own colour.
            mesh.materials = {shiny("Gold", {0.92, 0.62, 0.12}, 40),
                              shiny("DarkGold", {0.62, 0.36, 0.06}, 30)};
            mesh.materials[0].specular = {1.00, 0.80, 0.40};
            mesh.materials[1].specular = {0.90, 0.65, 0.30};
            break;
        case Lettering::TitleYear:
            mesh.materials = {shiny("Chrome", {0.80, 0.83, 0.90}, 40),
                              shiny("DarkChrome", {0.40, 0.43, 0.52}, 40)};
            break;
        case Lettering::Paused:
            mesh.materials = {shiny("IceBlue", {0.25, 0.55, 1.00}, 30),
                              shiny("DeepBlue", {0.08, 0.20, 0.55}, 30),
                              outlineMaterial({0.01, 0.02, 0.05})};
            break;
        case Lettering::GameOver:
            mesh.materials = {shiny("Crimson", {0.95, 0.12, 0.10}, 30),
                              shiny("DarkCrimson", {0.45, 0.04, 0.04}, 30),
                              outlineMaterial({0.05, 0.01, 0.01})};
            break;
    }
    addLettering(mesh, font, letteringDesign(which));
    placeInOwnFrame(mesh, letteringTransform(which));
    return mesh;
}

Mat4 bonusTransform() {
    return rotationX(-kPi / 2) * translation({0, 0.55, 0});
}

// Both bonus objects are 0.8 of a cell across, solid and finely rounded, so they read as
// special inside their cell and stay smooth as they spin.
constexpr double kBonusSize = 0.8;

MeshModel scoreBonusMesh() {
    MeshModel mesh;
    // Three lights fall on the bonus objects, the last one head-on, so a face facing the
    // viewer is lit about twice over: the coin is a deep gold that then shows as gold, and its
    // star a paler one that shows brighter still.
    mesh.materials = {shiny("StarGold", {0.52, 0.44, 0.10}, 30),
                      shiny("CoinGold", {0.45, 0.32, 0.05}, 30)};
    mesh.materials[0].emissive = {0.12, 0.09, 0.0};
    mesh.materials[0].specular = {1.00, 0.90, 0.60};
    mesh.materials[1].emissive = {0.05, 0.03, 0.0};
    mesh.materials[1].specular = {1.00, 0.80, 0.40};
    constexpr double thickness = 0.13, starRelief = 0.035;
    addCoin(mesh, {0, 0, 0}, kBonusSize / 2, thickness, 48, 1);
    // A raised star on each face, the back one the front one turned round.
    MeshModel star;
    addExtrudedOutline(star, {starOutline(5, 0.25, 0.105)}, false, {2 * starRelief, 0.02, 0, 0});
    const Mat4 onFront = translation({0, 0, -thickness / 2});
    appendMesh(mesh, star, onFront);
    appendMesh(mesh, star, onFront * rotationY(kPi));
    placeInOwnFrame(mesh, bonusTransform());
    return mesh;
}

MeshModel clearBonusMesh() {
    MeshModel mesh;
    MeshMaterial crystal = shiny("Crystal", {0.20, 0.95, 0.45}, 40);
    crystal.emissive = {0.05, 0.30, 0.12};
    mesh.materials.push_back(crystal);
    addCrystal(mesh, {0, 0, 0}, kBonusSize, 0.38, 16, 0);
    placeInOwnFrame(mesh, bonusTransform());
    return mesh;
}

bool writeMeshes(const std::filesystem::path& runDir) {
    const std::filesystem::path folder = runDir / "Graphics";
    bool ok = true;
    const auto save = [&](const MeshModel& mesh, const char* name, const char* file) {
        if (mesh.triangles.empty() || !writeXFile(mesh, name, folder / file)) {
            std::fprintf(stderr, "mediagen: could not make Graphics/%s\n", file);
            ok = false;
        }
    };
    for (int colour = 0; colour < kCellColourCount; ++colour) {
        const std::string file = "cell_" + std::to_string(colour + 1) + ".x";
        save(cellMesh(colour), "Cell", file.c_str());
    }
    save(wellMesh(), "Well", "glass.x");
    save(scoreBonusMesh(), "ScoreBonus", "bonus.x");
    save(clearBonusMesh(), "ClearBonus", "bonus2.x");

    const FontFace font(kLetteringFont);
    if (!font.valid()) {
        std::fprintf(stderr, "mediagen: no font for \"%s\"\n", kLetteringFont);
        return false;
    }
    save(letteringMesh(Lettering::TitleName, font), "TitleName", "gamename1.x");
    save(letteringMesh(Lettering::TitleYear, font), "TitleYear", "gamename2.x");
    save(letteringMesh(Lettering::Paused, font), "Paused", "game_pause.x");
    save(letteringMesh(Lettering::GameOver, font), "GameOver", "game_over.x");
    return ok;
}

}  // namespace mediagen
