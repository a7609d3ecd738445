// Text drawn in the 3D scene: the printable characters of a font rasterised once per device
// into one alpha texture, then drawn as one textured quad per character in the plane z = 0
// of the caller's world transform, lit with the caller's material.
#pragma once

#include <array>
#include <cstdint>

#include "gfx/device.h"
#include "render/glyph_sheet.h"

constexpr DWORD fontBold = 1;      // construction flag: bold weight
constexpr DWORD textCentred = 1;   // draw flag: the text is centred on the origin of its plane
constexpr DWORD textFiltered = 4;  // draw flag: bilinear filtering instead of point sampling

constexpr std::size_t fontFaceNameBytes = 80;  // at most 79 characters are kept
constexpr UINT fontBatchVertices = 300;        // 50 characters per draw at most

// A character's place in the glyph texture, as texture coordinates 0..1.
struct GlyphEntry {
    float left = 0.0f;
    float top = 0.0f;
    float right = 0.0f;
    float bottom = 0.0f;
};

// The extent of a text in texels of the glyph texture.
struct TextExtent {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// One corner of a character quad.
struct FontVertex {
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};
constexpr DWORD fontVertexFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

class TextureFont {
public:
    // Keeps the face name, height in points and flags; no device objects yet.
    TextureFont(const char* faceName, DWORD height, DWORD flags);
    // Releases whatever device objects are still held.
    ~TextureFont();
    TextureFont(const TextureFont&) = delete;
    TextureFont& operator=(const TextureFont&) = delete;

    // Remembers the device and builds the glyph texture and table (releasing any device objects
    // still held). Passes a texture creation failure back unchanged; E_FAIL when no font face
    // can be found.
    HRESULT createDeviceObjects(IDirect3DDevice8* device);
    // Creates the batch vertex buffer and records the saved and the text state blocks; the
    // device's current states are left as they were.
    HRESULT createVolatileObjects();
    // Releases the vertex buffer and deletes both state blocks; returns 0.
    HRESULT releaseVolatileObjects();
    // Releases the texture and forgets the device; returns 0.
    HRESULT destroyDeviceObjects();
    // releaseVolatileObjects, then destroyDeviceObjects.
    HRESULT destroy();

    // The extent of text: widest line and number of lines times the line height, skipping
    // codes outside 32..126 other than the line break. E_FAIL (nothing written) when text or
    // extent is missing.
    HRESULT measureText(const char* text, TextExtent* extent) const;
    // Draws text growing right and up from the origin (centred on it with textCentred), one
    // texel as 0.1 world units, in batches of at most 300 vertices; the device state is saved
    // before and restored after. E_FAIL without a device.
    HRESULT drawText3D(const char* text, DWORD flags);

    // The glyph table, for code 32..126.
    const GlyphEntry& glyph(int code) const { return glyphs_[code - firstGlyphCode]; }
    DWORD textureWidth() const { return textureWidth_; }
    DWORD textureHeight() const { return textureHeight_; }
    float textureScale() const { return textureScale_; }
    IDirect3DTexture8* texture() const { return texture_; }

private:
    HRESULT fillGlyphTexture(const GlyphSheet& sheet);
    HRESULT recordTextState(DWORD* token);
    HRESULT flushBatch(FontVertex*& vertices, UINT& triangles, bool lockAgain);

    char faceName_[fontFaceNameBytes] = {};
    DWORD height_ = 0;
    DWORD flags_ = 0;
    IDirect3DDevice8* device_ = nullptr;
    IDirect3DTexture8* texture_ = nullptr;
    IDirect3DVertexBuffer8* vertexBuffer_ = nullptr;
    DWORD textureWidth_ = 0;
    DWORD textureHeight_ = 0;
    float textureScale_ = 1.0f;
    std::array<GlyphEntry, glyphCount> glyphs_{};
    DWORD savedStateBlock_ = 0;
    DWORD textStateBlock_ = 0;
};

// The side of the square glyph texture for a font of `height` points: 1024 above 40, 512
// above 20, else 256.
DWORD glyphTextureSize(DWORD height);
