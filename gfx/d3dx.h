// The helper library's loaders: textures from bitmap files and meshes from .x files, and the
// mesh and buffer objects they return. They work on any device through its interface.
#pragma once

#include "gfx/device.h"
#include "gfx/math.h"
#include "gfx/types.h"

constexpr UINT D3DX_DEFAULT = 0xFFFFFFFF;
constexpr DWORD D3DXMESH_32BIT = 0x001;
constexpr DWORD D3DXMESH_SYSTEMMEM = 0x110;  // vertex and index buffers in system memory
constexpr DWORD D3DXMESH_MANAGED = 0x220;

// A block of bytes owned by the helper library (the material records of a mesh).
class ID3DXBuffer : public IGfxUnknown {
public:
    virtual void* GetBufferPointer() = 0;
    virtual DWORD GetBufferSize() = 0;
};

// One material record of a mesh file: its Direct3D material and the texture file it names
// (null when it names none). The name lives as long as the buffer holding the record.
struct D3DXMATERIAL {
    D3DMATERIAL8 MatD3D;
    char* pTextureFilename;
};

// One run of triangles drawn with one material: faces FaceStart .. FaceStart + FaceCount - 1,
// using vertices VertexStart .. VertexStart + VertexCount - 1.
struct D3DXATTRIBUTERANGE {
    DWORD AttribId;
    DWORD FaceStart;
    DWORD FaceCount;
    DWORD VertexStart;
    DWORD VertexCount;
};

// A triangle mesh with one subset per material.
class ID3DXMesh : public IGfxUnknown {
public:
    // Draws the triangles of subset attribId with the device's current transforms, material,
    // texture and states; sets the mesh's vertex format, stream source and indices. A subset
    // without triangles draws nothing and succeeds.
    virtual HRESULT DrawSubset(DWORD attribId) = 0;
    virtual DWORD GetNumFaces() = 0;
    virtual DWORD GetNumVertices() = 0;
    virtual DWORD GetFVF() = 0;
    // Bytes per vertex.
    virtual DWORD GetNumBytesPerVertex() = 0;
    // The mesh's buffers with a reference added for the caller.
    virtual HRESULT GetVertexBuffer(IDirect3DVertexBuffer8** buffer) = 0;
    virtual HRESULT GetIndexBuffer(IDirect3DIndexBuffer8** buffer) = 0;
    // The subsets in attribute order; table may be null to ask only for the count.
    virtual HRESULT GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* count) = 0;
    // The device the mesh draws on, with a reference added for the caller.
    virtual HRESULT GetDevice(IDirect3DDevice8** device) = 0;
};

// Loads a bitmap file (.bmp of 1, 4, 8, 16, 24 or 32 bits, RLE or not, bottom-up or top-down)
// into a managed texture of the file's size with a full mip chain, made by device. Opaque
// files give X8R8G8B8 (or R5G6B5 / X1R5G5B5 for 16-bit files), files with alpha A8R8G8B8.
// A missing or malformed file gives a negative result (D3DXERR_INVALIDDATA) and no texture.
HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice8* device, const char* fileName,
                                   IDirect3DTexture8** texture);

// Loads a .x mesh file (text, binary or compressed) for device: every frame's meshes joined
// into one mesh in the file's left-handed coordinates and winding, with the frame transforms
// applied; one subset per material in the file's material order; materials receives
// materialCount records (diffuse RGBA, power, specular, emissive, texture file name; ambient
// is left zero). A mesh with no material list has zero materials. adjacency must be null.
// A missing or malformed file gives a negative result and writes no outputs.
HRESULT D3DXLoadMeshFromX(const char* fileName, DWORD options, IDirect3DDevice8* device,
                          ID3DXBuffer** adjacency, ID3DXBuffer** materials, DWORD* materialCount,
                          ID3DXMesh** mesh);

// Not D3DX's own: once the meshes are loaded, lets the resident code of the mesh reader go (the
// libraries stay loaded, and a later load reads what it needs back in).
void releaseMeshLoaderCode();
