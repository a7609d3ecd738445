// The mesh loader's own check of .x files: sound files pass as they are (compressed ones
// inflated), and counts the file cannot hold, indices out of range and anything Assimp could read
// differently are refused.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>

#include "gfx/d3dx_xfile.h"

namespace {

const std::string textHeader = "xof 0302txt 0032\n";

std::string textMesh(const std::string& children) {
    return textHeader +
           "Mesh M {\n 4;\n 0;0;0;, 0;1;0;, 1;0;0;, 1;1;0;;\n 2;\n 3;0,1,2;,\n 3;2,1,3;;\n" +
           children + "}\n";
}

const std::string twoMaterials = R"(MeshMaterialList {
  2; 2; 0,1;;
  Material A { 1.0;0.0;0.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; TextureFilename { "a.bmp"; } }
  { B }
 }
)";

bool accepted(const std::string& file) {
    return checkedXFile(file).has_value();
}

TEST(XFileCheck, SoundTextFilesPassUnchanged) {
    const std::string files[] = {
        textMesh(""),
        textMesh(twoMaterials),
        textMesh(" MeshNormals { 2; 0;0;-1;, 0;0;1;; 2; 3;0,1,0;, 3;1,1,1;; }\n"
                 " MeshTextureCoords { 4; 0;0;, 0;1;, 1;0;, 1;1;; }\n"
                 " VertexDuplicationIndices { 4; 4; 0, 1, 2, 3;; }\n"),
        textHeader + "template Mesh {\n <3D82AB44-62DA-11cf-AB39-0020AF71E433>\n DWORD n;\n}\n" +
            "// a comment { with a brace\nFrame F { FrameTransformMatrix { " +
            "1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }\n" + textMesh("").substr(textHeader.size()) +
            "}\n",
    };
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        const auto checked = checkedXFile(file);
        ASSERT_TRUE(checked.has_value());
        EXPECT_EQ(*checked, file);
    }
}

TEST(XFileCheck, CountsBeyondTheFileAreRefused) {
    EXPECT_FALSE(
        accepted(textHeader + "Mesh M { 40000000; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;; }"));
    EXPECT_FALSE(accepted(textHeader + "Mesh M { 3; 0;0;0;, 0;1;0;, 1;0;0;; 9999999; 3;0,1,2;; }"));
    EXPECT_FALSE(accepted(textHeader + "Mesh M { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 4000;0,1,2;; }"));
    EXPECT_FALSE(accepted(textMesh(" MeshNormals { 5000000; 0;0;1;; 2; 3;0,0,0;, 3;0,0,0;; }\n")));
    EXPECT_FALSE(accepted(textHeader + "Mesh M { 4294967299; 0;0;0;; 1; 3;0,0,0;; }"))
        << "a count Assimp would wrap round to a small one";
}

TEST(XFileCheck, IndicesOutOfRangeAreRefused) {
    const std::string files[] = {
        textHeader + "Mesh M { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,3;; }",
        textHeader + "Mesh M { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,-1;; }",
        textMesh(" MeshNormals { 1; 0;0;-1;; 2; 3;0,0,0;, 3;0,0,1;; }\n"),
        textMesh(" MeshNormals { 1; 0;0;-1;; 2; 3;0,0,0;, 2;0,0;; }\n"),
        textMesh(" MeshNormals { 1; 0;0;-1;; 1; 3;0,0,0;; }\n"),
        textMesh(" MeshMaterialList { 1; 2; 0,1;; Material A { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } }\n"),
        textMesh(" MeshMaterialList { 2; 2; 0,1;; Material A { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } }\n"),
        textMesh(" MeshVertexColors { 4; 0;1;1;1;1;;, 1;1;1;1;1;;, 2;1;1;1;1;;, 4;1;1;1;1;;; }\n"),
        textMesh(" SkinWeights { \"bone\"; 1; 7; 1.0; 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }\n"),
    };
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        EXPECT_FALSE(accepted(file));
    }
}

TEST(XFileCheck, WhatAssimpCouldReadDifferentlyIsRefused) {
    const std::string files[] = {
        "xof 0302txt",
        "xof 0302zip 0032 Mesh M {}",
        "xof 0302txt 0016 Mesh M {}",
        textMesh(R"( MeshMaterialList { 1; 1; 0;; Material A { 1;1;1;1;; 0; 0;0;0;; 0;0;0;;
                     TextureFilename { "a}b.bmp"; } } })"),
        textMesh(" ; MeshNormals { 1; 0;0;-1;; 2; 3;0,0,0;, 3;0,0,0;; }\n"),
        textHeader + "template T { <guid> { } Mesh M { 99999999; } }",
        textHeader + "Frame F { { M } }",
        textHeader + "AnimationSet A { Animation { \"open }",
        textHeader + "AnimationSet A { Animation { { F } }",
        textHeader + std::string(40, 'x') + " { \"unclosed }",
        textHeader + std::string(200, '\0'),
        [] {
            std::string nested = textHeader;
            for (int i = 0; i < 40; ++i) {
                nested += "Frame F {";
            }
            return nested + std::string(40, '}');
        }(),
    };
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        EXPECT_FALSE(accepted(file));
    }
}

