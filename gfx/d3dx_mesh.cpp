// Meshes from .x files through Assimp, kept in the file's left-handed coordinates, winding and
// texture orientation, with one subset per material.
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <assimp/Importer.hpp>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "gfx/d3dx.h"
#include "gfx/d3dx_xfile.h"
#include "gfx/file_names.h"
#include "gfx/library_pages.h"

namespace {

// Assimp's .x reader turns the file right-handed (z negated), reverses the winding and flips
// v; running its own conversion steps once more undoes all three.
constexpr unsigned importSteps = aiProcess_MakeLeftHanded | aiProcess_FlipWindingOrder |
                                 aiProcess_FlipUVs | aiProcess_Triangulate |
                                 aiProcess_JoinIdenticalVertices | aiProcess_ValidateDataStructure;

// Vertices above this count need 32-bit indices.
constexpr std::size_t largestShortIndexedMesh = 0xFFFF;
constexpr std::size_t largestMeshVertices = 0x00FFFFFF;

class MaterialBuffer final : public ID3DXBuffer {
public:
    explicit MaterialBuffer(std::vector<BYTE> bytes) : bytes_(std::move(bytes)) {}
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }
    void* GetBufferPointer() override { return bytes_.data(); }
    DWORD GetBufferSize() override { return static_cast<DWORD>(bytes_.size()); }
    BYTE* data() { return bytes_.data(); }

private:
    ~MaterialBuffer() override = default;
    std::vector<BYTE> bytes_;
    ULONG references_ = 1;
};

class Mesh final : public ID3DXMesh {
public:
    Mesh(IDirect3DDevice8* device, IDirect3DVertexBuffer8* vertices, IDirect3DIndexBuffer8* indices,
         DWORD fvf, DWORD stride, DWORD vertexCount, DWORD faceCount,
         std::vector<D3DXATTRIBUTERANGE> subsets)
        : device_(device),
          vertices_(vertices),
          indices_(indices),
          fvf_(fvf),
          stride_(stride),
          vertexCount_(vertexCount),
          faceCount_(faceCount),
          subsets_(std::move(subsets)) {
        device_->AddRef();
    }

