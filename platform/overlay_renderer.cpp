#include "platform/overlay_renderer.h"

#include <SDL.h>
#include <epoxy/gl.h>
#include <imgui.h>

#include <cstddef>
#include <cstdint>

namespace {

struct OverlayGraphics {
    SDL_GLContext context = nullptr;
    GLuint program = 0;
    GLuint vertexArray = 0;
    GLuint vertexBuffer = 0;
    GLuint indexBuffer = 0;
    GLuint fontTexture = 0;
    GLint projectionLocation = -1;
    GLint textureLocation = -1;
};

OverlayGraphics graphics;

constexpr const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec2 position;
layout(location = 1) in vec2 uv;
layout(location = 2) in vec4 colour;
uniform mat4 projection;
out vec2 fragmentUv;
out vec4 fragmentColour;
void main() {
    fragmentUv = uv;
    fragmentColour = colour;
    gl_Position = projection * vec4(position, 0.0, 1.0);
}
)";

constexpr const char* kFragmentShader = R"(#version 330 core
in vec2 fragmentUv;
in vec4 fragmentColour;
uniform sampler2D glyphs;
out vec4 outColour;
void main() {
    outColour = fragmentColour * texture(glyphs, fragmentUv);
}
)";

GLuint compileShader(GLenum kind, const char* source) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

bool buildGraphics(SDL_GLContext context) {
    graphics = OverlayGraphics{};
    const GLuint vertex = compileShader(GL_VERTEX_SHADER, kVertexShader);
    const GLuint fragment = compileShader(GL_FRAGMENT_SHADER, kFragmentShader);
    graphics.program = glCreateProgram();
    glAttachShader(graphics.program, vertex);
    glAttachShader(graphics.program, fragment);
    glLinkProgram(graphics.program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint linked = GL_FALSE;
    glGetProgramiv(graphics.program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        return false;
    }
    graphics.projectionLocation = glGetUniformLocation(graphics.program, "projection");
    graphics.textureLocation = glGetUniformLocation(graphics.program, "glyphs");
    glGenVertexArrays(1, &graphics.vertexArray);
    glGenBuffers(1, &graphics.vertexBuffer);
    glGenBuffers(1, &graphics.indexBuffer);

    unsigned char* pixels = nullptr;
    int width = 0;
    int height = 0;
    ImGui::GetIO().Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
    glGenTextures(1, &graphics.fontTexture);
    glBindTexture(GL_TEXTURE_2D, graphics.fontTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    graphics.context = context;
    return true;
}

// Every piece of state the overlay changes, as the device left it.
struct SavedGlState {
    GLint program, vertexArray, arrayBuffer, texture, activeTexture, sampler;
    GLint drawFramebuffer, readFramebuffer, unpackAlignment, unpackRowLength;
    GLint viewport[4], scissorBox[4];
    GLint blendSrcRgb, blendDstRgb, blendSrcAlpha, blendDstAlpha, blendEquationRgb,
        blendEquationAlpha;
    GLboolean blend, cull, depth, scissor, stencil, colourMask[4];
    GLint polygonMode[2];

    void save() {
        glGetIntegerv(GL_CURRENT_PROGRAM, &program);
        glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
        glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer);
        glGetIntegerv(GL_ACTIVE_TEXTURE, &activeTexture);
        glActiveTexture(GL_TEXTURE0);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
        glGetIntegerv(GL_SAMPLER_BINDING, &sampler);
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawFramebuffer);
        glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpackAlignment);
        glGetIntegerv(GL_UNPACK_ROW_LENGTH, &unpackRowLength);
        glGetIntegerv(GL_VIEWPORT, viewport);
        glGetIntegerv(GL_SCISSOR_BOX, scissorBox);
        glGetIntegerv(GL_BLEND_SRC_RGB, &blendSrcRgb);
        glGetIntegerv(GL_BLEND_DST_RGB, &blendDstRgb);
        glGetIntegerv(GL_BLEND_SRC_ALPHA, &blendSrcAlpha);
        glGetIntegerv(GL_BLEND_DST_ALPHA, &blendDstAlpha);
        glGetIntegerv(GL_BLEND_EQUATION_RGB, &blendEquationRgb);
        glGetIntegerv(GL_BLEND_EQUATION_ALPHA, &blendEquationAlpha);
        glGetIntegerv(GL_POLYGON_MODE, polygonMode);
        glGetBooleanv(GL_COLOR_WRITEMASK, colourMask);
        blend = glIsEnabled(GL_BLEND);
        cull = glIsEnabled(GL_CULL_FACE);
        depth = glIsEnabled(GL_DEPTH_TEST);
        scissor = glIsEnabled(GL_SCISSOR_TEST);
        stencil = glIsEnabled(GL_STENCIL_TEST);
    }

    static void setEnabled(GLenum capability, GLboolean on) {
        if (on) {
            glEnable(capability);
        } else {
            glDisable(capability);
        }
    }

    void restore() const {
        glUseProgram(static_cast<GLuint>(program));
        glBindVertexArray(static_cast<GLuint>(vertexArray));
        glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(arrayBuffer));
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
        glBindSampler(0, static_cast<GLuint>(sampler));
        glActiveTexture(static_cast<GLenum>(activeTexture));
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawFramebuffer));
        glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer));
        glPixelStorei(GL_UNPACK_ALIGNMENT, unpackAlignment);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, unpackRowLength);
        glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
        glScissor(scissorBox[0], scissorBox[1], scissorBox[2], scissorBox[3]);
        glBlendFuncSeparate(static_cast<GLenum>(blendSrcRgb), static_cast<GLenum>(blendDstRgb),
                            static_cast<GLenum>(blendSrcAlpha), static_cast<GLenum>(blendDstAlpha));
        glBlendEquationSeparate(static_cast<GLenum>(blendEquationRgb),
                                static_cast<GLenum>(blendEquationAlpha));
        glPolygonMode(GL_FRONT_AND_BACK, static_cast<GLenum>(polygonMode[0]));
        glColorMask(colourMask[0], colourMask[1], colourMask[2], colourMask[3]);
        setEnabled(GL_BLEND, blend);
        setEnabled(GL_CULL_FACE, cull);
        setEnabled(GL_DEPTH_TEST, depth);
        setEnabled(GL_SCISSOR_TEST, scissor);
        setEnabled(GL_STENCIL_TEST, stencil);
    }
};

