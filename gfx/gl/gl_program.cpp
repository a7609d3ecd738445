#include "gfx/gl/gl_program.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "gfx/resource.h"

namespace {

// The shader sources below are compiled once for each set of choices, with the choices
// written in front of them as constants: the compiler then drops every path the states rule
// out, which keeps the per-pixel work of software OpenGL drivers small.

const char* const vertexSource = R"(
layout(location = 0) in vec4 inPosition;
layout(location = 1) in vec3 inNormal;
layout(location = 2) in vec4 inDiffuse;
layout(location = 3) in vec4 inSpecular;
layout(location = 4) in vec2 inTexCoord;

uniform vec4 viewportRect;  // left, top, width, height in pixels
uniform mat4 worldView;
uniform mat4 projection;
uniform mat3 normalMatrix;
uniform vec3 lightDirection[8];  // in view space, the way the light shines
uniform vec4 lightDiffuse[8];
uniform vec4 lightSpecular[8];
uniform vec4 lightAmbient[8];
uniform vec4 materialDiffuse;
uniform vec4 materialAmbient;
uniform vec4 materialSpecular;
uniform vec4 materialEmissive;
uniform float materialPower;  // 0 or more
uniform vec4 globalAmbient;

out vec4 vDiffuse;
out vec4 vSpecular;
out vec2 vTexCoord;

vec4 colourFrom(int source, vec4 material) {
    if (source == 1) return inDiffuse;
    if (source == 2) return inSpecular;
    return material;
}

void light(vec3 position) {
    vec4 diffuse = colourFrom(diffuseSource, materialDiffuse);
    vec4 ambient = colourFrom(ambientSource, materialAmbient);
    vec4 specular = colourFrom(specularSource, materialSpecular);
    vec4 emissive = colourFrom(emissiveSource, materialEmissive);
    vec3 normal = normalMatrix * inNormal;
    if (normalizeNormals && dot(normal, normal) > 0.0) normal = normalize(normal);
    vec3 toViewer = localViewer ? -normalize(position) : vec3(0.0, 0.0, -1.0);
    vec3 ambientSum = globalAmbient.rgb;
    vec3 diffuseSum = vec3(0.0);
    vec3 specularSum = vec3(0.0);
    for (int i = 0; i < lightCount; ++i) {
        vec3 toLight = -normalize(lightDirection[i]);
        ambientSum += lightAmbient[i].rgb;
        float facing = dot(normal, toLight);
        if (facing > 0.0) {
            diffuseSum += lightDiffuse[i].rgb * facing;
            float highlight = dot(normal, normalize(toLight + toViewer));
            if (highlight > 0.0) specularSum += lightSpecular[i].rgb * pow(highlight, materialPower);
        }
    }
    vec3 colour = emissive.rgb + ambient.rgb * ambientSum + diffuse.rgb * diffuseSum;
    vDiffuse = vec4(clamp(colour, 0.0, 1.0), clamp(diffuse.a, 0.0, 1.0));
    vSpecular = vec4(clamp(specular.rgb * specularSum, 0.0, 1.0), 0.0);
}

// The back buffer is stored top row first, so y is flipped on the way out: OpenGL's fill rule
// then includes top and left edges, as the game's screen quads expect.
void main() {
    vTexCoord = inTexCoord;
    if (pretransformed) {
        float w = inPosition.w > 0.0 ? 1.0 / inPosition.w : 1.0;
        vec2 ndc = vec2(((inPosition.x + 0.5) - viewportRect.x) / viewportRect.z * 2.0 - 1.0,
                        1.0 - ((inPosition.y + 0.5) - viewportRect.y) / viewportRect.w * 2.0);
        float depth = clamp(inPosition.z, 0.0, 1.0);
        gl_Position = vec4(ndc.x * w, -ndc.y * w, (2.0 * depth - 1.0) * w, w);
        gl_ClipDistance[0] = 1.0;
        gl_ClipDistance[1] = 1.0;
        vDiffuse = inDiffuse;
        vSpecular = inSpecular;
        return;
    }
    vec4 viewPosition = worldView * vec4(inPosition.xyz, 1.0);
    vec4 clip = projection * viewPosition;
    gl_ClipDistance[0] = clip.z;                          // near plane
    gl_ClipDistance[1] = clip.w * (1.0 + 1e-5) - clip.z;  // far plane, keeping what lies on it
    // Direct3D puts the centre of the first pixel column at clip x = -1, OpenGL its left edge:
    // shift by half a pixel so edges and texels land where they do on the reference device.
    gl_Position = vec4(clip.x + clip.w / viewportRect.z, -clip.y + clip.w / viewportRect.w,
                       2.0 * clip.z - clip.w, clip.w);
    if (lighting) {
        light(viewPosition.xyz);
    } else {
        vDiffuse = inDiffuse;
        vSpecular = inSpecular;
    }
}
)";

