// A mesh with one material and one optional texture per subset: every mesh of the game.
#pragma once

#include <string>
#include <vector>

#include "gfx/d3dx.h"
#include "render/media_loaders.h"

struct MeshAsset {
    ID3DXMesh* mesh = nullptr;               // one subset per material; empty when not loaded
    D3DMATERIAL8* materials = nullptr;       // owned, materialCount entries; ambient = diffuse
    IDirect3DTexture8** textures = nullptr;  // owned, materialCount entries; null: untextured
    DWORD materialCount = 0;
};

// The folder the mesh files and the textures their materials name are read from.
constexpr const char* graphicsFolder = "Graphics\\";

// The textures read for a run of meshes, by path, so that meshes whose materials name the same
// picture share one texture: the seven cells all wear one face. Besides the copies it saves,
// the frame then draws cell after cell without changing texture, which a software driver
// pays for in every draw. Holds a reference to each texture until it goes.
class MeshTextureShelf {
public:
    MeshTextureShelf() = default;
    MeshTextureShelf(const MeshTextureShelf&) = delete;
    MeshTextureShelf& operator=(const MeshTextureShelf&) = delete;
    ~MeshTextureShelf();

    // The texture kept for path, with a reference added for the caller; null when none is.
    IDirect3DTexture8* take(const std::string& path) const;
    void keep(const std::string& path, IDirect3DTexture8* texture);

private:
    struct Entry {
        std::string path;
        IDirect3DTexture8* texture;
    };
    std::vector<Entry> entries_;
};

// Loads fileName with its materials; each material's texture is read from the graphics folder
// (or taken from the shelf, when one is given and holds it) and a texture that fails to load
// leaves its subset untextured. S_OK, or E_FAIL with the asset left empty when the mesh itself
// cannot be read. The asset must be empty or released.
HRESULT loadMeshAsset(IDirect3DDevice8* device, const MediaLoaders& loaders, MeshAsset& asset,
                      const char* fileName, MeshTextureShelf* shelf = nullptr);

// Draws every subset with its material and texture, under the transforms and states in force.
// Returns 0 always; an empty asset draws nothing.
HRESULT drawMeshAsset(IDirect3DDevice8* device, const MeshAsset& asset);

// Releases the mesh, its textures and its arrays, leaving the asset empty.
void releaseMeshAsset(MeshAsset& asset);