// The projection maps the overlay's display (in window units) onto the whole drawable.
void prepareState(int drawableWidth, int drawableHeight, ImVec2 displaySize) {
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glViewport(0, 0, drawableWidth, drawableHeight);
    glEnable(GL_BLEND);
    glBlendEquation(GL_FUNC_ADD);
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_STENCIL_TEST);
    glEnable(GL_SCISSOR_TEST);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glUseProgram(graphics.program);
    const float projection[16] = {
        2.0f / displaySize.x, 0, 0, 0, 0, -2.0f / displaySize.y, 0, 0, 0, 0, -1, 0, -1, 1, 0, 1,
    };
    glUniformMatrix4fv(graphics.projectionLocation, 1, GL_FALSE, projection);
    glUniform1i(graphics.textureLocation, 0);
    glActiveTexture(GL_TEXTURE0);
    glBindSampler(0, 0);
    glBindVertexArray(graphics.vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, graphics.vertexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, graphics.indexBuffer);
    glEnableVertexAttribArray(0);
    glEnableVertexAttribArray(1);
    glEnableVertexAttribArray(2);
    const auto stride = static_cast<GLsizei>(sizeof(ImDrawVert));
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<void*>(offsetof(ImDrawVert, pos)));
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<void*>(offsetof(ImDrawVert, uv)));
    glVertexAttribPointer(2, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                          reinterpret_cast<void*>(offsetof(ImDrawVert, col)));
}

// Every command draws with the font texture, the only texture the overlay has (a frame built
// before the texture was made for this context may still name an older one).
void drawLists(ImDrawData* drawData, int drawableHeight) {
    const ImVec2 scale = drawData->FramebufferScale;
    glBindTexture(GL_TEXTURE_2D, graphics.fontTexture);
    for (int n = 0; n < drawData->CmdListsCount; ++n) {
        const ImDrawList* list = drawData->CmdLists[n];
        glBufferData(GL_ARRAY_BUFFER,
                     static_cast<GLsizeiptr>(list->VtxBuffer.Size) *
                         static_cast<GLsizeiptr>(sizeof(ImDrawVert)),
                     list->VtxBuffer.Data, GL_STREAM_DRAW);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                     static_cast<GLsizeiptr>(list->IdxBuffer.Size) *
                         static_cast<GLsizeiptr>(sizeof(ImDrawIdx)),
                     list->IdxBuffer.Data, GL_STREAM_DRAW);
        for (const ImDrawCmd& command : list->CmdBuffer) {
            if (command.UserCallback != nullptr) {
                continue;
            }
            const ImVec4 clip = command.ClipRect;
            if (clip.z <= clip.x || clip.w <= clip.y) {
                continue;
            }
            glScissor(static_cast<GLint>(clip.x * scale.x),
                      drawableHeight - static_cast<GLint>(clip.w * scale.y),
                      static_cast<GLsizei>((clip.z - clip.x) * scale.x),
                      static_cast<GLsizei>((clip.w - clip.y) * scale.y));
            glDrawElementsBaseVertex(GL_TRIANGLES, static_cast<GLsizei>(command.ElemCount),
                                     sizeof(ImDrawIdx) == 2 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT,
                                     reinterpret_cast<void*>(command.IdxOffset * sizeof(ImDrawIdx)),
                                     static_cast<GLint>(command.VtxOffset));
        }
    }
}

}  // namespace

