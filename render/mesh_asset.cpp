#include "render/mesh_asset.h"

#include <cstdio>
#include <new>

namespace {

constexpr std::size_t texturePathLength = 512;

void loadMaterial(IDirect3DDevice8* device, const MediaLoaders& loaders, MeshTextureShelf* shelf,
                  const D3DXMATERIAL& record, D3DMATERIAL8& material, IDirect3DTexture8*& texture) {
    material = record.MatD3D;
    material.Ambient = material.Diffuse;
    texture = nullptr;
    if (record.pTextureFilename == nullptr || record.pTextureFilename[0] == '\0') {
        return;
    }
    char path[texturePathLength];
    const int length =
        std::snprintf(path, sizeof path, "%s%s", graphicsFolder, record.pTextureFilename);
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof path) {
        return;
    }
    if (shelf != nullptr) {
        texture = shelf->take(path);
        if (texture != nullptr) {
            return;
        }
    }
    if (FAILED(loaders.loadTexture(device, path, &texture))) {
        texture = nullptr;
    } else if (shelf != nullptr) {
        shelf->keep(path, texture);
    }
}

}  // namespace

MeshTextureShelf::~MeshTextureShelf() {
    for (const Entry& entry : entries_) {
        entry.texture->Release();
    }
}

IDirect3DTexture8* MeshTextureShelf::take(const std::string& path) const {
    for (const Entry& entry : entries_) {
        if (entry.path == path) {
            entry.texture->AddRef();
            return entry.texture;
        }
    }
    return nullptr;
}

void MeshTextureShelf::keep(const std::string& path, IDirect3DTexture8* texture) {
    texture->AddRef();
    entries_.push_back({path, texture});
}

HRESULT loadMeshAsset(IDirect3DDevice8* device, const MediaLoaders& loaders, MeshAsset& asset,
                      const char* fileName, MeshTextureShelf* shelf) {
    asset = MeshAsset{};
    if (loaders.loadMesh == nullptr || loaders.loadTexture == nullptr) {
        return E_FAIL;
    }
    ID3DXBuffer* materialBuffer = nullptr;
    DWORD materialCount = 0;
    ID3DXMesh* mesh = nullptr;
    if (FAILED(loaders.loadMesh(fileName, D3DXMESH_SYSTEMMEM, device, nullptr, &materialBuffer,
                                &materialCount, &mesh))) {
        return E_FAIL;
    }
    asset.mesh = mesh;
    if (materialCount > 0 && materialBuffer != nullptr) {
        asset.materials = new (std::nothrow) D3DMATERIAL8[materialCount];
        asset.textures = new (std::nothrow) IDirect3DTexture8*[materialCount];
        if (asset.materials == nullptr || asset.textures == nullptr) {
            materialBuffer->Release();
            releaseMeshAsset(asset);
            return E_FAIL;
        }
        asset.materialCount = materialCount;
        const auto* records = static_cast<const D3DXMATERIAL*>(materialBuffer->GetBufferPointer());
        for (DWORD i = 0; i < materialCount; ++i) {
            loadMaterial(device, loaders, shelf, records[i], asset.materials[i], asset.textures[i]);
        }
    }
    if (materialBuffer != nullptr) {
        materialBuffer->Release();
    }
    return S_OK;
}

HRESULT drawMeshAsset(IDirect3DDevice8* device, const MeshAsset& asset) {
    if (asset.mesh == nullptr) {
        return 0;
    }
    for (DWORD i = 0; i < asset.materialCount; ++i) {
        device->SetMaterial(&asset.materials[i]);
        device->SetTexture(0, asset.textures[i]);
        asset.mesh->DrawSubset(i);
    }
    return 0;
}

void releaseMeshAsset(MeshAsset& asset) {
    delete[] asset.materials;
    if (asset.textures != nullptr) {
        for (DWORD i = 0; i < asset.materialCount; ++i) {
            if (asset.textures[i] != nullptr) {
                asset.textures[i]->Release();
            }
        }
        delete[] asset.textures;
    }
    if (asset.mesh != nullptr) {
        asset.mesh->Release();
    }
    asset = MeshAsset{};
}
