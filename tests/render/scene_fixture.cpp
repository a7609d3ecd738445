#include "scene_fixture.h"

#include <cmath>
#include <cstring>

#include "gfx/math.h"
#include "render/screen_quad.h"

SceneFixture::SceneFixture(UINT width, UINT height) : device(width, height) {
    fakeMedia() = FakeMedia{};
    fakeMedia().device = &device;
    scene.loaders = fakeLoaders();
    scene.font = &font;
    createSceneDeviceObjects(scene, &device);
    createSceneVolatileObjects(scene);
}

SceneFixture::~SceneFixture() {
    releaseSceneVolatileObjects(scene);
    destroySceneDeviceObjects(scene);
}

const std::vector<DrawRecord>& SceneFixture::drawFrame(int screen) {
    device.draws.clear();
    drawScene(scene, input(screen));
    return device.draws;
}

namespace {

bool sameMatrix(const D3DMATRIX& a, const D3DMATRIX& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

char glyphAt(const TextureFont& font, float left, float top) {
    for (int c = firstGlyphCode; c <= lastGlyphCode; ++c) {
        const GlyphEntry& g = font.glyph(c);
        if (g.left == left && g.top == top) {
            return static_cast<char>(c);
        }
    }
    return '?';
}

}  // namespace

std::vector<DrawnText> SceneFixture::texts() const {
    std::vector<DrawnText> result;
    const DrawRecord* previous = nullptr;
    for (const DrawRecord& d : device.draws) {
        if (d.kind != DrawRecord::Primitive || d.fvf != fontVertexFvf) {
            previous = nullptr;
            continue;
        }
        const auto* v = reinterpret_cast<const FontVertex*>(d.vertices.data());
        const std::size_t count = d.vertices.size() / sizeof(FontVertex);
        if (previous == nullptr || !sameMatrix(previous->world, d.world)) {
            DrawnText text;
            text.world = d.world;
            text.material = d.material;
            text.lightMask = d.lightMask;
            text.firstX = v[0].x;
            text.firstY = v[0].y;
            result.push_back(text);
        }
        for (std::size_t i = 0; i + 5 < count; i += 6) {
            result.back().text += glyphAt(font, v[i + 1].u, v[i + 1].v);
        }
        previous = &d;
    }
    return result;
}

std::vector<DrawnPicture> SceneFixture::pictures() const {
    std::vector<DrawnPicture> result;
    for (const DrawRecord& d : device.draws) {
        if (d.kind != DrawRecord::Primitive || d.fvf != screenQuadFvf) {
            continue;
        }
        const auto* v = reinterpret_cast<const ScreenQuadVertex*>(d.vertices.data());
        DrawnPicture p;
        p.texture = d.texture;
        if (auto* fake = dynamic_cast<FakeTexture*>(d.texture)) {
            p.name = fake->name;
        }
        p.left = v[1].x;
        p.top = v[1].y;
        p.right = v[2].x;
        p.bottom = v[2].y;
        p.depth = v[0].z;
        p.zEnable = d.zEnable;
        result.push_back(p);
    }
    return result;
}

std::vector<DrawRecord> SceneFixture::meshDraws(const std::string& meshName) const {
    std::vector<DrawRecord> result;
    for (const DrawRecord& d : device.draws) {
        if (d.kind == DrawRecord::MeshSubset && d.meshName == meshName) {
            result.push_back(d);
        }
    }
    return result;
}

D3DXVECTOR3 screenPoint(const DrawRecord& draw, const D3DVECTOR& world, UINT width, UINT height) {
    D3DXMATRIX viewProjection;
    const D3DXMATRIX view(draw.view);
    const D3DXMATRIX projection(draw.projection);
    D3DXMatrixMultiply(&viewProjection, &view, &projection);
    const D3DXVECTOR3 p = transformPoint(viewProjection, world);
    return D3DXVECTOR3((p.x + 1.0f) * 0.5f * width, (1.0f - p.y) * 0.5f * height, p.z);
}

D3DVECTOR translationOf(const D3DMATRIX& world) {
    return D3DVECTOR{world.m[3][0], world.m[3][1], world.m[3][2]};
}

bool sameColour(const D3DCOLORVALUE& a, const D3DCOLORVALUE& b) {
    return std::fabs(a.r - b.r) < 1e-5f && std::fabs(a.g - b.g) < 1e-5f &&
           std::fabs(a.b - b.b) < 1e-5f && std::fabs(a.a - b.a) < 1e-5f;
}
