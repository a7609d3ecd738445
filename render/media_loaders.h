// The file loaders the scene uses for its pictures and meshes. The game passes the helper
// library's loaders; tests may pass their own.
#pragma once

#include "gfx/d3dx.h"

struct MediaLoaders {
    // Reads a bitmap file into a managed texture with a full mip chain (as
    // D3DXCreateTextureFromFileA).
    HRESULT(*loadTexture)
    (IDirect3DDevice8* device, const char* fileName, IDirect3DTexture8** texture) = nullptr;
    // Reads a .x mesh file with its material records (as D3DXLoadMeshFromX).
    HRESULT(*loadMesh)
    (const char* fileName, DWORD options, IDirect3DDevice8* device, ID3DXBuffer** adjacency,
     ID3DXBuffer** materials, DWORD* materialCount, ID3DXMesh** mesh) = nullptr;
    // Called once every mesh is loaded, where set: the mesh reader may let go of what it kept.
    void (*meshesLoaded)() = nullptr;
};

// The helper library's D3DXCreateTextureFromFileA and D3DXLoadMeshFromX, and its
// releaseMeshLoaderCode once the meshes are in.
MediaLoaders helperLibraryLoaders();