const char* const fragmentSource = R"(
in vec4 vDiffuse;
in vec4 vSpecular;
in vec2 vTexCoord;

uniform sampler2D texture0;
uniform vec4 textureFactor;
uniform int alphaRef;

out vec4 fragColour;

vec4 argument(int choice, vec4 texel) {
    int source = choice & 15;
    vec4 value = vDiffuse;  // diffuse, and current at the first stage
    if (source == 2) value = texel;
    else if (source == 3) value = textureFactor;
    else if (source == 4) value = vSpecular;
    if ((choice & 16) != 0) value = vec4(1.0) - value;
    if ((choice & 32) != 0) value = vec4(value.a);
    return value;
}

vec4 combine(int op, vec4 a, vec4 b) {
    if (op == 2) return a;
    if (op == 3) return b;
    if (op == 4) return a * b;
    if (op == 5) return clamp(2.0 * a * b, 0.0, 1.0);
    if (op == 6) return clamp(4.0 * a * b, 0.0, 1.0);
    if (op == 7) return clamp(a + b, 0.0, 1.0);
    if (op == 8) return clamp(a + b - 0.5, 0.0, 1.0);
    if (op == 10) return clamp(a - b, 0.0, 1.0);
    return a * b;
}

bool passes(int func, int value, int reference) {
    if (func == 1) return false;
    if (func == 2) return value < reference;
    if (func == 3) return value == reference;
    if (func == 4) return value <= reference;
    if (func == 5) return value > reference;
    if (func == 6) return value != reference;
    if (func == 7) return value >= reference;
    return true;
}

void main() {
    // Direct3D's point sampling takes the texel right of (below) an edge the sample lies on
    // exactly; a nudge of 1/256 texel towards +u, +v keeps interpolation error from landing on
    // either side, or from wrapping u or v of exactly 0 to the far edge.
    vec2 sampledAt = vTexCoord;
    if (hasTexture && pointSampled) {
        sampledAt += 1.0 / (256.0 * vec2(textureSize(texture0, 0)));
    }
    vec4 texel = hasTexture ? texture(texture0, sampledAt) : vec4(1.0);
    vec4 colour = vDiffuse;
    if (colorOp != 1) {
        colour.rgb = combine(colorOp, argument(colorArg1, texel), argument(colorArg2, texel)).rgb;
        if (alphaOp != 1) {
            colour.a = combine(alphaOp, argument(alphaArg1, texel), argument(alphaArg2, texel)).a;
        }
    }
    if (specularEnable) colour.rgb = clamp(colour.rgb + vSpecular.rgb, 0.0, 1.0);
    if (alphaTest && !passes(alphaFunc, int(floor(colour.a * 255.0 + 0.5)), alphaRef)) discard;
    fragColour = colour;
}
)";

constexpr const char* versionLine = "#version 330 core\n";

// The choices as preprocessor constants, in front of both shaders.
std::string choiceConstants(const FixedFunctionChoices& c) {
    const auto flag = [](bool value) { return value ? "true" : "false"; };
    char text[1024];
    std::snprintf(text, sizeof text,
                  "#define pretransformed %s\n#define lighting %s\n#define normalizeNormals %s\n"
                  "#define localViewer %s\n#define lightCount %d\n#define diffuseSource %d\n"
                  "#define ambientSource %d\n#define specularSource %d\n"
                  "#define emissiveSource %d\n#define hasTexture %s\n#define pointSampled %s\n"
                  "#define colorOp %d\n#define colorArg1 %d\n#define colorArg2 %d\n"
                  "#define alphaOp %d\n#define alphaArg1 %d\n#define alphaArg2 %d\n"
                  "#define specularEnable %s\n#define alphaTest %s\n#define alphaFunc %d\n",
                  flag(c.pretransformed), flag(c.lighting), flag(c.normalizeNormals),
                  flag(c.localViewer), c.lightCount, c.diffuseSource, c.ambientSource,
                  c.specularSource, c.emissiveSource, flag(c.hasTexture), flag(c.pointSampled),
                  c.colorOp, c.colorArg1, c.colorArg2, c.alphaOp, c.alphaArg1, c.alphaArg2,
                  flag(c.specularEnable), flag(c.alphaTest), c.alphaFunc);
    return text;
}

