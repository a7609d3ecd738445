// The shader programs that emulate the fixed-function pipeline on OpenGL 3.3 core, one for
// each combination of the states that choose its code paths, and the places of their inputs.
#pragma once

#include <epoxy/gl.h>

#include <cstddef>
#include <cstdint>
#include <vector>

// Vertex attribute slots.
constexpr GLuint attributePosition = 0;  // x, y, z and rhw (1 when absent)
constexpr GLuint attributeNormal = 1;
constexpr GLuint attributeDiffuse = 2;
constexpr GLuint attributeSpecular = 3;
constexpr GLuint attributeTexCoord = 4;

// The states a program is built for. Operation, argument and compare values are Direct3D's
// numbers; colour sources are 0 material, 1 vertex diffuse, 2 vertex specular.
struct FixedFunctionChoices {
    bool pretransformed = false;
    bool lighting = false;
    bool normalizeNormals = false;
    bool localViewer = false;
    int lightCount = 0;
    int diffuseSource = 0, ambientSource = 0, specularSource = 0, emissiveSource = 0;
    bool hasTexture = false;
    bool pointSampled = false;
    int colorOp = 1, colorArg1 = 0, colorArg2 = 0;
    int alphaOp = 1, alphaArg1 = 0, alphaArg2 = 0;
    bool specularEnable = false;
    bool alphaTest = false;
    int alphaFunc = 8;

    bool operator==(const FixedFunctionChoices&) const = default;
};

// The same choices with those that cannot change the result cleared (the lights of an unlit
// draw, the arguments of a disabled stage, ...), so that equal programs are built only once.
FixedFunctionChoices normalised(FixedFunctionChoices choices);

// Where a program's uniforms are; -1 for those its choices left out.
struct FixedFunctionUniforms {
    GLint viewportRect, worldView, projection, normalMatrix, lightDirection, lightDiffuse,
        lightSpecular, lightAmbient, materialDiffuse, materialAmbient, materialSpecular,
        materialEmissive, materialPower, globalAmbient, textureFactor, alphaRef;
};

struct FixedFunctionProgram {
    GLuint program = 0;
    FixedFunctionChoices choices;
    FixedFunctionUniforms uniforms{};
};

// Compiles and links the program for the choices and makes it current; false (program 0)
// when the driver refuses it.
bool buildFixedFunctionProgram(const FixedFunctionChoices& choices, FixedFunctionProgram* out);

// The programs built so far, at most kCapacity of them (the least recently used goes first).
// Needs the device's context current; clear() before the context goes.
class FixedFunctionPrograms {
public:
    // The program for the choices, built on first use; null when the driver refuses it.
    // Building one makes it current.
    const FixedFunctionProgram* programFor(const FixedFunctionChoices& choices);
    void clear();

    // Called once for each presented frame. Once kFramesBeforeCompilerRelease frames have gone
    // by without a new program, the driver's shader compiler is told to let go of its tables
    // (several MiB in Mesa); the next program to build brings them back.
    void framePresented();

    static constexpr std::size_t kCapacity = 64;
    static constexpr int kFramesBeforeCompilerRelease = 120;

private:
    struct Entry {
        FixedFunctionProgram program;
        std::uint64_t lastUse = 0;
    };
    std::vector<Entry> entries_;
    std::uint64_t clock_ = 0;
    bool compilerHeld_ = false;
    int framesSinceBuild_ = 0;
};
