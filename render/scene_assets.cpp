#include "render/scene_assets.h"

#include "render/game_scene.h"

#include "gfx/math.h"
#include "render/screen_quad.h"
#include "render/texture_font.h"

namespace {

constexpr float fieldOfView = 0.7853982f;  // pi / 4
constexpr float aspectRatio = 1.3333334f;  // 4 / 3
constexpr float lookAtZ = 22.0f;
constexpr float planeTextureRepeat = 4.0f;
constexpr D3DCOLOR dimAmbient = 0x33333333;
constexpr float fillLightLevel = 0.6f;
// Only the key light makes highlights: the cells' and the lettering's white specular shows
// where it strikes their edges. The fill and bonus lights stay without.
constexpr float keyLightSpecular = 1.0f;

const char* const staticBackgroundFiles[staticQuarterCount] = {
    "Graphics\\back_static_11.bmp", "Graphics\\back_static_12.bmp", "Graphics\\back_static_13.bmp",
    "Graphics\\back_static_14.bmp"};
const char* const upperPlaneFiles[backgroundVariantCount] = {
    "Graphics\\back_up_1.bmp", "Graphics\\back_up_2.bmp", "Graphics\\back_up_3.bmp"};
const char* const lowerPlaneFiles[backgroundVariantCount] = {
    "Graphics\\back_down_1.bmp", "Graphics\\back_down_2.bmp", "Graphics\\back_down_3.bmp"};
const char* const menuItemFiles[menuItemCount] = {"Graphics\\new_game.bmp",
                                                  "Graphics\\high_scores.bmp",
                                                  "Graphics\\game_info.bmp", "Graphics\\exit.bmp"};
const char* const ruleSetItemFiles[ruleSetItemCount] = {
    "Graphics\\classic.bmp", "Graphics\\original.bmp", "Graphics\\crazy.bmp"};
const char* const bonusMeshFiles[bonusKindCount] = {"Graphics\\bonus.x", "Graphics\\bonus2.x"};
const char* const cellMeshFiles[cellMeshCount] = {
    "Graphics\\cell_1.x", "Graphics\\cell_2.x", "Graphics\\cell_3.x", "Graphics\\cell_4.x",
    "Graphics\\cell_5.x", "Graphics\\cell_6.x", "Graphics\\cell_7.x"};

void releaseTexture(IDirect3DTexture8*& texture) {
    if (texture != nullptr) {
        texture->Release();
        texture = nullptr;
    }
}

// Runs the loads in order and remembers the first failure; later loads are skipped.
class LoadSequence {
public:
    LoadSequence(GameScene& scene, IDirect3DDevice8* device) : scene_(scene), device_(device) {}

    void texture(IDirect3DTexture8*& texture, const char* file) {
        if (SUCCEEDED(result_)) {
            if (scene_.loaders.loadTexture == nullptr) {
                result_ = E_FAIL;
                return;
            }
            result_ = scene_.loaders.loadTexture(device_, file, &texture);
            if (FAILED(result_)) {
                texture = nullptr;
            }
        }
    }
    void mesh(MeshAsset& asset, const char* file) {
        if (SUCCEEDED(result_)) {
            result_ = loadMeshAsset(device_, scene_.loaders, asset, file, &meshTextures_);
        }
    }
    HRESULT result() const { return result_; }

private:
    GameScene& scene_;
    IDirect3DDevice8* device_;
    HRESULT result_ = S_OK;
    MeshTextureShelf meshTextures_;
};

void setLight(IDirect3DDevice8* device, DWORD index, float x, float y, float z, float level,
              float specular) {
    D3DLIGHT8 light;
    initLight(light, D3DLIGHT_DIRECTIONAL, x, y, z);
    light.Diffuse = {level, level, level, 0.0f};
    light.Specular = {specular, specular, specular, 0.0f};
    device->SetLight(index, &light);
}

}  // namespace

void buildViewMatrix(D3DXMATRIX& view) {
    const D3DXVECTOR3 eye(0.0f, 0.0f, cameraEyeZ);
    const D3DXVECTOR3 at(0.0f, 0.0f, lookAtZ);
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
}

void buildProjectionMatrix(D3DXMATRIX& projection, float farDistance) {
    D3DXMatrixPerspectiveFovLH(&projection, fieldOfView, aspectRatio, nearPlane, farDistance);
}

