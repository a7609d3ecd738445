#include "render/game_scene.h"

#include "render/screen_quad.h"
#include "render/screens.h"

namespace {

constexpr float planeScale = 120.0f;
constexpr float upperPlaneTilt = -1.2083050f;
constexpr float lowerPlaneTilt = 1.4959966f;
constexpr float planeCentreZ = 40.0f;
constexpr float upperPlaneY = 5.0f;
constexpr float lowerPlaneY = -13.0f;
constexpr float scrollSpeed = 0.025f;

// The still pictures lie behind everything: at the far end of the depth range, drawn without
// the depth test, so no device can clip them away or let them hide the scene.
constexpr float stillBackgroundDepth = 1.0f;

void placePlane(IDirect3DDevice8* device, float tilt, float y) {
    D3DXMATRIX world, step;
    D3DXMatrixScaling(&world, planeScale, planeScale, 1.0f);
    D3DXMatrixRotationX(&step, tilt);
    D3DXMatrixMultiply(&world, &world, &step);
    D3DXMatrixTranslation(&step, 0.0f, y, planeCentreZ);
    D3DXMatrixMultiply(&world, &world, &step);
    device->SetTransform(D3DTS_WORLD, &world);
}

void drawScrollingBackground(GameScene& scene, const SceneInput& input) {
    IDirect3DDevice8* device = scene.device;
    const int variant = input.backgroundVariant;
    if (variant < 0 || variant >= backgroundVariantCount) {
        return;
    }
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
    placePlane(device, upperPlaneTilt, upperPlaneY);
    drawScrollingPlane(device, input.appTime, scrollSpeed, scene.assets.upperPlanes[variant]);
    placePlane(device, lowerPlaneTilt, lowerPlaneY);
    drawScrollingPlane(device, input.appTime, -scrollSpeed, scene.assets.lowerPlanes[variant]);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
}

void drawStillBackground(GameScene& scene) {
    IDirect3DDevice8* device = scene.device;
    const auto w = static_cast<float>(scene.savedViewport.Width);
    const auto h = static_cast<float>(scene.savedViewport.Height);
    const auto& quarters = scene.assets.staticBackground;
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    IDirect3DVertexBuffer8* buffer = scene.screenQuadBuffer;
    drawScreenQuad(device, buffer, quarters[0], w / 2, 0.0f, w / 2, h / 2, stillBackgroundDepth);
    drawScreenQuad(device, buffer, quarters[1], 0.0f, 0.0f, w / 2, h / 2, stillBackgroundDepth);
    drawScreenQuad(device, buffer, quarters[2], 0.0f, h / 2, w / 2, h / 2, stillBackgroundDepth);
    drawScreenQuad(device, buffer, quarters[3], w / 2, h / 2, w / 2, h / 2, stillBackgroundDepth);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
}

}  // namespace

void startBackground(GameScene& scene, const SceneInput& input) {
    if (input.options.dynamicBackground == 1) {
        // The screen's content is drawn in the states the planes leave behind them.
        scene.device->SetRenderState(D3DRS_LIGHTING, TRUE);
        scene.device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
        scene.pendingBackground = &input;
        return;
    }
    scene.pendingBackground = nullptr;
    scene.device->SetRenderState(D3DRS_LIGHTING, FALSE);
    drawStillBackground(scene);
    scene.device->SetRenderState(D3DRS_LIGHTING, TRUE);
}

void drawPendingBackground(GameScene& scene) {
    if (scene.pendingBackground == nullptr) {
        return;
    }
    const SceneInput& input = *scene.pendingBackground;
    scene.pendingBackground = nullptr;
    scene.device->SetRenderState(D3DRS_LIGHTING, FALSE);
    drawScrollingBackground(scene, input);
    scene.device->SetRenderState(D3DRS_LIGHTING, TRUE);
}
