// Bitmap and .x inputs the loader fuzz targets found faults with, loaded on the fuzz targets'
// memory device.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "gfx/d3dx.h"
#include "tests/fuzz/memory_device.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(Bytes& b, std::uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

// An 8-bit bitmap of two palette colours declaring width x height, followed by pixelBytes.
Bytes declaredBitmap(std::uint32_t width, std::uint32_t height, std::uint32_t compression,
                     const Bytes& pixelBytes) {
    constexpr std::uint32_t offset = 14 + 40 + 8;
    Bytes file{'B', 'M'};
    put32(file, offset + static_cast<std::uint32_t>(pixelBytes.size()));
    put32(file, 0);
    put32(file, offset);
    put32(file, 40);
    put32(file, width);
    put32(file, height);
    put16(file, 1);
    put16(file, 8);
    put32(file, compression);
    put32(file, static_cast<std::uint32_t>(pixelBytes.size()));
    put32(file, 2835);
    put32(file, 2835);
    put32(file, 2);
    put32(file, 0);
    put32(file, 0x000000);
    put32(file, 0xFFFFFF);
    file.insert(file.end(), pixelBytes.begin(), pixelBytes.end());
    return file;
}

long peakResidentKilobytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

class LoaderRegressions : public testing::Test {
protected:
    void SetUp() override {
        directory = std::filesystem::temp_directory_path() /
                    ("kolvane_loader_regressions_" + std::to_string(::getpid()));
        std::filesystem::create_directories(directory);
    }
    void TearDown() override {
        EXPECT_EQ(device->Release(), 0u);
        std::filesystem::remove_all(directory);
    }

    std::string write(const std::string& name, const Bytes& bytes) const {
        const std::string path = (directory / name).string();
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    std::string write(const std::string& name, const std::string& text) const {
        return write(name, Bytes(text.begin(), text.end()));
    }

    static constexpr UINT kMaxTextureSide = 4096;
    MemoryDevice* device = new MemoryDevice(kMaxTextureSide);
    std::filesystem::path directory;
};

// Found by gfx_bitmap_fuzz: a bitmap of a few bytes that declares 30000 x 30000 pixels (run-
// length coded, or plain and cut short) is decoded into a 900 MB image before its size is
// compared with what the device allows; headers declaring 196608 x 65536 took 13 GB and two
// minutes. The loader should refuse a declared size beyond the device's limits before decoding.
TEST_F(LoaderRegressions, BitmapDeclaringMoreThanTheDeviceAllowsIsRefusedUndecoded) {
    const long before = peakResidentKilobytes();
    const Bytes endOfBitmap = {0, 1};
    const std::string files[] = {
        write("declared_rle.bmp", declaredBitmap(30000, 30000, 1, endOfBitmap)),
        write("declared_plain.bmp", declaredBitmap(30000, 30000, 0, Bytes(8, 0))),
    };
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        IDirect3DTexture8* texture = nullptr;
        EXPECT_EQ(D3DXCreateTextureFromFileA(device, file.c_str(), &texture), D3DXERR_INVALIDDATA);
        EXPECT_EQ(texture, nullptr);
    }
    EXPECT_LT(peakResidentKilobytes() - before, 64 * 1024) << "kilobytes taken while refusing";
}

// Found by gfx_mesh_fuzz: Assimp's .x reader makes room for as many elements as a file's counts
// claim before reading them, so a file of a hundred bytes declaring 40 million vertices takes
// 500 MB to 1 GB and seconds to refuse (a binary file whose face count came out near two
// billion took 2 GB and 40 s). No count in a sound file exceeds its size in bytes; the loader
// should refuse such a file before handing it to Assimp.
TEST_F(LoaderRegressions, MeshDeclaringMoreVerticesThanTheFileHoldsIsRefusedUnbuilt) {
    const long before = peakResidentKilobytes();
    Bytes binary;
    const auto token = [&binary](std::uint32_t t) { put16(binary, t); };
    const auto name = [&](const std::string& text) {
        token(1);
        put32(binary, static_cast<std::uint32_t>(text.size()));
        binary.insert(binary.end(), text.begin(), text.end());
    };
    const auto integers = [&](std::initializer_list<std::uint32_t> values) {
        token(6);
        put32(binary, static_cast<std::uint32_t>(values.size()));
        for (std::uint32_t v : values) {
            put32(binary, v);
        }
    };
    const std::string header = "xof 0302bin 0032";
    binary.assign(header.begin(), header.end());
    name("Mesh");
    name("M");
    token(10);
    integers({40000000});
    token(7);
    put32(binary, 9);
    for (float f : {0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 0.0f}) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &f, 4);
        put32(binary, bits);
    }
    integers({1});
    integers({3, 0, 1, 2});
    token(11);
    const std::string files[] = {
        write("declared_text.x",
              "xof 0302txt 0032\nMesh M { 40000000; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;; }\n"),
        write("declared_binary.x", binary),
    };
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        ID3DXMesh* mesh = nullptr;
        EXPECT_LT(D3DXLoadMeshFromX(file.c_str(), D3DXMESH_SYSTEMMEM, device, nullptr, nullptr,
                                    nullptr, &mesh),
                  0);
        EXPECT_EQ(mesh, nullptr);
    }
    EXPECT_LT(peakResidentKilobytes() - before, 64 * 1024) << "kilobytes taken while refusing";
}

