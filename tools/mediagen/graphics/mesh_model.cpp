#include "tools/mediagen/graphics/mesh_model.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace mediagen {

std::uint32_t addVertex(MeshModel& mesh, Vec3 position, Vec3 normal, Vec2 uv) {
    mesh.vertices.push_back({position, normalize(normal), uv});
    return static_cast<std::uint32_t>(mesh.vertices.size() - 1);
}

void addTriangleFacing(MeshModel& mesh, std::uint32_t a, std::uint32_t b, std::uint32_t c,
                       Vec3 outward, std::uint32_t material) {
    const Vec3 pa = mesh.vertices[a].position;
    const Vec3 facing = cross(mesh.vertices[b].position - pa, mesh.vertices[c].position - pa);
    if (dot(facing, outward) < 0)
        std::swap(b, c);
    mesh.triangles.push_back({{a, b, c}, material});
}

void addFlatPolygon(MeshModel& mesh, const std::vector<Vec3>& corners, Vec3 outward,
                    std::uint32_t material, const std::vector<Vec2>& uvs) {
    std::vector<std::uint32_t> ids;
    for (std::size_t i = 0; i < corners.size(); ++i) {
        ids.push_back(addVertex(mesh, corners[i], outward, i < uvs.size() ? uvs[i] : Vec2{}));
    }
    for (std::size_t i = 1; i + 1 < ids.size(); ++i) {
        addTriangleFacing(mesh, ids[0], ids[i], ids[i + 1], outward, material);
    }
}

void transformMesh(MeshModel& mesh, const Mat4& transform) {
    for (MeshVertex& v : mesh.vertices) {
        v.position = transformPoint(v.position, transform);
        v.normal = transformNormal(v.normal, transform);
    }
}

void appendMesh(MeshModel& mesh, const MeshModel& part, const Mat4& transform) {
    const auto offset = static_cast<std::uint32_t>(mesh.vertices.size());
    for (const MeshVertex& v : part.vertices) {
        mesh.vertices.push_back(
            {transformPoint(v.position, transform), transformNormal(v.normal, transform), v.uv});
    }
    for (MeshTriangle t : part.triangles) {
        for (std::uint32_t& corner : t.corners)
            corner += offset;
        mesh.triangles.push_back(t);
    }
}

namespace {

// Fixed-point text keeps the files identical on every build; -0 is written as 0.
std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", value);
    if (std::string(text) == "-0.000000")
        return "0.000000";
    return text;
}

std::string colourFields(Colour c) {
    return number(c.r) + ";" + number(c.g) + ";" + number(c.b) + ";";
}

bool hasTextures(const MeshModel& mesh) {
    for (const MeshMaterial& m : mesh.materials) {
        if (!m.textureFile.empty())
            return true;
    }
    return false;
}

void writeVectors(std::ostream& out, const std::vector<MeshVertex>& vertices, bool normals) {
    out << " " << vertices.size() << ";\n";
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        const Vec3 v = normals ? vertices[i].normal : vertices[i].position;
        out << " " << number(v.x) << ";" << number(v.y) << ";" << number(v.z) << ";"
            << (i + 1 < vertices.size() ? "," : ";") << "\n";
    }
}

void writeFaces(std::ostream& out, const std::vector<MeshTriangle>& triangles) {
    out << " " << triangles.size() << ";\n";
    for (std::size_t i = 0; i < triangles.size(); ++i) {
        const auto& c = triangles[i].corners;
        out << " 3;" << c[0] << "," << c[1] << "," << c[2] << ";"
            << (i + 1 < triangles.size() ? "," : ";") << "\n";
    }
}

void writeMaterial(std::ostream& out, const MeshMaterial& m) {
    out << "  Material " << m.name << " {\n";
    out << "   " << colourFields(m.diffuse) << number(m.alpha) << ";;\n";
    out << "   " << number(m.power) << ";\n";
    out << "   " << colourFields(m.specular) << ";\n";
    out << "   " << colourFields(m.emissive) << ";\n";
    if (!m.textureFile.empty()) {
        out << "   TextureFilename {\n    \"" << m.textureFile << "\";\n   }\n";
    }
    out << "  }\n";
}

}  // namespace

bool writeXFile(const MeshModel& mesh, const std::string& meshName,
                const std::filesystem::path& file) {
    std::ostringstream out;
    out << "xof 0303txt 0032\n\n";
    out << "Mesh " << meshName << " {\n";
    writeVectors(out, mesh.vertices, false);
    writeFaces(out, mesh.triangles);
    out << "\n MeshNormals {\n";
    writeVectors(out, mesh.vertices, true);
    writeFaces(out, mesh.triangles);
    out << " }\n";
    if (hasTextures(mesh)) {
        out << "\n MeshTextureCoords {\n";
        out << " " << mesh.vertices.size() << ";\n";
        for (std::size_t i = 0; i < mesh.vertices.size(); ++i) {
            out << " " << number(mesh.vertices[i].uv.x) << ";" << number(mesh.vertices[i].uv.y)
                << ";" << (i + 1 < mesh.vertices.size() ? "," : ";") << "\n";
        }
        out << " }\n";
    }
    out << "\n MeshMaterialList {\n";
    out << "  " << mesh.materials.size() << ";\n";
    out << "  " << mesh.triangles.size() << ";\n";
    for (std::size_t i = 0; i < mesh.triangles.size(); ++i) {
        out << "  " << mesh.triangles[i].material << (i + 1 < mesh.triangles.size() ? "," : ";")
            << "\n";
    }
    for (const MeshMaterial& m : mesh.materials)
        writeMaterial(out, m);
    out << " }\n}\n";

    std::ofstream stream(file, std::ios::binary);
    stream << out.str();
    return static_cast<bool>(stream);
}

}  // namespace mediagen