GLuint compile(GLenum kind, const std::string& constants, const char* body) {
    const GLuint shader = glCreateShader(kind);
    const char* parts[] = {versionLine, constants.c_str(), body};
    glShaderSource(shader, 3, parts, nullptr);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE) {
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

// A texture stage operation the shader knows; any other works as modulate there.
int knownOperation(int op) {
    return (op >= 1 && op <= 8) || op == 10 ? op : 4;
}

}  // namespace

FixedFunctionChoices normalised(FixedFunctionChoices c) {
    if (c.pretransformed) {
        c.lighting = false;
    }
    if (!c.lighting) {
        c.normalizeNormals = c.localViewer = false;
        c.lightCount = c.diffuseSource = c.ambientSource = c.specularSource = c.emissiveSource = 0;
    }
    c.lightCount = std::clamp(c.lightCount, 0, 8);
    if (!c.hasTexture) {
        c.pointSampled = false;
    }
    // Only the low six bits of an argument choose anything: source, complement, replicate.
    c.colorArg1 &= 0x3F;
    c.colorArg2 &= 0x3F;
    c.alphaArg1 &= 0x3F;
    c.alphaArg2 &= 0x3F;
    c.colorOp = knownOperation(c.colorOp);
    c.alphaOp = knownOperation(c.alphaOp);
    if (c.colorOp == 1) {
        c.colorArg1 = c.colorArg2 = 0;
        c.alphaOp = 1;
    }
    if (c.alphaOp == 1) {
        c.alphaArg1 = c.alphaArg2 = 0;
    }
    if (!c.alphaTest || c.alphaFunc < 1 || c.alphaFunc > 7) {
        c.alphaFunc = 8;
    }
    if (c.alphaFunc == 8) {
        c.alphaTest = false;
    }
    return c;
}

bool buildFixedFunctionProgram(const FixedFunctionChoices& choices, FixedFunctionProgram* out) {
    const std::string constants = choiceConstants(choices);
    const GLuint vertex = compile(GL_VERTEX_SHADER, constants, vertexSource);
    const GLuint fragment = compile(GL_FRAGMENT_SHADER, constants, fragmentSource);
    if (vertex == 0 || fragment == 0) {
        glDeleteShader(vertex);
        glDeleteShader(fragment);
        return false;
    }
    const GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        glDeleteProgram(program);
        return false;
    }
    FixedFunctionUniforms& u = out->uniforms;
    const auto at = [program](const char* name) { return glGetUniformLocation(program, name); };
    u.viewportRect = at("viewportRect");
    u.worldView = at("worldView");
    u.projection = at("projection");
    u.normalMatrix = at("normalMatrix");
    u.lightDirection = at("lightDirection");
    u.lightDiffuse = at("lightDiffuse");
    u.lightSpecular = at("lightSpecular");
    u.lightAmbient = at("lightAmbient");
    u.materialDiffuse = at("materialDiffuse");
    u.materialAmbient = at("materialAmbient");
    u.materialSpecular = at("materialSpecular");
    u.materialEmissive = at("materialEmissive");
    u.materialPower = at("materialPower");
    u.globalAmbient = at("globalAmbient");
    u.textureFactor = at("textureFactor");
    u.alphaRef = at("alphaRef");
    glUseProgram(program);
    glUniform1i(at("texture0"), 0);  // the texture of stage 0 is bound to unit 0
    out->program = program;
    out->choices = choices;
    return true;
}

void FixedFunctionPrograms::clear() {
    for (const Entry& entry : entries_) {
        glDeleteProgram(entry.program.program);
    }
    entries_.clear();
}

const FixedFunctionProgram* FixedFunctionPrograms::programFor(const FixedFunctionChoices& wanted) {
    const FixedFunctionChoices choices = normalised(wanted);
    ++clock_;
    for (Entry& entry : entries_) {
        if (entry.program.choices == choices) {
            entry.lastUse = clock_;
            return &entry.program;
        }
    }
    if (entries_.size() >= kCapacity) {
        const auto oldest =
            std::min_element(entries_.begin(), entries_.end(),
                             [](const Entry& a, const Entry& b) { return a.lastUse < b.lastUse; });
        glDeleteProgram(oldest->program.program);
        entries_.erase(oldest);
    }
    Entry entry;
    if (!buildFixedFunctionProgram(choices, &entry.program)) {
        return nullptr;
    }
    entry.lastUse = clock_;
    entries_.push_back(entry);
    compilerHeld_ = true;
    framesSinceBuild_ = 0;
    return &entries_.back().program;
}

void FixedFunctionPrograms::framePresented() {
    if (!compilerHeld_ || ++framesSinceBuild_ < kFramesBeforeCompilerRelease) {
        return;
    }
    glReleaseShaderCompiler();
    compilerHeld_ = false;
    noteFreedMemory();
}