// The binary format: tokens of a 16-bit id, lists of 32-bit integers or floats.
class BinaryFile {
public:
    BinaryFile() : bytes_("xof 0302bin 0032") {}
    BinaryFile& name(const std::string& text) {
        token(1);
        word(static_cast<std::uint32_t>(text.size()));
        bytes_ += text;
        return *this;
    }
    BinaryFile& open() { return token(0x0A); }
    BinaryFile& close() { return token(0x0B); }
    BinaryFile& integers(std::initializer_list<std::uint32_t> values) {
        token(6);
        word(static_cast<std::uint32_t>(values.size()));
        for (std::uint32_t v : values) {
            word(v);
        }
        return *this;
    }
    BinaryFile& floats(std::initializer_list<float> values) {
        token(7);
        word(static_cast<std::uint32_t>(values.size()));
        for (float f : values) {
            std::uint32_t bits = 0;
            std::memcpy(&bits, &f, 4);
            word(bits);
        }
        return *this;
    }
    BinaryFile& token(std::uint16_t id) {
        bytes_ += static_cast<char>(id & 0xFF);
        bytes_ += static_cast<char>(id >> 8);
        return *this;
    }
    const std::string& bytes() const { return bytes_; }

private:
    void word(std::uint32_t v) {
        token(static_cast<std::uint16_t>(v & 0xFFFF));
        token(static_cast<std::uint16_t>(v >> 16));
    }
    std::string bytes_;
};

BinaryFile binaryTriangle(std::initializer_list<std::uint32_t> faces) {
    BinaryFile file;
    file.name("Mesh").name("M").open().integers({3}).floats({0, 0, 0, 0, 1, 0, 1, 0, 0});
    file.integers(faces);
    return file;
}

TEST(XFileCheck, BinaryFilesAreWalkedListByList) {
    EXPECT_TRUE(accepted(binaryTriangle({1, 3, 0, 1, 2}).close().bytes()));
    EXPECT_FALSE(accepted(binaryTriangle({1, 3, 0, 1, 5}).close().bytes()));
    EXPECT_FALSE(accepted(binaryTriangle({1, 3, 0, 1, 2, 7}).close().bytes()))
        << "a list Assimp leaves half read before the closing brace";
    EXPECT_FALSE(accepted(binaryTriangle({1, 3, 0, 1}).floats({2}).close().bytes()))
        << "a float where an index belongs";
    EXPECT_FALSE(accepted(binaryTriangle({1, 3, 0, 1, 2}).integers({}).close().bytes()))
        << "an empty list";
    EXPECT_FALSE(accepted(binaryTriangle({1, 3, 0, 1, 2}).name("{").bytes()))
        << "a name Assimp would read as a brace";
    EXPECT_FALSE(accepted(binaryTriangle({1, 3, 0, 1, 2}).token(0x99).close().bytes()));
}

// A compressed file as MSZIP blocks, each of `blockText` deflated on its own.
std::string compressedFile(const std::string& blockText, int blocks) {
    std::string deflated(compressBound(static_cast<uLong>(blockText.size())) + 64, '\0');
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(blockText.data()));
    stream.avail_in = static_cast<uInt>(blockText.size());
    stream.next_out = reinterpret_cast<Bytef*>(deflated.data());
    stream.avail_out = static_cast<uInt>(deflated.size());
    deflate(&stream, Z_FINISH);
    deflated.resize(stream.total_out);
    deflateEnd(&stream);
    std::string file = "xof 0302tzip0032" + std::string(6, '\0');
    for (int i = 0; i < blocks; ++i) {
        const auto length = static_cast<std::uint16_t>(deflated.size());
        file += static_cast<char>(length & 0xFF);
        file += static_cast<char>(length >> 8);
        file += "CK";
        file += deflated;
    }
    return file;
}

TEST(XFileCheck, CompressedFilesAreInflatedAndChecked) {
    const std::string body = textMesh("").substr(16);
    const auto checked = checkedXFile(compressedFile(body, 1));
    ASSERT_TRUE(checked.has_value());
    EXPECT_EQ(*checked, "xof 0302txt 0032" + body);

    EXPECT_FALSE(accepted(compressedFile(
        "\nMesh M { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;; MeshNormals { 1; 0;0;-1;; 1; "
        "3;0,0,99999999;; } }\n",
        1)));
    const std::string blank(32000, ' ');
    const int blocksBeyondTheLimit = static_cast<int>(largestXFileBytes / blank.size()) + 2;
    EXPECT_TRUE(accepted(compressedFile(blank, 3)));
    EXPECT_FALSE(accepted(compressedFile(blank, blocksBeyondTheLimit)));
    std::string notMszip = compressedFile(body, 1);
    notMszip[16 + 6 + 2] = 'X';
    EXPECT_FALSE(accepted(notMszip));
}

}  // namespace

namespace {

TEST(XFileCheck, AnimationSetsAreCutOutAndTheRestPassesUnchanged) {
    const std::string mesh = textMesh("").substr(textHeader.size());
    const std::string animation =
        "AnimationSet Walk {\n Animation { { F }\n  AnimationKey { 0; 2; 0; 4; 1.0,0.0,0.0,0.0;;, "
        "10; 4; 0.7,0.7,0.0,0.0;;; }\n  AnimationOptions { 1; 0; }\n }\n}\n";
    const std::string ticks = "AnimTicksPerSecond { 4800; }\n";
    const auto checked = checkedXFile(textHeader + ticks + animation + mesh + animation);
    ASSERT_TRUE(checked.has_value());
    EXPECT_EQ(*checked, textHeader + ticks + mesh);

    BinaryFile binary = binaryTriangle({1, 3, 0, 1, 2}).close();
    const std::string still = binary.bytes();
    binary.name("AnimationSet").name("Turn").open().name("Animation").open();
    binary.open().name("F").close();
    binary.name("AnimationKey").open().integers({0, 1, 0, 3}).floats({1, 1, 1}).close();
    binary.close().close();
    const auto checkedBinary = checkedXFile(binary.bytes());
    ASSERT_TRUE(checkedBinary.has_value());
    EXPECT_EQ(*checkedBinary, still);
}

}  // namespace