    ULONG AddRef() override { return ++references_; }
    ULONG Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    HRESULT DrawSubset(DWORD attribId) override {
        const auto subset = std::find_if(
            subsets_.begin(), subsets_.end(),
            [attribId](const D3DXATTRIBUTERANGE& r) { return r.AttribId == attribId; });
        if (subset == subsets_.end() || subset->FaceCount == 0) {
            return D3D_OK;
        }
        HRESULT result = device_->SetVertexShader(fvf_);
        if (SUCCEEDED(result)) {
            result = device_->SetStreamSource(0, vertices_, stride_);
        }
        if (SUCCEEDED(result)) {
            result = device_->SetIndices(indices_, 0);
        }
        if (SUCCEEDED(result)) {
            result = device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, subset->VertexStart,
                                                   subset->VertexCount, subset->FaceStart * 3,
                                                   subset->FaceCount);
        }
        return result;
    }
    DWORD GetNumFaces() override { return faceCount_; }
    DWORD GetNumVertices() override { return vertexCount_; }
    DWORD GetFVF() override { return fvf_; }
    DWORD GetNumBytesPerVertex() override { return stride_; }
    HRESULT GetVertexBuffer(IDirect3DVertexBuffer8** buffer) override {
        if (buffer == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        vertices_->AddRef();
        *buffer = vertices_;
        return D3D_OK;
    }
    HRESULT GetIndexBuffer(IDirect3DIndexBuffer8** buffer) override {
        if (buffer == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        indices_->AddRef();
        *buffer = indices_;
        return D3D_OK;
    }
    HRESULT GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* count) override {
        if (count == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        if (table != nullptr) {
            std::copy(subsets_.begin(), subsets_.end(), table);
        }
        *count = static_cast<DWORD>(subsets_.size());
        return D3D_OK;
    }
    HRESULT GetDevice(IDirect3DDevice8** device) override {
        if (device == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        device_->AddRef();
        *device = device_;
        return D3D_OK;
    }

private:
    ~Mesh() override {
        vertices_->Release();
        indices_->Release();
        device_->Release();
    }

    IDirect3DDevice8* device_;
    IDirect3DVertexBuffer8* vertices_;
    IDirect3DIndexBuffer8* indices_;
    DWORD fvf_, stride_, vertexCount_, faceCount_;
    std::vector<D3DXATTRIBUTERANGE> subsets_;
    ULONG references_ = 1;
};

// One triangle of the flattened mesh, with the material it is drawn with.
struct Triangle {
    DWORD attribute;
    DWORD corners[3];
};

struct MeshVertex {
    aiVector3D position;
    aiVector3D normal;
    float u = 0.0f, v = 0.0f;
};

// Every mesh of every frame, moved by its frames' transforms, as one list of vertices and
// triangles in file order.
struct FlatMesh {
    std::vector<MeshVertex> vertices;
    std::vector<Triangle> triangles;
    bool hasNormals = false;
    bool hasTexCoords = false;
};

void flattenNode(const aiScene& scene, const aiNode& node, const aiMatrix4x4& parent,
                 FlatMesh* flat) {
    const aiMatrix4x4 transform = parent * node.mTransformation;
    aiMatrix3x3 normalTransform(transform);
    normalTransform.Inverse().Transpose();
    for (unsigned i = 0; i < node.mNumMeshes; ++i) {
        if (node.mMeshes[i] >= scene.mNumMeshes) {
            continue;
        }
        const aiMesh& mesh = *scene.mMeshes[node.mMeshes[i]];
        const std::size_t first = flat->vertices.size();
        for (unsigned k = 0; k < mesh.mNumVertices; ++k) {
            MeshVertex vertex;
            vertex.position = transform * mesh.mVertices[k];
            if (mesh.mNormals != nullptr) {
                vertex.normal = normalTransform * mesh.mNormals[k];
            }
            if (mesh.mTextureCoords[0] != nullptr) {
                vertex.u = mesh.mTextureCoords[0][k].x;
                vertex.v = mesh.mTextureCoords[0][k].y;
            }
            flat->vertices.push_back(vertex);
        }
        flat->hasNormals = flat->hasNormals || mesh.mNormals != nullptr;
        flat->hasTexCoords = flat->hasTexCoords || mesh.mTextureCoords[0] != nullptr;
        for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
            const aiFace& face = mesh.mFaces[f];
            if (face.mNumIndices != 3 || face.mIndices[0] >= mesh.mNumVertices ||
                face.mIndices[1] >= mesh.mNumVertices || face.mIndices[2] >= mesh.mNumVertices) {
                continue;  // points and lines are not drawn
            }
            flat->triangles.push_back({mesh.mMaterialIndex,
                                       {static_cast<DWORD>(first + face.mIndices[0]),
                                        static_cast<DWORD>(first + face.mIndices[1]),
                                        static_cast<DWORD>(first + face.mIndices[2])}});
        }
    }
    for (unsigned c = 0; c < node.mNumChildren; ++c) {
        flattenNode(scene, *node.mChildren[c], transform, flat);
    }
}

// Whether the scene's only material is the stand-in the reader makes for a file without any.
bool onlyStandInMaterial(const aiScene& scene) {
    if (scene.mNumMaterials != 1) {
        return false;
    }
    const aiMaterial& material = *scene.mMaterials[0];
    aiString name;
    material.Get(AI_MATKEY_NAME, name);
    aiColor4D diffuse(0, 0, 0, 0);
    material.Get(AI_MATKEY_COLOR_DIFFUSE, diffuse);
    aiString texture;
    const bool textured =
        material.GetTexture(aiTextureType_DIFFUSE, 0, &texture) == aiReturn_SUCCESS;
    return (name.length == 0 || std::strcmp(name.C_Str(), AI_DEFAULT_MATERIAL_NAME) == 0) &&
           !textured && diffuse.r == 0.5f && diffuse.g == 0.5f && diffuse.b == 0.5f;
}

D3DCOLORVALUE colourOf(const aiMaterial& material, const char* key, unsigned type, unsigned index) {
    aiColor4D colour(0, 0, 0, 0);
    if (material.Get(key, type, index, colour) != aiReturn_SUCCESS) {
        return {0, 0, 0, 0};
    }
    return {colour.r, colour.g, colour.b, colour.a};
}

// The material records and, after them, their texture names, in one buffer.
MaterialBuffer* materialRecords(const aiScene& scene, DWORD count) {
    std::vector<D3DXMATERIAL> records(count);
    std::vector<std::string> names(count);
    std::size_t nameBytes = 0;
    for (DWORD i = 0; i < count; ++i) {
        const aiMaterial& material = *scene.mMaterials[i];
        D3DMATERIAL8& out = records[i].MatD3D;
        out.Diffuse = colourOf(material, AI_MATKEY_COLOR_DIFFUSE);
        out.Specular = colourOf(material, AI_MATKEY_COLOR_SPECULAR);
        out.Emissive = colourOf(material, AI_MATKEY_COLOR_EMISSIVE);
        float power = 0.0f;
        material.Get(AI_MATKEY_SHININESS, power);
        out.Power = power;
        aiString texture;
        if (material.GetTexture(aiTextureType_DIFFUSE, 0, &texture) == aiReturn_SUCCESS &&
            texture.length > 0) {
            names[i] = texture.C_Str();
            nameBytes += names[i].size() + 1;
        }
    }
    std::vector<BYTE> bytes(records.size() * sizeof(D3DXMATERIAL) + nameBytes);
    auto* buffer = new MaterialBuffer(std::move(bytes));
    BYTE* nameAt = buffer->data() + records.size() * sizeof(D3DXMATERIAL);
    for (DWORD i = 0; i < count; ++i) {
        records[i].pTextureFilename = nullptr;
        if (!names[i].empty()) {
            std::memcpy(nameAt, names[i].c_str(), names[i].size() + 1);
            records[i].pTextureFilename = reinterpret_cast<char*>(nameAt);
            nameAt += names[i].size() + 1;
        }
    }
    if (!records.empty()) {
        std::memcpy(buffer->data(), records.data(), records.size() * sizeof(D3DXMATERIAL));
    }
    return buffer;
}

DWORD fvfOf(const FlatMesh& flat) {
    return D3DFVF_XYZ | (flat.hasNormals ? D3DFVF_NORMAL : 0) |
           (flat.hasTexCoords ? D3DFVF_TEX1 : 0);
}

std::vector<BYTE> packVertices(const FlatMesh& flat, DWORD stride) {
    std::vector<BYTE> bytes(flat.vertices.size() * stride);
    for (std::size_t i = 0; i < flat.vertices.size(); ++i) {
        const MeshVertex& v = flat.vertices[i];
        float packed[8] = {v.position.x, v.position.y, v.position.z};
        std::size_t n = 3;
        if (flat.hasNormals) {
            packed[n++] = v.normal.x;
            packed[n++] = v.normal.y;
            packed[n++] = v.normal.z;
        }
        if (flat.hasTexCoords) {
            packed[n++] = v.u;
            packed[n++] = v.v;
        }
        std::memcpy(bytes.data() + i * stride, packed, n * sizeof(float));
    }
    return bytes;
}

template <class Buffer>
HRESULT fillBuffer(Buffer* buffer, const void* data, std::size_t size) {
    BYTE* target = nullptr;
    const HRESULT locked = buffer->Lock(0, 0, &target, 0);
    if (FAILED(locked)) {
        return locked;
    }
    std::memcpy(target, data, size);
    return buffer->Unlock();
}

// Sorts the triangles by material (keeping file order within one) and lists the subsets.
std::vector<D3DXATTRIBUTERANGE> sortIntoSubsets(std::vector<Triangle>* triangles) {
    std::stable_sort(
        triangles->begin(), triangles->end(),
        [](const Triangle& a, const Triangle& b) { return a.attribute < b.attribute; });
    std::vector<D3DXATTRIBUTERANGE> subsets;
    for (DWORD i = 0; i < triangles->size(); ++i) {
        const Triangle& t = (*triangles)[i];
        if (subsets.empty() || subsets.back().AttribId != t.attribute) {
            subsets.push_back({t.attribute, i, 0, t.corners[0], 1});
        }
        D3DXATTRIBUTERANGE& range = subsets.back();
        ++range.FaceCount;
        for (DWORD corner : t.corners) {
            const DWORD end = std::max(range.VertexStart + range.VertexCount, corner + 1);
            range.VertexStart = std::min(range.VertexStart, corner);
            range.VertexCount = end - range.VertexStart;
        }
    }
    return subsets;
}

HRESULT buildMesh(IDirect3DDevice8* device, DWORD options, FlatMesh flat, ID3DXMesh** mesh) {
    if (flat.triangles.empty() || flat.vertices.size() > largestMeshVertices) {
        return D3DXERR_INVALIDDATA;
    }
    std::vector<D3DXATTRIBUTERANGE> subsets = sortIntoSubsets(&flat.triangles);
    const DWORD fvf = fvfOf(flat);
    const DWORD stride = 12 + (flat.hasNormals ? 12 : 0) + (flat.hasTexCoords ? 8 : 0);
    const bool wideIndices =
        (options & D3DXMESH_32BIT) != 0 || flat.vertices.size() > largestShortIndexedMesh;
    const D3DPOOL pool =
        (options & D3DXMESH_SYSTEMMEM) == D3DXMESH_SYSTEMMEM ? D3DPOOL_SYSTEMMEM : D3DPOOL_MANAGED;
    const std::vector<BYTE> vertexBytes = packVertices(flat, stride);
    std::vector<BYTE> indexBytes(flat.triangles.size() * 3 * (wideIndices ? 4 : 2));
    for (std::size_t t = 0; t < flat.triangles.size(); ++t) {
        for (int c = 0; c < 3; ++c) {
            const DWORD index = flat.triangles[t].corners[c];
            if (wideIndices) {
                std::memcpy(indexBytes.data() + (t * 3 + c) * 4, &index, 4);
            } else {
                const auto shortIndex = static_cast<std::uint16_t>(index);
                std::memcpy(indexBytes.data() + (t * 3 + c) * 2, &shortIndex, 2);
            }
        }
    }
    IDirect3DVertexBuffer8* vertices = nullptr;
    IDirect3DIndexBuffer8* indices = nullptr;
    HRESULT result =
        device->CreateVertexBuffer(static_cast<UINT>(vertexBytes.size()), 0, fvf, pool, &vertices);
    if (SUCCEEDED(result)) {
        result = fillBuffer(vertices, vertexBytes.data(), vertexBytes.size());
    }
    if (SUCCEEDED(result)) {
        result = device->CreateIndexBuffer(static_cast<UINT>(indexBytes.size()), 0,
                                           wideIndices ? D3DFMT_INDEX32 : D3DFMT_INDEX16, pool,
                                           &indices);
    }
    if (SUCCEEDED(result)) {
        result = fillBuffer(indices, indexBytes.data(), indexBytes.size());
    }
    if (FAILED(result)) {
        if (vertices != nullptr) {
            vertices->Release();
        }
        if (indices != nullptr) {
            indices->Release();
        }
        return result;
    }
    *mesh =
        new Mesh(device, vertices, indices, fvf, stride, static_cast<DWORD>(flat.vertices.size()),
                 static_cast<DWORD>(flat.triangles.size()), std::move(subsets));
    return D3D_OK;
}

// The file's bytes, or nothing when it cannot be read or is larger than any .x file we read.
std::optional<std::string> fileBytes(const std::string& name) {
    std::ifstream file(name, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::string bytes;
    char chunk[4096];
    while (file.read(chunk, sizeof chunk) || file.gcount() > 0) {
        bytes.append(chunk, static_cast<std::size_t>(file.gcount()));
        if (bytes.size() > largestXFileBytes) {
            return std::nullopt;
        }
    }
    return bytes;
}

}  // namespace

HRESULT D3DXLoadMeshFromX(const char* fileName, DWORD options, IDirect3DDevice8* device,
                          ID3DXBuffer** adjacency, ID3DXBuffer** materials, DWORD* materialCount,
                          ID3DXMesh** mesh) {
    if (fileName == nullptr || device == nullptr || mesh == nullptr || adjacency != nullptr) {
        return D3DERR_INVALIDCALL;
    }
    const std::optional<std::string> file = fileBytes(hostFileName(fileName));
    if (!file) {
        return D3DXERR_INVALIDDATA;
    }
    const std::optional<std::string> readable = checkedXFile(*file);
    if (!readable) {
        return D3DXERR_INVALIDDATA;
    }
    // An importer of its own for each load (making one takes microseconds): one kept between
    // loads would keep the largest file it has read.
    Assimp::Importer importer;
    importer.SetPropertyInteger(AI_CONFIG_PP_RVC_FLAGS, 0);
    const aiScene* scene =
        importer.ReadFileFromMemory(readable->data(), readable->size(), importSteps, "x");
    if (scene == nullptr || scene->mRootNode == nullptr ||
        (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) != 0) {
        return D3DXERR_INVALIDDATA;
    }
    FlatMesh flat;
    flattenNode(*scene, *scene->mRootNode, aiMatrix4x4(), &flat);
    const DWORD count = onlyStandInMaterial(*scene) ? 0 : scene->mNumMaterials;
    if (count == 0) {
        for (Triangle& t : flat.triangles) {
            t.attribute = 0;
        }
    }
    ID3DXMesh* built = nullptr;
    const HRESULT result = buildMesh(device, options, std::move(flat), &built);
    if (FAILED(result)) {
        return result;
    }
    if (materials != nullptr) {
        *materials = materialRecords(*scene, count);
    }
    if (materialCount != nullptr) {
        *materialCount = count;
    }
    *mesh = built;
    return D3D_OK;
}

void releaseMeshLoaderCode() {
    // Assimp, and the mesh compression library that only Assimp brings in.
    releaseLibraryPages("libassimp.so");
    releaseLibraryPages("libdraco.so");
}