void renderOverlay(ImDrawData* drawData, int drawableWidth, int drawableHeight) {
    const SDL_GLContext context = SDL_GL_GetCurrentContext();
    if (context == nullptr || drawData == nullptr || drawableWidth <= 0 || drawableHeight <= 0 ||
        drawData->DisplaySize.x <= 0.0f || drawData->DisplaySize.y <= 0.0f) {
        return;
    }
    SavedGlState saved{};
    saved.save();
    if (graphics.context != context && !buildGraphics(context)) {
        saved.restore();
        return;
    }
    prepareState(drawableWidth, drawableHeight, drawData->DisplaySize);
    drawLists(drawData, drawableHeight);
    saved.restore();
}

namespace {

// The font texture of the renderer the overlay last drew through.
struct RendererGraphics {
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* fontTexture = nullptr;
};

RendererGraphics rendererGraphics;

SDL_Texture* fontTextureFor(SDL_Renderer* renderer) {
    if (rendererGraphics.renderer == renderer && rendererGraphics.fontTexture != nullptr) {
        return rendererGraphics.fontTexture;
    }
    unsigned char* pixels = nullptr;
    int width = 0;
    int height = 0;
    ImGui::GetIO().Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
    SDL_Texture* texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ABGR8888,
                                             SDL_TEXTUREACCESS_STATIC, width, height);
    if (texture == nullptr) {
        return nullptr;
    }
    SDL_UpdateTexture(texture, nullptr, pixels, width * 4);
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(texture, SDL_ScaleModeLinear);
    rendererGraphics = RendererGraphics{renderer, texture};
    return texture;
}

void drawCommandsOnRenderer(const ImDrawList& list, SDL_Renderer* renderer, SDL_Texture* font) {
    const auto stride = static_cast<int>(sizeof(ImDrawVert));
    for (const ImDrawCmd& command : list.CmdBuffer) {
        const ImVec4 clip = command.ClipRect;
        if (command.UserCallback != nullptr || clip.z <= clip.x || clip.w <= clip.y) {
            continue;
        }
        const SDL_Rect clipRect{static_cast<int>(clip.x), static_cast<int>(clip.y),
                                static_cast<int>(clip.z - clip.x),
                                static_cast<int>(clip.w - clip.y)};
        SDL_RenderSetClipRect(renderer, &clipRect);
        const ImDrawVert* first = list.VtxBuffer.Data + command.VtxOffset;
        const int vertexCount = list.VtxBuffer.Size - static_cast<int>(command.VtxOffset);
        SDL_RenderGeometryRaw(renderer, font, &first->pos.x, stride,
                              reinterpret_cast<const SDL_Color*>(&first->col), stride, &first->uv.x,
                              stride, vertexCount, list.IdxBuffer.Data + command.IdxOffset,
                              static_cast<int>(command.ElemCount), sizeof(ImDrawIdx));
    }
}

}  // namespace

void renderOverlayOnRenderer(ImDrawData* drawData, SDL_Renderer* renderer) {
    if (drawData == nullptr || renderer == nullptr) {
        return;
    }
    SDL_Texture* font = fontTextureFor(renderer);
    if (font == nullptr) {
        return;
    }
    SDL_Rect savedClip{};
    SDL_RenderGetClipRect(renderer, &savedClip);
    const bool wasClipping = SDL_RenderIsClipEnabled(renderer) == SDL_TRUE;
    // The overlay is laid out in window units; where the output has more pixels than the window
    // has units, it is drawn scaled up to them.
    float savedScaleX = 1.0f, savedScaleY = 1.0f;
    SDL_RenderGetScale(renderer, &savedScaleX, &savedScaleY);
    int outputWidth = 0, outputHeight = 0;
    if (SDL_GetRendererOutputSize(renderer, &outputWidth, &outputHeight) == 0 &&
        drawData->DisplaySize.x > 0.0f && drawData->DisplaySize.y > 0.0f) {
        SDL_RenderSetScale(renderer, static_cast<float>(outputWidth) / drawData->DisplaySize.x,
                           static_cast<float>(outputHeight) / drawData->DisplaySize.y);
    }
    for (int n = 0; n < drawData->CmdListsCount; ++n) {
        drawCommandsOnRenderer(*drawData->CmdLists[n], renderer, font);
    }
    SDL_RenderSetScale(renderer, savedScaleX, savedScaleY);
    SDL_RenderSetClipRect(renderer, wasClipping ? &savedClip : nullptr);
}

void forgetOverlayGraphics() {
    graphics = OverlayGraphics{};
    rendererGraphics = RendererGraphics{};
}
