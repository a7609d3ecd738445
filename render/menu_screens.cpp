#include "render/game_scene.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/rules/random.h"
#include "render/cell_drawing.h"
#include "render/screens.h"
#include "render/texture_font.h"

namespace {

constexpr D3DCOLOR titleAmbient = 0x99999999;
constexpr D3DCOLOR dimAmbient = 0x33333333;
constexpr float titleScale = 0.06f;
constexpr float quarterTurn = 1.5707964f;
constexpr float titleSway = 0.4f;
constexpr float titleSwayRate = 0.5555556f;  // 5 / 9
constexpr float highlightSpin = 4.0f;
constexpr float highlightX = 7.5f;
constexpr int highlightColour = 1;

constexpr float decorationStep = 0.1f;
constexpr float decorationTop = 20.0f;
constexpr float decorationBottom = -20.0f;
constexpr float decorationSide = 12.5f;

constexpr int leaderColumns = 26;
constexpr char leaderDot = '.';
constexpr char nameCursor = '_';
constexpr float listDepth = 63.0f;
constexpr float infoDepth = 95.0f;
// The information lines lie on the far plane; they are drawn with the far plane moved back so
// that no device clips them (their depth is not tested, so nothing else changes).
constexpr float infoFarPlane = 2.0f * farPlane;

// Menu row i: the picture's rectangle and the height of its highlight.
float menuRowTop(int i) {
    return 0.35f + 0.12f * static_cast<float>(i);
}
float highlightY(int i) {
    return 1.8f - 2.7f * static_cast<float>(i);
}

void drawMenuRow(GameScene& scene, IDirect3DTexture8* picture, int row) {
    drawPicture(scene, picture, 0.3f, menuRowTop(row), 0.4f, 0.1f);
}

void drawSpinningCube(GameScene& scene, float angle, float x, float y) {
    D3DXMATRIX world, step;
    D3DXMatrixRotationY(&world, angle);
    D3DXMatrixTranslation(&step, x, y, wellDepth);
    D3DXMatrixMultiply(&world, &world, &step);
    scene.device->SetTransform(D3DTS_WORLD, &world);
    drawMeshAsset(scene.device, scene.assets.cellMeshes[highlightColour]);
}

void drawHighlight(GameScene& scene, int row, float t) {
    drawSpinningCube(scene, -highlightSpin * t, -highlightX, highlightY(row));
    drawSpinningCube(scene, highlightSpin * t, highlightX, highlightY(row));
}

void drawTitle(GameScene& scene, const MeshAsset& mesh, float sway, float x, float y) {
    D3DXMATRIX world, step;
    D3DXMatrixScaling(&world, titleScale, titleScale, titleScale);
    D3DXMatrixRotationX(&step, -quarterTurn);
    D3DXMatrixMultiply(&world, &world, &step);
    if (sway != 0.0f) {
        D3DXMatrixRotationY(&step, sway);
        D3DXMatrixMultiply(&world, &world, &step);
    }
    D3DXMatrixTranslation(&step, x, y, 25.0f);
    D3DXMatrixMultiply(&world, &world, &step);
    scene.device->SetTransform(D3DTS_WORLD, &world);
    drawMeshAsset(scene.device, mesh);
}

void advanceDecoration(MenuDecoration& deco) {
    deco.decoY -= decorationStep;
    if (deco.decoY < decorationBottom) {
        deco.decoY = decorationTop;
        deco.decoColour = scaledDraw(colourCount);
        deco.decoShape = 1 + scaledDraw(shapeCount);
        deco.decoX = static_cast<float>(scaledDraw(2)) * 2.0f * decorationSide - decorationSide;
    }
}

// Appends up to `count` copies of c at text[length], keeping the terminating zero in bounds.
std::size_t appendRepeated(char* text, std::size_t size, std::size_t length, char c, int count) {
    for (int i = 0; i < count && length + 1 < size; ++i) {
        text[length++] = c;
    }
    text[length] = '\0';
    return length;
}

std::size_t appendText(char* text, std::size_t size, std::size_t length, const char* tail) {
    for (const char* c = tail; *c != '\0' && length + 1 < size; ++c) {
        text[length++] = *c;
    }
    text[length] = '\0';
    return length;
}

}  // namespace