// Found by gfx_mesh_fuzz: Assimp's .x reader looks up each face's normals by the indices in
// MeshNormals without checking them against the number of normals, so an index far out of range
// ends the program with a segmentation fault (a near one reads past the normals unnoticed). The
// binary file is the one the fuzzer found; the text file says the same. The loader should refuse
// a file whose indices exceed its counts before handing it to Assimp.
TEST_F(LoaderRegressions, MeshWithANormalIndexOutOfRangeIsRefused) {
    const Bytes found = {
        0x78, 0x6f, 0x66, 0x20, 0x30, 0x33, 0x30, 0x32, 0x62, 0x69, 0x6e, 0x20, 0x30, 0x30, 0x33,
        0x32, 0x01, 0x00, 0x04, 0x00, 0x00, 0x00, 0x4d, 0x65, 0x73, 0x68, 0x01, 0x00, 0x01, 0x00,
        0x00, 0x00, 0x4d, 0x0a, 0x00, 0x06, 0x00, 0x01, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00,
        0x07, 0x00, 0x09, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x54, 0x65, 0x78, 0x74, 0x75, 0x72,
        0x65, 0x46, 0x69, 0x6c, 0x65, 0x6e, 0x61, 0x6d, 0x65, 0x00, 0x00, 0x00, 0x06, 0x00, 0x01,
        0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x06, 0x00, 0x04, 0x00, 0x00, 0x00, 0x03, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01,
        0x00, 0x0b, 0x00, 0x00, 0x00, 0x4d, 0x65, 0x73, 0x68, 0x4e, 0x6f, 0x72, 0x6d, 0x61, 0x6c,
        0x73, 0x0a, 0x00, 0x06, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x07, 0x00,
        0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80,
        0xbf, 0x06, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x06, 0x00, 0x04, 0x00,
        0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x60, 0x20, 0x00, 0x00, 0x2e,
        0x7c, 0x00, 0x00, 0x0b, 0x00, 0x0b, 0x00,
    };
    const std::string files[] = {
        write("normal_index_binary.x", found),
        write("normal_index_text.x",
              "xof 0302txt 0032\nMesh M { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; "
              "3;0,1,2;; MeshNormals { 1; 0;0;-1;; 1; 3;0,0,99999999;; } }\n"),
    };
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        ID3DXMesh* mesh = nullptr;
        EXPECT_LT(D3DXLoadMeshFromX(file.c_str(), D3DXMESH_SYSTEMMEM, device, nullptr, nullptr,
                                    nullptr, &mesh),
                  0);
        EXPECT_EQ(mesh, nullptr);
    }
}

// Found by gfx_mesh_fuzz: every subset's vertex range ran from its lowest vertex to the end of
// the 32-bit range (VertexCount 0xFFFFFFFF - VertexStart) instead of ending after its highest
// vertex, so a draw of the subset named vertices the mesh does not have.
TEST_F(LoaderRegressions, MeshSubsetVertexRangeIsTheVerticesItsFacesUse) {
    const std::string file = write("two_materials.x", R"(xof 0302txt 0032
Mesh M {
 4;
 0;0;0;, 0;1;0;, 1;0;0;, 1;1;0;;
 2;
 3;0,1,2;,
 3;2,1,3;;
 MeshMaterialList {
  2; 2; 0,1;;
  Material A { 1.0;0.0;0.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }
  Material B { 0.0;1.0;0.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }
 }
}
)");
    ID3DXMesh* mesh = nullptr;
    ID3DXBuffer* materials = nullptr;
    DWORD materialCount = 0;
    ASSERT_EQ(D3DXLoadMeshFromX(file.c_str(), D3DXMESH_SYSTEMMEM, device, nullptr, &materials,
                                &materialCount, &mesh),
              D3D_OK);
    DWORD count = 0;
    ASSERT_EQ(mesh->GetAttributeTable(nullptr, &count), D3D_OK);
    ASSERT_EQ(count, 2u);
    D3DXATTRIBUTERANGE subsets[2] = {};
    mesh->GetAttributeTable(subsets, &count);
    EXPECT_LE(subsets[0].VertexStart + subsets[0].VertexCount, mesh->GetNumVertices());
    EXPECT_LE(subsets[1].VertexStart + subsets[1].VertexCount, mesh->GetNumVertices());
    EXPECT_EQ(subsets[0].VertexCount, 3u) << "the first face uses three vertices";
    EXPECT_EQ(subsets[1].VertexCount, 3u) << "the second face uses three vertices";
    EXPECT_EQ(mesh->Release(), 0u);
    EXPECT_EQ(materials->Release(), 0u);
}

}  // namespace