HRESULT createSceneDeviceObjects(GameScene& scene, IDirect3DDevice8* device) {
    scene.device = device;
    SceneAssets& a = scene.assets;
    LoadSequence load(scene, device);
    for (int i = 0; i < staticQuarterCount; ++i) {
        load.texture(a.staticBackground[i], staticBackgroundFiles[i]);
    }
    for (int v = 0; v < backgroundVariantCount; ++v) {
        a.upperPlanes[v].textureRepeat = planeTextureRepeat;
        a.lowerPlanes[v].textureRepeat = planeTextureRepeat;
        load.texture(a.upperPlanes[v].texture, upperPlaneFiles[v]);
        load.texture(a.lowerPlanes[v].texture, lowerPlaneFiles[v]);
    }
    load.texture(a.listPanel, "Graphics\\list.bmp");
    load.texture(a.ruleSetHeading, "Graphics\\select_game.bmp");
    load.texture(a.levelLabel, "Graphics\\level.bmp");
    load.texture(a.timeLabel, "Graphics\\time.bmp");
    load.texture(a.scoreLabel, "Graphics\\scores.bmp");
    load.texture(a.nextLabel, "Graphics\\next.bmp");
    for (int i = 0; i < menuItemCount; ++i) {
        load.texture(a.menuItems[i], menuItemFiles[i]);
    }
    for (int i = 0; i < ruleSetItemCount; ++i) {
        load.texture(a.ruleSetItems[i], ruleSetItemFiles[i]);
    }
    load.mesh(a.titleMesh1, "Graphics\\gamename1.x");
    load.mesh(a.titleMesh2, "Graphics\\gamename2.x");
    load.mesh(a.pauseMesh, "Graphics\\game_pause.x");
    for (int i = 0; i < bonusKindCount; ++i) {
        load.mesh(a.bonusMeshes[i], bonusMeshFiles[i]);
    }
    load.mesh(a.gameOverMesh, "Graphics\\game_over.x");
    load.mesh(a.wellMesh, "Graphics\\glass.x");
    for (int i = 0; i < cellMeshCount; ++i) {
        load.mesh(a.cellMeshes[i], cellMeshFiles[i]);
    }
    if (scene.loaders.meshesLoaded != nullptr) {
        scene.loaders.meshesLoaded();
    }
    if (FAILED(load.result())) {
        return load.result();
    }
    if (scene.font != nullptr) {
        scene.font->createDeviceObjects(device);
    }
    return load.result();
}

HRESULT createSceneVolatileObjects(GameScene& scene) {
    IDirect3DDevice8* device = scene.device;
    if (device == nullptr) {
        return E_FAIL;
    }
    device->GetViewport(&scene.savedViewport);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    D3DXMATRIX view;
    buildViewMatrix(view);
    device->SetTransform(D3DTS_VIEW, &view);
    D3DXMATRIX projection;
    buildProjectionMatrix(projection);
    device->SetTransform(D3DTS_PROJECTION, &projection);

    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_DITHERENABLE, TRUE);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_AMBIENT, dimAmbient);
    device->SetRenderState(D3DRS_COLORVERTEX, FALSE);
    device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);

    setLight(device, 0, -1.0f, -1.0f, 1.0f, 1.0f, keyLightSpecular);
    device->LightEnable(0, TRUE);
    setLight(device, 1, 0.0f, -1.0f, 1.0f, fillLightLevel, 0.0f);
    setLight(device, 2, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f);

    if (scene.font != nullptr) {
        scene.font->createVolatileObjects();
    }
    HRESULT result = S_OK;
    for (int v = 0; v < backgroundVariantCount; ++v) {
        result = createPlaneBuffers(device, scene.assets.upperPlanes[v]);
        if (FAILED(result)) {
            return result;
        }
        result = createPlaneBuffers(device, scene.assets.lowerPlanes[v]);
        if (FAILED(result)) {
            return result;
        }
    }
    const HRESULT quadResult = createScreenQuadBuffer(device, &scene.screenQuadBuffer);
    if (FAILED(quadResult)) {
        scene.screenQuadBuffer = nullptr;
        return quadResult;
    }
    return result;
}

HRESULT releaseSceneVolatileObjects(GameScene& scene) {
    if (scene.font != nullptr) {
        scene.font->releaseVolatileObjects();
    }
    for (int v = 0; v < backgroundVariantCount; ++v) {
        releasePlaneBuffers(scene.assets.upperPlanes[v]);
        releasePlaneBuffers(scene.assets.lowerPlanes[v]);
    }
    releaseScreenQuadBuffer(&scene.screenQuadBuffer);
    return 0;
}

HRESULT destroySceneDeviceObjects(GameScene& scene) {
    SceneAssets& a = scene.assets;
    for (IDirect3DTexture8*& texture : a.staticBackground) {
        releaseTexture(texture);
    }
    for (int v = 0; v < backgroundVariantCount; ++v) {
        for (ScrollingPlane* plane : {&a.upperPlanes[v], &a.lowerPlanes[v]}) {
            releasePlaneBuffers(*plane);
            releaseTexture(plane->texture);
        }
    }
    for (IDirect3DTexture8** texture : {&a.listPanel, &a.ruleSetHeading, &a.levelLabel,
                                        &a.timeLabel, &a.scoreLabel, &a.nextLabel}) {
        releaseTexture(*texture);
    }
    for (IDirect3DTexture8*& texture : a.menuItems) {
        releaseTexture(texture);
    }
    for (IDirect3DTexture8*& texture : a.ruleSetItems) {
        releaseTexture(texture);
    }
    for (MeshAsset* mesh : {&a.titleMesh1, &a.titleMesh2, &a.pauseMesh, &a.bonusMeshes[0],
                            &a.bonusMeshes[1], &a.gameOverMesh, &a.wellMesh}) {
        releaseMeshAsset(*mesh);
    }
    for (MeshAsset& mesh : a.cellMeshes) {
        releaseMeshAsset(mesh);
    }
    if (scene.font != nullptr) {
        scene.font->destroyDeviceObjects();
    }
    scene.device = nullptr;
    return 0;
}
