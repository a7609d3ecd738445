#include "tests/mediagen/graphics/loaded_mesh.h"

#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <assimp/Importer.hpp>
#include <cmath>

namespace meshcheck {

M4 operator*(const M4& a, const M4& b) {
    M4 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = 0;
            for (int k = 0; k < 4; ++k)
                r.m[i][j] += a.m[i][k] * b.m[k][j];
        }
    return r;
}

M4 rotateX(double a) {
    M4 r;
    r.m[1][1] = std::cos(a);
    r.m[1][2] = std::sin(a);
    r.m[2][1] = -std::sin(a);
    r.m[2][2] = std::cos(a);
    return r;
}

M4 rotateY(double a) {
    M4 r;
    r.m[0][0] = std::cos(a);
    r.m[0][2] = -std::sin(a);
    r.m[2][0] = std::sin(a);
    r.m[2][2] = std::cos(a);
    return r;
}

M4 translate(double x, double y, double z) {
    M4 r;
    r.m[3][0] = x;
    r.m[3][1] = y;
    r.m[3][2] = z;
    return r;
}

M4 scale(double s) {
    M4 r;
    r.m[0][0] = r.m[1][1] = r.m[2][2] = s;
    return r;
}

V3 apply(V3 p, const M4& m) {
    return {p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0],
            p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1],
            p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2]};
}

V3 applyToNormal(V3 n, const M4& m) {
    const V3 r{n.x * m.m[0][0] + n.y * m.m[1][0] + n.z * m.m[2][0],
               n.x * m.m[0][1] + n.y * m.m[1][1] + n.z * m.m[2][1],
               n.x * m.m[0][2] + n.y * m.m[1][2] + n.z * m.m[2][2]};
    const double l = std::sqrt(dot(r, r));
    return l > 0 ? r * (1 / l) : r;
}

namespace {

V3 colour(const aiMaterial* m, const char* key, unsigned type, unsigned index) {
    aiColor4D c(0, 0, 0, 0);
    aiGetMaterialColor(m, key, type, index, &c);
    return {c.r, c.g, c.b};
}

}  // namespace

bool loadMesh(const std::string& file, LoadedMesh& mesh) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(file, aiProcess_ConvertToLeftHanded);
    if (!scene || !scene->mRootNode)
        return false;
    mesh = {};
    for (unsigned i = 0; i < scene->mNumMaterials; ++i) {
        const aiMaterial* m = scene->mMaterials[i];
        Material out;
        out.diffuse = colour(m, AI_MATKEY_COLOR_DIFFUSE);
        out.specular = colour(m, AI_MATKEY_COLOR_SPECULAR);
        out.emissive = colour(m, AI_MATKEY_COLOR_EMISSIVE);
        float power = 0;
        aiGetMaterialFloat(m, AI_MATKEY_SHININESS, &power);
        out.power = power;
        aiString texture;
        if (m->GetTexture(aiTextureType_DIFFUSE, 0, &texture) == AI_SUCCESS) {
            out.texture = texture.C_Str();
        }
        mesh.materials.push_back(out);
    }
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
        const aiMesh* m = scene->mMeshes[i];
        if (!m->HasNormals())
            mesh.hasNormals = false;
        for (unsigned f = 0; f < m->mNumFaces; ++f) {
            const aiFace& face = m->mFaces[f];
            if (face.mNumIndices != 3)
                continue;
            Triangle t;
            t.material = static_cast<int>(m->mMaterialIndex);
            for (int k = 0; k < 3; ++k) {
                const unsigned v = face.mIndices[k];
                Corner& c = t.corners[k];
                c.position = {m->mVertices[v].x, m->mVertices[v].y, m->mVertices[v].z};
                if (m->HasNormals())
                    c.normal = {m->mNormals[v].x, m->mNormals[v].y, m->mNormals[v].z};
                if (m->HasTextureCoords(0)) {
                    c.u = m->mTextureCoords[0][v].x;
                    c.v = m->mTextureCoords[0][v].y;
                }
            }
            mesh.triangles.push_back(t);
        }
    }
    return true;
}

LoadedMesh transformed(const LoadedMesh& mesh, const M4& m) {
    LoadedMesh out = mesh;
    for (Triangle& t : out.triangles) {
        for (Corner& c : t.corners) {
            c.position = apply(c.position, m);
            c.normal = applyToNormal(c.normal, m);
        }
    }
    return out;
}

}  // namespace meshcheck
