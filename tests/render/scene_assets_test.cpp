#include "render/game_scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "recording_device.h"
#include "render/mesh_asset.h"
#include "render/texture_font.h"
#include "scene_fixture.h"

namespace {

class AssetTest : public ::testing::Test {
protected:
    void SetUp() override {
        fakeMedia() = FakeMedia{};
        fakeMedia().device = &device;
        device.BeginScene();
    }
    RecordingDevice device{800, 600};
};

TEST_F(AssetTest, AMeshTakesItsMaterialsWithAmbientAsDiffuseAndTexturesFromTheGraphicsFolder) {
    fakeMedia().meshMaterials["Graphics\\thing.x"] = {
        {{1.0f, 0.0f, 0.0f, 1.0f}, "skin.bmp"},
        {{0.0f, 1.0f, 0.0f, 0.5f}, ""},
        {{0.0f, 0.0f, 1.0f, 1.0f}, "lost.bmp"},
    };
    fakeMedia().missing.insert("Graphics\\lost.bmp");
    MeshAsset asset;
    ASSERT_EQ(loadMeshAsset(&device, fakeLoaders(), asset, "Graphics\\thing.x"), S_OK);
    ASSERT_EQ(asset.materialCount, 3u);
    EXPECT_TRUE(sameColour(asset.materials[1].Ambient, asset.materials[1].Diffuse));
    EXPECT_TRUE(sameColour(asset.materials[0].Ambient, D3DCOLORVALUE{1, 0, 0, 1}));
    ASSERT_NE(asset.textures[0], nullptr);
    EXPECT_EQ(static_cast<FakeTexture*>(asset.textures[0])->name, "Graphics\\skin.bmp");
    EXPECT_EQ(asset.textures[1], nullptr) << "no texture named";
    EXPECT_EQ(asset.textures[2], nullptr) << "a texture that fails to load is no error";

    device.SetTexture(0, asset.textures[0]);
    EXPECT_EQ(drawMeshAsset(&device, asset), 0);
    ASSERT_EQ(device.draws.size(), 3u);
    EXPECT_EQ(device.draws[0].texture, asset.textures[0]);
    EXPECT_EQ(device.draws[1].texture, nullptr) << "an untextured subset unbinds the texture";
    EXPECT_TRUE(sameColour(device.draws[2].material.Diffuse, D3DCOLORVALUE{0, 0, 1, 1}));
    EXPECT_EQ(device.draws[2].subset, 2u);

    device.SetTexture(0, nullptr);
    releaseMeshAsset(asset);
    EXPECT_EQ(asset.mesh, nullptr);
    EXPECT_EQ(asset.materialCount, 0u);
    EXPECT_EQ(device.liveObjects, 0);
}

TEST_F(AssetTest, AMeshWithoutMaterialsLoadsAndDrawsNothing) {
    fakeMedia().meshMaterials["Graphics\\bare.x"] = {};
    MeshAsset asset;
    ASSERT_EQ(loadMeshAsset(&device, fakeLoaders(), asset, "Graphics\\bare.x"), S_OK);
    EXPECT_EQ(asset.materialCount, 0u);
    EXPECT_EQ(drawMeshAsset(&device, asset), 0);
    EXPECT_TRUE(device.draws.empty());
    releaseMeshAsset(asset);
    EXPECT_EQ(device.liveObjects, 0);
}

TEST_F(AssetTest, MeshesNamingOnePictureShareItsTextureForAsLongAsAnyHoldsIt) {
    fakeMedia().meshMaterials["Graphics\\red.x"] = {{{1.0f, 0.0f, 0.0f, 1.0f}, "face.bmp"}};
    fakeMedia().meshMaterials["Graphics\\blue.x"] = {{{0.0f, 0.0f, 1.0f, 1.0f}, "face.bmp"},
                                                     {{0.0f, 1.0f, 0.0f, 1.0f}, "lost.bmp"}};
    fakeMedia().missing.insert("Graphics\\lost.bmp");
    MeshAsset red, blue;
    {
        MeshTextureShelf shelf;
        ASSERT_EQ(loadMeshAsset(&device, fakeLoaders(), red, "Graphics\\red.x", &shelf), S_OK);
        ASSERT_EQ(loadMeshAsset(&device, fakeLoaders(), blue, "Graphics\\blue.x", &shelf), S_OK);
    }
    const std::vector<std::string>& log = fakeMedia().loadLog;
    EXPECT_EQ(std::count(log.begin(), log.end(), "Graphics\\face.bmp"), 1) << "read once";
    ASSERT_NE(red.textures[0], nullptr);
    EXPECT_EQ(blue.textures[0], red.textures[0]);
    EXPECT_EQ(blue.textures[1], nullptr) << "a picture that fails is still no error";

    releaseMeshAsset(red);
    EXPECT_GT(device.liveObjects, 0) << "blue still wears the face";
    EXPECT_EQ(drawMeshAsset(&device, blue), 0);
    ASSERT_FALSE(device.draws.empty());
    EXPECT_EQ(static_cast<FakeTexture*>(device.draws[0].texture)->name, "Graphics\\face.bmp");
    device.SetTexture(0, nullptr);
    releaseMeshAsset(blue);
    EXPECT_EQ(device.liveObjects, 0);
}

TEST_F(AssetTest, AMissingMeshFailsAndLeavesTheAssetEmpty) {
    fakeMedia().missing.insert("Graphics\\gone.x");
    MeshAsset asset;
    EXPECT_EQ(loadMeshAsset(&device, fakeLoaders(), asset, "Graphics\\gone.x"), E_FAIL);
    EXPECT_EQ(asset.mesh, nullptr);
    EXPECT_EQ(asset.materials, nullptr);
    EXPECT_EQ(drawMeshAsset(&device, asset), 0);
    EXPECT_TRUE(device.draws.empty());
}

class SceneObjectsTest : public AssetTest {
protected:
    void SetUp() override {
        AssetTest::SetUp();
        device.EndScene();
        scene.loaders = fakeLoaders();
        scene.font = &font;
    }
    GameScene scene;
    TextureFont font{"Courier", 18, fontBold};
};

TEST_F(SceneObjectsTest, DeviceObjectsLoadEveryFileInOrderAndAreAllReleased) {
    ASSERT_EQ(createSceneDeviceObjects(scene, &device), S_OK);
    const std::vector<std::string>& log = fakeMedia().loadLog;
    ASSERT_EQ(log.size(), 37u) << "23 pictures and 14 meshes";
    EXPECT_EQ(log[0], "Graphics\\back_static_11.bmp");
    EXPECT_EQ(log[4], "Graphics\\back_up_1.bmp");
    EXPECT_EQ(log[5], "Graphics\\back_down_1.bmp");
    EXPECT_EQ(log[10], "Graphics\\list.bmp");
    EXPECT_EQ(log[16], "Graphics\\new_game.bmp");
    EXPECT_EQ(log[22], "Graphics\\crazy.bmp");
    EXPECT_EQ(log[23], "Graphics\\gamename1.x");
    EXPECT_EQ(log[29], "Graphics\\glass.x");
    EXPECT_EQ(log[36], "Graphics\\cell_7.x");
    EXPECT_EQ(scene.assets.upperPlanes[2].textureRepeat, 4.0f);
    EXPECT_NE(font.texture(), nullptr) << "the font made its device objects";

    ASSERT_EQ(createSceneVolatileObjects(scene), S_OK);
    EXPECT_NE(scene.screenQuadBuffer, nullptr);
    EXPECT_NE(scene.assets.lowerPlanes[1].indexBuffer, nullptr);
    EXPECT_EQ(releaseSceneVolatileObjects(scene), 0);
    EXPECT_EQ(scene.screenQuadBuffer, nullptr);
    EXPECT_EQ(scene.assets.lowerPlanes[1].vertexBuffer, nullptr);
    EXPECT_EQ(destroySceneDeviceObjects(scene), 0);
    EXPECT_EQ(device.liveObjects, 0);
    EXPECT_EQ(font.texture(), nullptr);
}

TEST_F(SceneObjectsTest, AMissingFileStopsTheLoadingWithItsFailure) {
    fakeMedia().missing.insert("Graphics\\time.bmp");
    EXPECT_EQ(createSceneDeviceObjects(scene, &device), D3DXERR_INVALIDDATA);
    EXPECT_EQ(fakeMedia().loadLog.back(), "Graphics\\time.bmp");
    EXPECT_NE(scene.assets.levelLabel, nullptr) << "what loaded before stays loaded";
    EXPECT_EQ(scene.assets.cellMeshes[0].mesh, nullptr);
    destroySceneDeviceObjects(scene);
    EXPECT_EQ(device.liveObjects, 0);

    fakeMedia() = FakeMedia{};
    fakeMedia().device = &device;
    fakeMedia().missing.insert("Graphics\\cell_3.x");
    EXPECT_EQ(createSceneDeviceObjects(scene, &device), E_FAIL);
    destroySceneDeviceObjects(scene);
    EXPECT_EQ(device.liveObjects, 0);
}

TEST_F(SceneObjectsTest, TheViewIsTheSameAfterEveryResetWhateverTheWindowsShape) {
    ASSERT_EQ(createSceneDeviceObjects(scene, &device), S_OK);
    ASSERT_EQ(createSceneVolatileObjects(scene), S_OK);
    const D3DMATRIX view = device.state().view;
    const D3DMATRIX projection = device.state().projection;
    EXPECT_EQ(scene.savedViewport.Width, 800u);
    EXPECT_EQ(device.state().renderStates[D3DRS_AMBIENT], 0x33333333u);
    EXPECT_EQ(device.state().renderStates[D3DRS_LIGHTING], DWORD(TRUE));
    EXPECT_EQ(device.state().renderStates[D3DRS_ZENABLE], DWORD(TRUE));
    EXPECT_EQ(device.state().renderStates[D3DRS_SPECULARENABLE], DWORD(TRUE));
    EXPECT_EQ(device.state().renderStates[D3DRS_ALPHABLENDENABLE], DWORD(FALSE));
    EXPECT_EQ(device.state().stageStates[0][D3DTSS_MINFILTER], D3DTEXF_LINEAR);
    EXPECT_TRUE(device.lightEnabled(0));
    EXPECT_FALSE(device.lightEnabled(1));
    EXPECT_FALSE(device.lightEnabled(2));
    EXPECT_EQ(device.light(1).Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_FLOAT_EQ(device.light(1).Diffuse.g, 0.6f);
    EXPECT_NEAR(device.light(0).Direction.x, -1.0f / std::sqrt(3.0f), 1e-6f);
    EXPECT_FLOAT_EQ(device.light(2).Range, 1000.0f);
    // Highlights come from the key light alone.
    for (float channel :
         {device.light(0).Specular.r, device.light(0).Specular.g, device.light(0).Specular.b}) {
        EXPECT_FLOAT_EQ(channel, 1.0f);
    }
    for (int fill : {1, 2}) {
        const D3DCOLORVALUE s = device.light(fill).Specular;
        EXPECT_EQ(s.r + s.g + s.b, 0.0f) << "light " << fill;
    }
    // Aspect 4/3 at any window shape: x is scaled by 1 / (4/3 tan(pi/8)).
    EXPECT_NEAR(projection.m[0][0] * 4.0f / 3.0f, projection.m[1][1], 1e-5f);

    releaseSceneVolatileObjects(scene);
    D3DPRESENT_PARAMETERS tallWindow{};
    tallWindow.BackBufferWidth = 300;
    tallWindow.BackBufferHeight = 900;
    ASSERT_EQ(device.Reset(&tallWindow), D3D_OK);
    device.SetRenderState(D3DRS_ZENABLE, FALSE);
    device.LightEnable(0, FALSE);
    device.SetTransform(D3DTS_VIEW, &projection);
    ASSERT_EQ(createSceneVolatileObjects(scene), S_OK);
    EXPECT_EQ(std::memcmp(&view, &device.state().view, sizeof view), 0);
    EXPECT_EQ(std::memcmp(&projection, &device.state().projection, sizeof view), 0);
    EXPECT_EQ(scene.savedViewport.Height, 900u) << "the pictures follow the new size";
    EXPECT_TRUE(device.lightEnabled(0));
    EXPECT_EQ(device.state().renderStates[D3DRS_ZENABLE], DWORD(TRUE));
    releaseSceneVolatileObjects(scene);
    destroySceneDeviceObjects(scene);
    EXPECT_EQ(device.liveObjects, 0);
}

}  // namespace
