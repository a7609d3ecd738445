// The fixed-function state a device keeps, with its default values, the state blocks recorded
// from it, and what the devices read from it alike. Shared by the device implementations so
// that they agree on defaults and meanings.
//
// What the devices draw with this state (both implement the same rules):
// - Vertices with D3DFVF_XYZ go through world, view and projection (row vectors). Normals go
//   through the inverse transpose of world x view and are renormalised only when
//   D3DRS_NORMALIZENORMALS is set. The near plane clips; geometry on the far plane stays
//   (a small tolerance keeps it), geometry beyond it is clipped.
// - Vertices with D3DFVF_XYZRHW give x, y in render-target pixels (pixel centres at whole
//   numbers), z depth clamped to 0..1, rhw = 1 / w; they are never lit.
// - Lighting (D3DRS_LIGHTING, XYZ vertices only), directional lights: colour = emissive +
//   ambient x (D3DRS_AMBIENT + sum of light ambients) + sum of light diffuse x diffuse x
//   max(0, N.L), clamped to 0..1, alpha = diffuse alpha; specular = sum of light specular x
//   specular x (N.H)^power where N.L > 0 and N.H > 0, a power of 0 or less counting as 0 (H
//   halfway between the directions to the light and to the viewer: from the vertex to the
//   camera with D3DRS_LOCALVIEWER set, straight back along -z in camera space without). The
//   four colour sources follow D3DRS_*MATERIALSOURCE when D3DRS_COLORVERTEX is set and the
//   vertex has that colour, else the material (see materialSources). Unlit vertices use their
//   diffuse colour (white when absent) and specular colour (black when absent).
// - Only triangle lists, strips and fans are drawn.
// - Texture stage 0 combines with its colour and alpha operation and arguments; a stage with
//   no texture reads opaque white for D3DTA_TEXTURE. Stage 1 and later are not drawn.
//   Textures wrap; ADDSIGNED is arg1 + arg2 - 0.5, SUBTRACT arg1 - arg2, both clamped.
// - Specular is added after texturing when D3DRS_SPECULARENABLE is set; then the alpha test
//   (alpha x 255 against D3DRS_ALPHAREF), the depth test, blending and colour writes.
// - Front faces are clockwise on screen; D3DCULL_CCW (the default) drops counter-clockwise
//   triangles, D3DCULL_CW clockwise ones.
#pragma once

#include <array>
#include <cstddef>

#include <map>
#include <memory>
#include <utility>

#include "gfx/device.h"

// A light of the state and whether it is switched on.
struct LightSlot {
    D3DLIGHT8 light;
    bool enabled = false;
};

struct PipelineState {
    DWORD renderStates[renderStateCount];
    DWORD stageStates[textureStageCount][textureStageStateCount];
    D3DMATRIX world;
    D3DMATRIX view;
    D3DMATRIX projection;
    D3DVIEWPORT8 viewport;
    D3DMATERIAL8 material;
    std::map<DWORD, LightSlot> lights;  // every light set or enabled, by index
    DWORD fvf;
};

// The state of a new or reset device whose back buffer is width x height.
void setDefaultPipelineState(PipelineState* state, UINT width, UINT height);

// The light a device uses for an index that was enabled without being set: white, directional,
// shining along +z.
D3DLIGHT8 defaultLight();

// Whether a texture-stage state has a value the devices draw: the colour and alpha operations
// DISABLE, SELECTARG1, SELECTARG2, MODULATE, MODULATE2X, MODULATE4X, ADD, ADDSIGNED and
// SUBTRACT, and WRAP addressing. Every other state may take any value.
bool isDrawnStageState(D3DTEXTURESTAGESTATETYPE type, DWORD value);

// Where each part of a vertex lies in its bytes; offsets are -1 for parts the format lacks.
struct VertexLayout {
    bool valid = false;
    bool pretransformed = false;
    int stride = 0;
    int normalOffset = -1, diffuseOffset = -1, specularOffset = -1, textureOffset = -1;
};

// The layout of a flexible vertex format: position (XYZ or XYZRHW), optional normal (unused
// when pre-transformed), point size (skipped), diffuse, specular and up to eight 2D texture
// coordinate sets (only the first is read). Invalid without a known position or with more
// than eight sets.
VertexLayout describeVertexFormat(DWORD fvf);

// Where a lit vertex takes one of its material colours from (HAL's shaders use the numbers).
enum class ColourSource { Material = 0, VertexDiffuse = 1, VertexSpecular = 2 };

struct MaterialSources {
    ColourSource diffuse = ColourSource::Material;
    ColourSource ambient = ColourSource::Material;
    ColourSource specular = ColourSource::Material;
    ColourSource emissive = ColourSource::Material;
};

// The source of each material colour for vertices of `layout`: a vertex colour only while
// D3DRS_COLORVERTEX is set, the colour's D3DRS_*MATERIALSOURCE names it and the vertex has it;
// the material otherwise.
MaterialSources materialSources(const PipelineState& state, const VertexLayout& layout);

// The matrix that carries normals through worldView (row vectors): the inverse transpose of its
// upper 3 x 3, identity elsewhere; identity when the 3 x 3 has no inverse.
D3DMATRIX normalMatrix(const D3DMATRIX& worldView);

// The enabled lights in index order, at most maxActiveLights; kept in place so that drawing
// never allocates.
struct EnabledLights {
    std::array<D3DLIGHT8, maxActiveLights> lights{};
    std::size_t count = 0;

    std::size_t size() const { return count; }
    const D3DLIGHT8& operator[](std::size_t i) const { return lights[i]; }
    const D3DLIGHT8* begin() const { return lights.data(); }
    const D3DLIGHT8* end() const { return lights.data() + count; }
};
EnabledLights enabledLights(const PipelineState& state);

// The capabilities both device types report: the fixed-function subset above, hardware
// transform and lighting, rendering into a window, textures up to maxTextureSide.
D3DCAPS8 fixedFunctionCaps(D3DDEVTYPE type, UINT adapter, UINT maxTextureSide);

// Recorded states of one block; textures are held by reference.
class StateBlock {
public:
    StateBlock() = default;
    StateBlock(const StateBlock&) = delete;
    StateBlock& operator=(const StateBlock&) = delete;
    ~StateBlock();

    void recordRenderState(D3DRENDERSTATETYPE state, DWORD value);
    void recordStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);
    void recordTexture(DWORD stage, IDirect3DTexture8* texture);
    // Replaces every recorded value by the device's current one.
    void capture(IDirect3DDevice8& device);
    // Sets every recorded value on the device.
    void apply(IDirect3DDevice8& device) const;

private:
    std::map<D3DRENDERSTATETYPE, DWORD> renderStates_;
    std::map<std::pair<DWORD, D3DTEXTURESTAGESTATETYPE>, DWORD> stageStates_;
    std::map<DWORD, IDirect3DTexture8*> textures_;
};

// The state blocks of one device and the recording in progress, if any.
class StateBlockTable {
public:
    HRESULT begin();
    HRESULT end(DWORD* token);
    HRESULT capture(DWORD token, IDirect3DDevice8& device);
    HRESULT apply(DWORD token, IDirect3DDevice8& device);
    HRESULT remove(DWORD token);
    // Deletes every block and any recording (device reset or release).
    void clear();
    // The block being recorded, or null.
    StateBlock* recording() const { return recording_.get(); }

private:
    std::map<DWORD, std::unique_ptr<StateBlock>> blocks_;
    std::unique_ptr<StateBlock> recording_;
    DWORD nextToken_ = 1;
};
