// The OpenGL device builds one shader program for each combination of the states that choose
// its code paths. Set-ups that draw alike must share a program, set-ups that draw differently
// must not, and a frame that uses more set-ups than the device keeps programs for must still
// draw each of them right.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gfx/device.h"
#include "gfx/gl/gl_program.h"
#include "gfx/image.h"
#include "tests/gfx/offscreen_device.h"

namespace {

FixedFunctionChoices litTexturedMesh() {
    FixedFunctionChoices c;
    c.lighting = true;
    c.lightCount = 2;
    c.normalizeNormals = true;
    c.diffuseSource = 1;
    c.hasTexture = true;
    c.colorOp = D3DTOP_MODULATE;
    c.colorArg1 = D3DTA_TEXTURE;
    c.colorArg2 = D3DTA_DIFFUSE;
    c.alphaOp = D3DTOP_SELECTARG1;
    c.alphaArg1 = D3DTA_TEXTURE;
    return c;
}

TEST(FixedFunctionChoices, SetUpsThatDrawAlikeShareOneProgram) {
    // An unlit draw ignores its lights and material sources.
    FixedFunctionChoices unlit = litTexturedMesh(), unlitOther = litTexturedMesh();
    unlit.lighting = unlitOther.lighting = false;
    unlitOther.lightCount = 7;
    unlitOther.emissiveSource = 2;
    unlitOther.localViewer = true;
    EXPECT_EQ(normalised(unlit), normalised(unlitOther));

    // Screen-space vertices are never lit.
    FixedFunctionChoices screen = litTexturedMesh();
    screen.pretransformed = true;
    FixedFunctionChoices screenUnlit = screen;
    screenUnlit.lighting = false;
    EXPECT_EQ(normalised(screen), normalised(screenUnlit));

    // A disabled stage ignores its arguments and the alpha operation.
    FixedFunctionChoices off = litTexturedMesh(), offOther = litTexturedMesh();
    off.colorOp = offOther.colorOp = 1;
    offOther.colorArg1 = D3DTA_TFACTOR;
    offOther.alphaOp = D3DTOP_ADD;
    EXPECT_EQ(normalised(off), normalised(offOther));

    // An alpha test that always passes is no alpha test; flags above the argument bits and
    // unknown operations change nothing.
    FixedFunctionChoices always = litTexturedMesh(), noTest = litTexturedMesh();
    always.alphaTest = true;
    always.alphaFunc = 8;
    always.colorArg1 |= 0x100;
    always.alphaOp = 9;
    noTest.alphaOp = D3DTOP_MODULATE;
    EXPECT_EQ(normalised(always), normalised(noTest));

    // Point sampling means nothing without a texture.
    FixedFunctionChoices bare, barePoint;
    barePoint.pointSampled = true;
    EXPECT_EQ(normalised(bare), normalised(barePoint));
}

TEST(FixedFunctionChoices, SetUpsThatDrawDifferentlyKeepTheirOwnPrograms) {
    const FixedFunctionChoices base = litTexturedMesh();
    std::vector<FixedFunctionChoices> variants(9, base);
    variants[1].lightCount = 3;
    variants[2].colorOp = D3DTOP_ADD;
    variants[3].colorArg1 = D3DTA_TEXTURE | D3DTA_COMPLEMENT;
    variants[4].alphaOp = D3DTOP_SELECTARG2;
    variants[5].alphaTest = true;
    variants[5].alphaFunc = 5;
    variants[6].hasTexture = false;
    variants[7].specularEnable = true;
    variants[8].diffuseSource = 0;
    for (std::size_t i = 0; i < variants.size(); ++i) {
        for (std::size_t j = i + 1; j < variants.size(); ++j) {
            EXPECT_FALSE(normalised(variants[i]) == normalised(variants[j])) << i << " and " << j;
        }
    }
}

struct ScreenVertex {
    float x, y, z, rhw;
    D3DCOLOR diffuse;
};
constexpr DWORD screenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

constexpr D3DCOLOR diffuseColour = 0xFF336699;
constexpr D3DCOLOR factorColour = 0xFF80C020;

// One channel of an argument: diffuse or texture factor, perhaps complemented.
int argumentChannel(DWORD argument, int shift) {
    const D3DCOLOR colour =
        (argument & D3DTA_SELECTMASK) == D3DTA_TFACTOR ? factorColour : diffuseColour;
    const int value = static_cast<int>((colour >> shift) & 0xFF);
    return (argument & D3DTA_COMPLEMENT) != 0 ? 255 - value : value;
}

int expectedChannel(DWORD op, DWORD arg1, DWORD arg2, int shift) {
    const int a = argumentChannel(arg1, shift), b = argumentChannel(arg2, shift);
    switch (op) {
        case D3DTOP_SELECTARG1:
            return a;
        case D3DTOP_SELECTARG2:
            return b;
        case D3DTOP_ADD:
            return std::min(255, a + b);
        default:
            return a * b / 255;
    }
}

struct StageSetUp {
    DWORD op, arg1, arg2;
    bool alphaTest;
};

// A 16 x 16 screen quad on the device, drawn in one stage set-up after another.
class StageQuad {
public:
    explicit StageQuad(IDirect3DDevice8* device) : device_(device) {
        const std::vector<ScreenVertex> quad = {{0, 16, 0.5f, 1, diffuseColour},
                                                {0, 0, 0.5f, 1, diffuseColour},
                                                {16, 16, 0.5f, 1, diffuseColour},
                                                {16, 0, 0.5f, 1, diffuseColour}};
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        device->SetRenderState(D3DRS_ZENABLE, FALSE);
        device->SetRenderState(D3DRS_TEXTUREFACTOR, factorColour);
        device->SetRenderState(D3DRS_ALPHAREF, 0x10);
        device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);  // the quads' alpha passes
        const UINT bytes = static_cast<UINT>(quad.size() * sizeof(ScreenVertex));
        if (device->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, screenFvf, D3DPOOL_MANAGED,
                                       &buffer_) != D3D_OK) {
            return;
        }
        BYTE* data = nullptr;
        buffer_->Lock(0, 0, &data, 0);
        std::memcpy(data, quad.data(), bytes);
        buffer_->Unlock();
        device->SetStreamSource(0, buffer_, sizeof(ScreenVertex));
        device->SetVertexShader(screenFvf);
    }
    ~StageQuad() {
        device_->SetStreamSource(0, nullptr, 0);
        if (buffer_ != nullptr) {
            buffer_->Release();
        }
    }

    // Draws the quad in the set-up and presents it; an empty string when the centre pixel is
    // what the set-up makes of the colours, else what went wrong.
    std::string drawAndCheck(const StageSetUp& s) {
        if (buffer_ == nullptr) {
            return "no vertex buffer";
        }
        device_->SetTextureStageState(0, D3DTSS_COLOROP, s.op);
        device_->SetTextureStageState(0, D3DTSS_COLORARG1, s.arg1);
        device_->SetTextureStageState(0, D3DTSS_COLORARG2, s.arg2);
        device_->SetRenderState(D3DRS_ALPHATESTENABLE, s.alphaTest ? TRUE : FALSE);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        if (device_->BeginScene() != D3D_OK ||
            device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2) != D3D_OK) {
            return "the draw failed";
        }
        device_->EndScene();
        device_->Present(nullptr, nullptr, nullptr, nullptr);
        FrameImage frame;
        if (device_->readPresentedFrame(&frame) != D3D_OK) {
            return "the frame could not be read";
        }
        const std::uint32_t pixel = frame.at(8, 8);
        for (const int shift : {16, 8, 0}) {
            const int got = static_cast<int>((pixel >> shift) & 0xFF);
            if (std::abs(got - expectedChannel(s.op, s.arg1, s.arg2, shift)) > 2) {
                return "op " + std::to_string(s.op) + " args " + std::to_string(s.arg1) + ", " +
                       std::to_string(s.arg2) + " alpha test " + std::to_string(s.alphaTest) +
                       ": channel at " + std::to_string(shift) + " is " + std::to_string(got);
            }
        }
        return "";
    }