void formatHighScoreLine(char* text, std::size_t size, int rank, const HighScoreEntry& entry,
                         bool editing, char letterAtCursor) {
    if (size == 0) {
        return;
    }
    char rankPart[kNameFieldBytes + 16];
    char name[kNameFieldBytes];
    const std::string_view nameText = entryName(entry);
    std::memcpy(name, nameText.data(), nameText.size());
    name[nameText.size()] = '\0';
    if (rank == 9) {
        std::snprintf(rankPart, sizeof rankPart, "10 %s", name);
    } else {
        std::snprintf(rankPart, sizeof rankPart, "%d  %s", rank + 1, name);
    }
    char scorePart[16];
    std::snprintf(scorePart, sizeof scorePart, "%d", static_cast<int>(entry.score));
    const int dots = std::abs(leaderColumns - static_cast<int>(std::strlen(rankPart)) -
                              static_cast<int>(std::strlen(scorePart)));
    text[0] = '\0';
    std::size_t length = appendText(text, size, 0, rankPart);
    if (editing) {
        const bool letterShown = letterAtCursor != '\0' && letterAtCursor != ' ';
        length = appendRepeated(text, size, length, letterShown ? letterAtCursor : nameCursor, 1);
        length = appendRepeated(text, size, length, leaderDot, dots - 1);
    } else {
        length = appendRepeated(text, size, length, leaderDot, dots);
    }
    appendText(text, size, length, scorePart);
}

void drawMainMenu(GameScene& scene, const SceneInput& input) {
    IDirect3DDevice8* device = scene.device;
    const float t = input.appTime;
    device->SetRenderState(D3DRS_AMBIENT, titleAmbient);
    drawTitle(scene, scene.assets.titleMesh1, 0.0f, -3.0f, 9.0f);
    drawTitle(scene, scene.assets.titleMesh2, titleSway * std::sin(t * titleSwayRate), 0.0f, 5.0f);
    device->SetRenderState(D3DRS_AMBIENT, dimAmbient);
    for (int i = 0; i < menuItemCount; ++i) {
        if (input.menuSelection == i) {
            drawHighlight(scene, i, t);
        }
        drawMenuRow(scene, scene.assets.menuItems[i], i);
    }
    MenuDecoration& deco = scene.menuDecoration;
    advanceDecoration(deco);
    drawPieceFigure(device, scene.assets, deco.decoShape, deco.decoColour, deco.decoX, deco.decoY,
                    wellDepth, 0.0f, t, 0.0f, 1.0f);
}

void drawRuleSetMenu(GameScene& scene, const SceneInput& input) {
    drawPicture(scene, scene.assets.ruleSetHeading, 0.2f, 0.025f, 0.6f, 0.15f);
    for (int i = 0; i < ruleSetItemCount; ++i) {
        if (input.session.gameMode == i) {
            drawHighlight(scene, i, input.appTime);
        }
        drawMenuRow(scene, scene.assets.ruleSetItems[i], i);
    }
}

void drawHighScoreScreen(GameScene& scene, const SceneInput& input) {
    const SceneAssets& a = scene.assets;
    const int group = input.session.gameMode;
    drawPicture(scene, a.menuItems[1], 0.2f, 0.025f, 0.6f, 0.15f);
    if (group < 0 || group >= ruleSetItemCount) {
        return;
    }
    drawPicture(scene, a.ruleSetItems[group], 0.3f, 0.19f, 0.4f, 0.1f);
    drawPicture(scene, a.listPanel, 0.15f, 0.3f, 0.7f, 0.68f);
    scene.device->LightEnable(1, TRUE);
    for (int i = 0; i < kRowsPerGroup; ++i) {
        const bool editing = input.nameEntry.nameEntryActive && input.nameEntry.newEntryRank == i;
        if (editing) {
            setTextColour(scene, 0.75f + 0.25f * std::sin(3.0f * input.appTime), 0.0f, 0.0f, 1.0f);
        } else {
            setTextColour(scene, 0.1f, 0.4f, 0.1f, 1.0f);
        }
        formatHighScoreLine(scene.textBuffer, sizeof scene.textBuffer, i,
                            tableRow(input.highScores, group, i), editing,
                            input.nameEntry.letterAtCursor);
        drawSceneText(scene, scene.textBuffer, 0.0f, 7.0f - 3.3f * static_cast<float>(i), listDepth,
                      textCentred);
    }
    scene.device->LightEnable(1, FALSE);
}

void drawInfoScreen(GameScene& scene, const SceneInput& input) {
    const SceneAssets& a = scene.assets;
    drawPicture(scene, a.menuItems[2], 0.2f, 0.025f, 0.6f, 0.15f);
    drawPicture(scene, a.listPanel, 0.15f, 0.19f, 0.7f, 0.8f);
    setTextColour(scene, 0.1f, 0.4f, 0.1f, 1.0f);
    drawPendingBackground(scene);
    D3DXMATRIX projection;
    buildProjectionMatrix(projection, infoFarPlane);
    scene.device->SetTransform(D3DTS_PROJECTION, &projection);
    const int lineCount = input.gameInfo.infoLineCount;
    for (int i = 0; i < lineCount && i < kMaxInfoLines; ++i) {
        drawSceneText(scene, input.gameInfo.infoLines[i], 0.0f,
                      23.0f - 3.2f * static_cast<float>(i), infoDepth, textCentred);
    }
    buildProjectionMatrix(projection);
    scene.device->SetTransform(D3DTS_PROJECTION, &projection);
}
