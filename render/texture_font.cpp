#include "render/texture_font.h"

#include <cstring>

namespace {

constexpr int screenPixelsPerInch = 96;
constexpr int pointsPerInch = 72;
constexpr float worldUnitsPerTexel = 0.1f;
constexpr int lineBreak = 10;
constexpr DWORD alphaReference = 0x08;
constexpr UINT batchTriangleLimit = 294;  // a batch is drawn once it holds more vertices

// a x b / c rounded to the nearest integer, as the platform's MulDiv.
int mulDiv(int a, int b, int c) {
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const std::int64_t half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

bool isDrawnCode(unsigned char code) {
    return code >= firstGlyphCode && code <= lastGlyphCode;
}

// Alpha in the top four bits, white colour bits where any coverage shows.
std::uint16_t glyphTexel(std::uint8_t coverage) {
    const std::uint16_t alpha = coverage >> 4;
    return alpha > 0 ? static_cast<std::uint16_t>(alpha * 4096 + 0x0FFF) : 0;
}

// One state the text is drawn with: a render state, or a state of texture stage `stage`.
struct TextState {
    bool stageState;
    DWORD stage;
    DWORD type;
    DWORD value;
};

constexpr TextState textStates[] = {
    {false, 0, D3DRS_ALPHABLENDENABLE, TRUE},
    {false, 0, D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
    {false, 0, D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
    {false, 0, D3DRS_ALPHATESTENABLE, TRUE},
    {false, 0, D3DRS_ALPHAREF, alphaReference},
    {false, 0, D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL},
    {false, 0, D3DRS_FILLMODE, D3DFILL_SOLID},
    {false, 0, D3DRS_CULLMODE, D3DCULL_CCW},
    {false, 0, D3DRS_ZENABLE, FALSE},
    {false, 0, D3DRS_STENCILENABLE, FALSE},
    {false, 0, D3DRS_CLIPPING, TRUE},
    {false, 0, D3DRS_EDGEANTIALIAS, FALSE},
    {false, 0, D3DRS_CLIPPLANEENABLE, 0},
    {false, 0, D3DRS_VERTEXBLEND, D3DVBF_DISABLE},
    {false, 0, D3DRS_INDEXEDVERTEXBLENDENABLE, FALSE},
    {false, 0, D3DRS_FOGENABLE, FALSE},
    {true, 0, D3DTSS_COLOROP, D3DTOP_MODULATE},
    {true, 0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
    {true, 0, D3DTSS_COLORARG2, D3DTA_DIFFUSE},
    {true, 0, D3DTSS_ALPHAOP, D3DTOP_MODULATE},
    {true, 0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
    {true, 0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
    {true, 0, D3DTSS_MINFILTER, D3DTEXF_POINT},
    {true, 0, D3DTSS_MAGFILTER, D3DTEXF_POINT},
    {true, 0, D3DTSS_MIPFILTER, D3DTEXF_NONE},
    {true, 0, D3DTSS_TEXCOORDINDEX, 0},
    {true, 0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE},
    {true, 1, D3DTSS_COLOROP, D3DTOP_DISABLE},
    {true, 1, D3DTSS_ALPHAOP, D3DTOP_DISABLE},
};

void setTextState(IDirect3DDevice8* device, const TextState& state, DWORD value) {
    if (state.stageState) {
        device->SetTextureStageState(state.stage, state.type, value);
    } else {
        device->SetRenderState(state.type, value);
    }
}

}  // namespace

DWORD glyphTextureSize(DWORD height) {
    if (height > 40) {
        return 1024;
    }
    if (height > 20) {
        return 512;
    }
    return 256;
}

TextureFont::TextureFont(const char* faceName, DWORD height, DWORD flags)
    : height_(height), flags_(flags) {
    if (faceName != nullptr) {
        std::strncpy(faceName_, faceName, fontFaceNameBytes - 1);
    }
}

TextureFont::~TextureFont() {
    destroy();
}

HRESULT TextureFont::createDeviceObjects(IDirect3DDevice8* device) {
    destroy();
    device_ = device;
    textureScale_ = 1.0f;
    textureWidth_ = textureHeight_ = glyphTextureSize(height_);
    D3DCAPS8 caps{};
    if (SUCCEEDED(device->GetDeviceCaps(&caps)) && caps.MaxTextureWidth > 0 &&
        caps.MaxTextureWidth < textureWidth_) {
        textureScale_ = static_cast<float>(caps.MaxTextureWidth) / textureWidth_;
        textureWidth_ = textureHeight_ = caps.MaxTextureWidth;
    }
    const HRESULT result = device->CreateTexture(textureWidth_, textureHeight_, 1, 0,
                                                 D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, &texture_);
    if (FAILED(result)) {
        texture_ = nullptr;
        return result;
    }
    const int pixelHeight =
        mulDiv(static_cast<int>(height_), static_cast<int>(screenPixelsPerInch * textureScale_),
               pointsPerInch);
    GlyphSheet sheet;
    if (!drawGlyphSheet(faceName_, pixelHeight, (flags_ & fontBold) != 0,
                        static_cast<int>(textureWidth_), static_cast<int>(textureHeight_), sheet)) {
        return E_FAIL;
    }
    for (int i = 0; i < glyphCount; ++i) {
        const GlyphCell& cell = sheet.cells[i];
        glyphs_[i] = GlyphEntry{
            static_cast<float>(cell.x) / textureWidth_,
            static_cast<float>(cell.y) / textureHeight_,
            static_cast<float>(cell.x + cell.width) / textureWidth_,
            static_cast<float>(cell.y + cell.height) / textureHeight_,
        };
    }
    return fillGlyphTexture(sheet);
}

HRESULT TextureFont::fillGlyphTexture(const GlyphSheet& sheet) {
    D3DLOCKED_RECT locked{};
    const HRESULT result = texture_->LockRect(0, &locked, nullptr, 0);
    if (FAILED(result)) {
        return result;
    }
    const int rowBytes = sheet.width * static_cast<int>(sizeof(std::uint16_t));
    const int pitch = locked.Pitch >= rowBytes ? locked.Pitch : rowBytes;
    auto* rows = static_cast<BYTE*>(locked.pBits);
    for (int y = 0; y < sheet.height; ++y) {
        auto* texels = reinterpret_cast<std::uint16_t*>(rows + static_cast<std::size_t>(y) * pitch);
        const std::uint8_t* coverage = &sheet.coverage[static_cast<std::size_t>(y) * sheet.width];
        for (int x = 0; x < sheet.width; ++x) {
            texels[x] = glyphTexel(coverage[x]);
        }
    }
    texture_->UnlockRect(0);
    return 0;
}

HRESULT TextureFont::createVolatileObjects() {
    if (device_ == nullptr) {
        return E_FAIL;
    }
    releaseVolatileObjects();
    const HRESULT result = device_->CreateVertexBuffer(fontBatchVertices * sizeof(FontVertex),
                                                       D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0,
                                                       D3DPOOL_DEFAULT, &vertexBuffer_);
    if (FAILED(result)) {
        vertexBuffer_ = nullptr;
        return result;
    }
    recordTextState(&savedStateBlock_);
    recordTextState(&textStateBlock_);
    return 0;
}

HRESULT TextureFont::recordTextState(DWORD* token) {
    device_->BeginStateBlock();
    device_->SetTexture(0, texture_);
    for (const TextState& state : textStates) {
        setTextState(device_, state, state.value);
    }
    const HRESULT result = device_->EndStateBlock(token);
    if (FAILED(result)) {
        *token = 0;
    }
    return result;
}

HRESULT TextureFont::releaseVolatileObjects() {
    if (vertexBuffer_ != nullptr) {
        vertexBuffer_->Release();
        vertexBuffer_ = nullptr;
    }
    if (device_ != nullptr) {
        if (savedStateBlock_ != 0) {
            device_->DeleteStateBlock(savedStateBlock_);
        }
        if (textStateBlock_ != 0) {
            device_->DeleteStateBlock(textStateBlock_);
        }
    }
    savedStateBlock_ = 0;
    textStateBlock_ = 0;
    return 0;
}

HRESULT TextureFont::destroyDeviceObjects() {
    if (texture_ != nullptr) {
        texture_->Release();
        texture_ = nullptr;
    }
    device_ = nullptr;
    return 0;
}

HRESULT TextureFont::destroy() {
    releaseVolatileObjects();
    return destroyDeviceObjects();
}

HRESULT TextureFont::measureText(const char* text, TextExtent* extent) const {
    if (text == nullptr || extent == nullptr) {
        return E_FAIL;
    }
    const GlyphEntry& blank = glyph(firstGlyphCode);
    const float rowHeight = (blank.bottom - blank.top) * textureHeight_;
    float width = 0.0f;
    float height = rowHeight;
    float rowWidth = 0.0f;
    for (const char* c = text; *c != '\0'; ++c) {
        const auto code = static_cast<unsigned char>(*c);
        if (code == lineBreak) {
            rowWidth = 0.0f;
            height += rowHeight;
            continue;
        }
        if (!isDrawnCode(code)) {
            continue;
        }
        const GlyphEntry& entry = glyph(code);
        rowWidth += (entry.right - entry.left) * textureWidth_;
        if (rowWidth > width) {
            width = rowWidth;
        }
    }
    extent->width = static_cast<std::int32_t>(width);
    extent->height = static_cast<std::int32_t>(height);
    return 0;
}

HRESULT TextureFont::flushBatch(FontVertex*& vertices, UINT& triangles, bool lockAgain) {
    vertexBuffer_->Unlock();
    vertices = nullptr;
    if (triangles > 0) {
        device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, triangles);
    }
    triangles = 0;
    if (!lockAgain) {
        return 0;
    }
    BYTE* data = nullptr;
    const HRESULT result = vertexBuffer_->Lock(0, 0, &data, D3DLOCK_DISCARD);
    if (SUCCEEDED(result)) {
        vertices = reinterpret_cast<FontVertex*>(data);
    }
    return result;
}

HRESULT TextureFont::drawText3D(const char* text, DWORD flags) {
    if (device_ == nullptr || vertexBuffer_ == nullptr || text == nullptr) {
        return E_FAIL;
    }
    device_->CaptureStateBlock(savedStateBlock_);
    device_->ApplyStateBlock(textStateBlock_);
    device_->SetVertexShader(fontVertexFvf);
    device_->SetStreamSource(0, vertexBuffer_, sizeof(FontVertex));
    if (flags & textFiltered) {
        device_->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
        device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    }
    float x = 0.0f;
    float y = 0.0f;
    if (flags & textCentred) {
        TextExtent extent;
        measureText(text, &extent);
        x = -worldUnitsPerTexel / 2 * extent.width;
        y = -worldUnitsPerTexel / 2 * extent.height;
    }
    const float leftMargin = x;
    const GlyphEntry& blank = glyph(firstGlyphCode);
    const float lineStep = worldUnitsPerTexel * (blank.bottom - blank.top) * textureHeight_;
    const float texelsPerUnit = 10.0f * textureScale_;

    BYTE* data = nullptr;
    FontVertex* vertices = nullptr;
    if (SUCCEEDED(vertexBuffer_->Lock(0, 0, &data, D3DLOCK_DISCARD))) {
        vertices = reinterpret_cast<FontVertex*>(data);
    }
    UINT triangles = 0;
    for (const char* c = text; *c != '\0' && vertices != nullptr; ++c) {
        const auto code = static_cast<unsigned char>(*c);
        if (code == lineBreak) {
            x = leftMargin;
            y -= lineStep;
            continue;
        }
        if (!isDrawnCode(code)) {
            continue;
        }
        const GlyphEntry& g = glyph(code);
        const float w = (g.right - g.left) * textureWidth_ / texelsPerUnit;
        const float h = (g.bottom - g.top) * textureHeight_ / texelsPerUnit;
        FontVertex* v = vertices + triangles * 3;
        v[0] = {x, y, 0.0f, 0.0f, 0.0f, -1.0f, g.left, g.bottom};
        v[1] = {x, y + h, 0.0f, 0.0f, 0.0f, -1.0f, g.left, g.top};
        v[2] = {x + w, y, 0.0f, 0.0f, 0.0f, -1.0f, g.right, g.bottom};
        v[3] = {x + w, y + h, 0.0f, 0.0f, 0.0f, -1.0f, g.right, g.top};
        v[4] = {x + w, y, 0.0f, 0.0f, 0.0f, -1.0f, g.right, g.bottom};
        v[5] = {x, y + h, 0.0f, 0.0f, 0.0f, -1.0f, g.left, g.top};
        triangles += 2;
        if (triangles * 3 > batchTriangleLimit) {
            flushBatch(vertices, triangles, true);
        }
        x += w;
    }
    if (vertices != nullptr) {
        flushBatch(vertices, triangles, false);
    }
    device_->ApplyStateBlock(savedStateBlock_);
    return 0;
}