private:
    IDirect3DDevice8* device_;
    IDirect3DVertexBuffer8* buffer_ = nullptr;
};

TEST(OpenGlPrograms, MoreSetUpsThanKeptProgramsEachDrawRight) {
    IDirect3DDevice8* device = createOffscreenHal(16, 16);
    if (device == nullptr) {
        GTEST_SKIP() << "no OpenGL device here";
    }
    const DWORD ops[] = {D3DTOP_SELECTARG1, D3DTOP_SELECTARG2, D3DTOP_MODULATE, D3DTOP_ADD};
    const DWORD args[] = {D3DTA_DIFFUSE, D3DTA_TFACTOR, D3DTA_DIFFUSE | D3DTA_COMPLEMENT,
                          D3DTA_TFACTOR | D3DTA_COMPLEMENT};
    std::vector<StageSetUp> setUps;
    for (const bool alphaTest : {false, true}) {
        for (const DWORD op : ops) {
            for (const DWORD arg1 : args) {
                for (const DWORD arg2 : args) {
                    setUps.push_back({op, arg1, arg2, alphaTest});
                }
            }
        }
    }
    ASSERT_GT(setUps.size(), FixedFunctionPrograms::kCapacity);
    // Forwards and back again, so programs dropped for room are built once more.
    std::vector<StageSetUp> order = setUps;
    order.insert(order.end(), setUps.rbegin(), setUps.rend());
    {
        StageQuad quad(device);
        int wrong = 0;
        for (const StageSetUp& s : order) {
            const std::string fault = quad.drawAndCheck(s);
            if (!fault.empty()) {
                ++wrong;
                ADD_FAILURE() << fault;
            }
        }
        EXPECT_EQ(wrong, 0);
    }
    EXPECT_EQ(device->Release(), 0u);
}

// After a long run of frames that need no new program the driver's compiler lets go of its
// tables; a set-up first drawn after that, and the ones drawn before, still draw right.
TEST(OpenGlPrograms, ASetUpFirstDrawnAfterALongRunOfKnownOnesDrawsRight) {
    IDirect3DDevice8* device = createOffscreenHal(16, 16);
    if (device == nullptr) {
        GTEST_SKIP() << "no OpenGL device here";
    }
    {
        StageQuad quad(device);
        const StageSetUp known{D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_DIFFUSE, false};
        for (int frame = 0; frame <= FixedFunctionPrograms::kFramesBeforeCompilerRelease; ++frame) {
            ASSERT_EQ(quad.drawAndCheck(known), "");
        }
        EXPECT_EQ(quad.drawAndCheck({D3DTOP_ADD, D3DTA_TFACTOR, D3DTA_DIFFUSE, true}), "");
        EXPECT_EQ(quad.drawAndCheck(
                      {D3DTOP_MODULATE, D3DTA_TFACTOR | D3DTA_COMPLEMENT, D3DTA_DIFFUSE, false}),
                  "");
        EXPECT_EQ(quad.drawAndCheck(known), "");
    }
    EXPECT_EQ(device->Release(), 0u);
}

}  // namespace
