#include "render/game_scene.h"

#include <cmath>
#include <cstdio>

#include "render/cell_drawing.h"
#include "render/screen_quad.h"
#include "render/screens.h"
#include "render/texture_font.h"

namespace {

constexpr float halfTurn = 3.1415927f;
constexpr float quarterTurn = 1.5707964f;
constexpr float labelDepth = 60.0f;
constexpr float previewRock = 0.5f;
constexpr float previewRockRate = 1.5f;
constexpr float overlaySway = 0.5f;
constexpr float overlaySwayRate = 0.71428573f;  // 5 / 7
constexpr float overlayDepth = 15.0f;

void setWorld(IDirect3DDevice8* device, const D3DXMATRIX& world) {
    device->SetTransform(D3DTS_WORLD, &world);
}

void drawWell(GameScene& scene) {
    D3DXMATRIX world, step;
    D3DXMatrixRotationX(&world, halfTurn);
    D3DXMatrixRotationY(&step, quarterTurn);
    D3DXMatrixMultiply(&world, &world, &step);
    D3DXMatrixTranslation(&step, -6.6f, 5.8f, wellDepth);
    D3DXMatrixMultiply(&world, &world, &step);
    setWorld(scene.device, world);
    scene.device->LightEnable(1, TRUE);
    drawMeshAsset(scene.device, scene.assets.wellMesh);
    scene.device->LightEnable(1, FALSE);
}

void drawNumber(GameScene& scene, int value, float x, float y) {
    std::snprintf(scene.textBuffer, sizeof scene.textBuffer, "%d", value);
    setTextColour(scene, 0.0f, 1.0f, 0.0f, 1.0f);
    drawSceneText(scene, scene.textBuffer, x, y, labelDepth, 0);
}

// The labels and the preview are opaque and depth-tested, so they go in before the texts (and
// so before the scrolling background); each text is drawn where nothing covers it.
void drawGameValues(GameScene& scene, const SceneInput& input) {
    const SceneAssets& a = scene.assets;
    const GameSession& session = input.session;
    drawPicture(scene, a.levelLabel, 0.05f, 0.1f, 0.2f, 0.075f);
    drawPicture(scene, a.timeLabel, 0.05f, 0.3f, 0.2f, 0.075f);
    drawPicture(scene, a.scoreLabel, 0.75f, 0.1f, 0.2f, 0.075f);
    drawPicture(scene, a.nextLabel, 0.75f, 0.3f, 0.2f, 0.075f);
    drawPieceFigure(scene.device, a, session.nextShape, session.nextColour, 10.0f, 1.0f, wellDepth,
                    halfTurn, previewRock * std::sin(previewRockRate * input.appTime), 0.0f, 1.0f);

    drawNumber(scene, session.level, -28.0f, 14.0f);
    formatGameClock(scene.textBuffer, sizeof scene.textBuffer, session.gameClock);
    setTextColour(scene, 0.0f, 1.0f, 0.0f, 1.0f);
    drawSceneText(scene, scene.textBuffer, -28.0f, 3.0f, labelDepth, 0);
    drawNumber(scene, session.score, 22.0f, 14.0f);
}

void drawBonus(GameScene& scene, const BonusObject& bonus, int object, float t) {
    if (!bonus.active) {
        return;
    }
    scene.device->LightEnable(1, TRUE);
    scene.device->LightEnable(2, TRUE);
    drawBonusObject(scene.device, scene.assets, object, bonus.column, bonus.row, t);
    scene.device->LightEnable(1, FALSE);
    scene.device->LightEnable(2, FALSE);
}

void drawOverlay(GameScene& scene, const MeshAsset& mesh, float t) {
    D3DXMATRIX world, step;
    D3DXMatrixRotationX(&world, -quarterTurn);
    D3DXMatrixRotationY(&step, overlaySway * std::sin(t * overlaySwayRate));
    D3DXMatrixMultiply(&world, &world, &step);
    D3DXMatrixTranslation(&step, 0.0f, 0.0f, overlayDepth);
    D3DXMatrixMultiply(&world, &world, &step);
    setWorld(scene.device, world);
    scene.device->LightEnable(1, TRUE);
    drawMeshAsset(scene.device, mesh);
    scene.device->LightEnable(1, FALSE);
}

}  // namespace

void drawPicture(GameScene& scene, IDirect3DTexture8* texture, float left, float top, float width,
                 float height) {
    const auto w = static_cast<float>(scene.savedViewport.Width);
    const auto h = static_cast<float>(scene.savedViewport.Height);
    drawScreenQuad(scene.device, scene.screenQuadBuffer, texture, left * w, top * h, width * w,
                   height * h, 0.0f);
}

void setTextColour(GameScene& scene, float r, float g, float b, float a) {
    initMaterial(scene.textMaterial, r, g, b, a);
    scene.device->SetMaterial(&scene.textMaterial);
}

void drawSceneText(GameScene& scene, const char* text, float x, float y, float z,
                   DWORD extraFlags) {
    D3DXMATRIX world;
    D3DXMatrixTranslation(&world, x, y, z);
    drawPendingBackground(scene);
    setWorld(scene.device, world);
    if (scene.font != nullptr) {
        scene.font->drawText3D(text, textFiltered | extraFlags);
    }
}

void formatGameClock(char* text, std::size_t size, int gameClock) {
    const int minutes = gameClock / 60;
    const int seconds = gameClock % 60;
    if (seconds < 10) {
        std::snprintf(text, size, "%d:%c%d", minutes, '0', seconds);
    } else {
        std::snprintf(text, size, "%d:%d", minutes, seconds);
    }
}

void drawGameScreen(GameScene& scene, const SceneInput& input) {
    drawWellCells(scene.device, scene.assets, input.session, input.well);
    drawWell(scene);
    drawGameValues(scene, input);
    drawClearedCells(scene.device, scene.assets, input.well, input.framesPerSecond);
    drawBonus(scene, input.session.scoreBonus, 0, input.appTime);
    drawBonus(scene, input.session.clearBonus, 1, input.appTime);
    if (input.screen == Paused) {
        drawOverlay(scene, scene.assets.pauseMesh, input.appTime);
    }
    if (input.screen == GameOver) {
        drawOverlay(scene, scene.assets.gameOverMesh, input.appTime);
    }
}

HRESULT drawScene(GameScene& scene, const SceneInput& input) {
    IDirect3DDevice8* device = scene.device;
    if (device == nullptr) {
        return 0;
    }
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00000000, 1.0f, 0);
    if (FAILED(device->BeginScene())) {
        return 0;
    }
    startBackground(scene, input);
    switch (input.screen) {
        case MainMenu:
            drawMainMenu(scene, input);
            break;
        case RuleSetMenu:
            drawRuleSetMenu(scene, input);
            break;
        case Playing:
        case GameOver:
        case Paused:
            drawGameScreen(scene, input);
            break;
        case HighScores:
            drawHighScoreScreen(scene, input);
            break;
        case GameInfo:
            drawInfoScreen(scene, input);
            break;
        default:
            break;
    }
    drawPendingBackground(scene);
    device->EndScene();
    return 0;
}
