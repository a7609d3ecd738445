// The shader program that emulates the fixed-function pipeline on OpenGL 3.3 core, and the
// places of its inputs.
#pragma once

#include <epoxy/gl.h>

// Vertex attribute slots.
constexpr GLuint attributePosition = 0;  // x, y, z and rhw (1 when absent)
constexpr GLuint attributeNormal = 1;
constexpr GLuint attributeDiffuse = 2;
constexpr GLuint attributeSpecular = 3;
constexpr GLuint attributeTexCoord = 4;

// Where the program's uniforms are.
struct FixedFunctionUniforms {
    GLint pretransformed, viewportRect, worldView, projection, normalMatrix, lighting,
        normalizeNormals, localViewer, lightCount, lightDirection, lightDiffuse, lightSpecular,
        lightAmbient, materialDiffuse, materialAmbient, materialSpecular, materialEmissive,
        materialPower, globalAmbient, diffuseSource, ambientSource, specularSource, emissiveSource,
        texture0, hasTexture, pointSampled, colorOp, colorArg1, colorArg2, alphaOp, alphaArg1,
        alphaArg2, textureFactor, specularEnable, alphaTest, alphaFunc, alphaRef;
};

struct FixedFunctionProgram {
    GLuint program = 0;
    FixedFunctionUniforms uniforms{};
};

// Compiles and links the program; false (program 0) when the driver refuses it.
bool buildFixedFunctionProgram(FixedFunctionProgram* out);
