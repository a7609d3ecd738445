#include "gfx/gl/gl_device.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "gfx/fixed_function_device.h"
#include "gfx/frame_pacing.h"
#include "gfx/gl/gl_program.h"
#include "gfx/math.h"
#include "gfx/packed_texels.h"
#include "gfx/pipeline_state.h"
#include "gfx/resource.h"
#include "gfx/window.h"

namespace {

constexpr UINT largestBufferBytes = 256u << 20;
// A managed texture is packed once it has been neither drawn nor written for this many frames:
// one written and not yet drawn after 2 s at 60 Hz, one drawn before after 5 s, so that a screen
// left for a short while finds its pictures as it left them.
constexpr std::uint64_t kFramesBeforePackingUndrawn = 120;
constexpr std::uint64_t kFramesBeforePackingDrawn = 300;
// So many bytes of texels are packed a frame: a few milliseconds on a slow machine.
constexpr std::size_t kPackedBytesPerFrame = 256 * 1024;

class GlTexture;

// An OpenGL context and the window it lives on; resources keep it alive until they are gone.
struct GlContext {
    SDL_Window* window = nullptr;
    bool ownWindow = false;
    SDL_GLContext context = nullptr;
    std::uint64_t framesPresented = 0;
    std::vector<GlTexture*> managedTextures;  // in the order they were made
    // The texture being packed, and how far that has come; null when none is.
    GlTexture* packingTexture = nullptr;
    std::unique_ptr<TexelPacking> packing;

    void makeCurrent() const {
        if (SDL_GL_GetCurrentContext() != context) {
            SDL_GL_MakeCurrent(window, context);
        }
    }
    ~GlContext() {
        if (context != nullptr) {
            SDL_GL_DeleteContext(context);
        }
        if (ownWindow && window != nullptr) {
            SDL_DestroyWindow(window);
        }
    }
};

using ContextRef = std::shared_ptr<GlContext>;

std::shared_ptr<GlContext> makeContext(SDL_Window* window) {
    auto context = std::make_shared<GlContext>();
    if (window == nullptr) {
        window =
            SDL_CreateWindow("Kolvane offscreen", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                             16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (window == nullptr) {
            return nullptr;
        }
        context->ownWindow = true;
    }
    context->window = window;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    context->context = SDL_GL_CreateContext(window);
    if (context->context == nullptr) {
        return nullptr;
    }
    context->makeCurrent();
    if (epoxy_gl_version() < 33) {
        return nullptr;
    }
    return context;
}

class GlTexture : public MemoryTexture {
public:
    GlTexture(ContextRef context, std::shared_ptr<ResourceTracker> tracker, UINT width, UINT height,
              UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool)
        : MemoryTexture(std::move(tracker), width, height, levels, usage, format, pool),
          context_(std::move(context)) {
        if (pool == D3DPOOL_MANAGED) {
            context_->managedTextures.push_back(this);
        }
        lastUsedFrame_ = context_->framesPresented;
    }

    HRESULT LockRect(UINT index, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override {
        stopPacking();
        return MemoryTexture::LockRect(index, locked, rect, flags);
    }

    HRESULT UnlockRect(UINT index) override {
        const HRESULT result = MemoryTexture::UnlockRect(index);
        if (SUCCEEDED(result)) {
            lastUsedFrame_ = context_->framesPresented;
            packingPays_ = true;
        }
        return result;
    }

    // Binds the texture to the active unit, uploading the levels first if they changed.
    void bind() {
        stopPacking();
        lastUsedFrame_ = context_->framesPresented;
        if (name_ == 0) {
            glGenTextures(1, &name_);
        }
        glBindTexture(GL_TEXTURE_2D, name_);
        if (uploaded_ == version()) {
            return;
        }
        takeBackTexels();  // where they were packed
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        for (UINT i = 0; i < levelCount(); ++i) {
            const PixelLevel& pixels = level(i);
            const std::vector<std::uint32_t> argb = pixels.toArgb(format());
            glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(i), GL_RGBA8,
                         static_cast<GLsizei>(pixels.width), static_cast<GLsizei>(pixels.height), 0,
                         GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, argb.data());
        }
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levelCount() - 1));
        uploaded_ = version();
        // The OpenGL device never loses its textures: a managed one lives in OpenGL alone.
        if (pool() == D3DPOOL_MANAGED) {
            dropTexels();
        }
    }

    // Whether the texture has been left alone long enough to be packed.
    bool readyToPack() const {
        for (UINT i = 0; i < levelCount(); ++i) {
            if (level(i).locked) {
                return false;
            }
        }
        const bool drawn = uploaded_ == version();
        const std::uint64_t idle = context_->framesPresented - lastUsedFrame_;
        return packed_.empty() && packingPays_ &&
               idle >= (drawn ? kFramesBeforePackingDrawn : kFramesBeforePackingUndrawn);
    }

    // Starts packing the texels, read back from OpenGL where they live there.
    void startPacking() {
        takeBackTexels();
        std::vector<const PixelLevel*> levels;
        for (UINT i = 0; i < levelCount(); ++i) {
            levels.push_back(&level(i));
        }
        context_->packing = std::make_unique<TexelPacking>(std::move(levels));
        context_->packingTexture = this;
    }

    // Once the packing is over: keeps the packed texels and lets every other copy go, where
    // packing saved memory. They come back when the texture is next drawn or locked.
    void finishPacking() {
        packed_ = context_->packing->takePacked();
        context_->packing.reset();
        context_->packingTexture = nullptr;
        const bool drawn = uploaded_ == version();
        if (packed_.empty()) {
            packingPays_ = false;  // not tried again until the texels change
            if (drawn) {
                dropTexels();
            }
            return;
        }
        dropTexels();
        if (name_ != 0) {
            context_->makeCurrent();
            glDeleteTextures(1, &name_);
            name_ = 0;
            uploaded_ = 0;
        }
    }

protected:
    void restoreTexels() override {
        if (!packed_.empty()) {
            std::vector<PixelLevel*> levels;
            for (UINT i = 0; i < levelCount(); ++i) {
                levels.push_back(&restoredLevel(i));
            }
            // The levels have the sizes they were packed with, so this cannot come short.
            unpackTexels(packed_, levels);
            std::vector<std::uint8_t>().swap(packed_);
            return;
        }
        context_->makeCurrent();
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        glBindTexture(GL_TEXTURE_2D, name_);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        for (UINT i = 0; i < levelCount(); ++i) {
            PixelLevel& pixels = restoredLevel(i);
            std::vector<std::uint32_t> argb(std::size_t{pixels.width} * pixels.height);
            glGetTexImage(GL_TEXTURE_2D, static_cast<GLint>(i), GL_BGRA,
                          GL_UNSIGNED_INT_8_8_8_8_REV, argb.data());
            for (UINT y = 0; y < pixels.height; ++y) {
                BYTE* row = pixels.bytes.data() + std::size_t{y} * pixels.pitch;
                for (UINT x = 0; x < pixels.width; ++x) {
                    writeTexel(format(), row, x, argb[std::size_t{y} * pixels.width + x]);
                }
            }
        }
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    }

    ~GlTexture() override {
        stopPacking();
        auto& managed = context_->managedTextures;
        managed.erase(std::remove(managed.begin(), managed.end(), this), managed.end());
        if (name_ != 0) {
            context_->makeCurrent();
            glDeleteTextures(1, &name_);
        }
    }

private:
    // The texture is used again while being packed: the packing is given up.
    void stopPacking() {
        if (context_->packingTexture != this) {
            return;
        }
        context_->packing.reset();
        context_->packingTexture = nullptr;
        if (uploaded_ == version()) {
            dropTexels();  // the copy read back for the packing
        }
    }

    ContextRef context_;
    GLuint name_ = 0;
    std::uint64_t uploaded_ = 0;
    std::uint64_t lastUsedFrame_ = 0;   // when last written or drawn
    bool packingPays_ = true;           // false once packing these texels saved too little
    std::vector<std::uint8_t> packed_;  // the texels while packed; empty otherwise
};

// Goes on packing the texture being packed, or starts on the first managed texture left alone
// long enough: one texture at a time and a slice of it a frame, so that no frame takes long.
void packIdleTextures(GlContext& context) {
    if (context.packing != nullptr) {
        if (context.packing->advance(kPackedBytesPerFrame)) {
            context.packingTexture->finishPacking();
        }
        return;
    }
    for (GlTexture* texture : context.managedTextures) {
        if (texture->readyToPack()) {
            texture->startPacking();
            return;
        }
    }
}

// A buffer's OpenGL copy, uploaded again whenever the memory's version moves on.
class GlBufferCopy {
public:
    explicit GlBufferCopy(ContextRef context) : context_(std::move(context)) {}
    GlBufferCopy(const GlBufferCopy&) = delete;
    GlBufferCopy& operator=(const GlBufferCopy&) = delete;
    ~GlBufferCopy() {
        if (name_ != 0) {
            context_->makeCurrent();
            glDeleteBuffers(1, &name_);
        }
    }
    // Binds to target; true when the contents were uploaded just now.
    bool bind(GLenum target, const LockableMemory& memory) {
        if (name_ == 0) {
            glGenBuffers(1, &name_);
        }
        glBindBuffer(target, name_);
        if (uploaded_ == memory.version()) {
            return false;
        }
        glBufferData(target, static_cast<GLsizeiptr>(memory.size()), memory.data(),
                     GL_DYNAMIC_DRAW);
        uploaded_ = memory.version();
        return true;
    }

private:
    ContextRef context_;
    GLuint name_ = 0;
    std::uint64_t uploaded_ = 0;
};

class GlVertexBuffer : public MemoryVertexBuffer {
public:
    GlVertexBuffer(ContextRef context, std::shared_ptr<ResourceTracker> tracker, UINT length,
                   DWORD usage, DWORD fvf, D3DPOOL pool)
        : MemoryVertexBuffer(std::move(tracker), length, usage, fvf, pool), copy_(context) {}
    bool bind() { return copy_.bind(GL_ARRAY_BUFFER, memory()); }

private:
    GlBufferCopy copy_;
};

class GlIndexBuffer : public MemoryIndexBuffer {
public:
    GlIndexBuffer(ContextRef context, std::shared_ptr<ResourceTracker> tracker, UINT length,
                  DWORD usage, D3DFORMAT format, D3DPOOL pool)
        : MemoryIndexBuffer(std::move(tracker), length, usage, format, pool), copy_(context) {}
    void bind() { copy_.bind(GL_ELEMENT_ARRAY_BUFFER, memory()); }

private:
    GlBufferCopy copy_;
};

GLenum compareFunction(DWORD compare) {
    static const GLenum functions[] = {GL_ALWAYS,  GL_NEVER,    GL_LESS,   GL_EQUAL, GL_LEQUAL,
                                       GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
    return compare <= D3DCMP_ALWAYS ? functions[compare] : GL_ALWAYS;
}

GLenum blendFactor(DWORD blend) {
    switch (blend) {
        case D3DBLEND_ZERO:
            return GL_ZERO;
        case D3DBLEND_ONE:
            return GL_ONE;
        case D3DBLEND_SRCCOLOR:
            return GL_SRC_COLOR;
        case D3DBLEND_INVSRCCOLOR:
            return GL_ONE_MINUS_SRC_COLOR;
        case D3DBLEND_SRCALPHA:
            return GL_SRC_ALPHA;
        case D3DBLEND_INVSRCALPHA:
            return GL_ONE_MINUS_SRC_ALPHA;
        case D3DBLEND_DESTALPHA:
            return GL_DST_ALPHA;
        case D3DBLEND_INVDESTALPHA:
            return GL_ONE_MINUS_DST_ALPHA;
        case D3DBLEND_DESTCOLOR:
            return GL_DST_COLOR;
        case D3DBLEND_INVDESTCOLOR:
            return GL_ONE_MINUS_DST_COLOR;
        case D3DBLEND_SRCALPHASAT:
            return GL_SRC_ALPHA_SATURATE;
        default:
            return GL_ONE;
    }
}

GLenum blendEquation(DWORD op) {
    switch (op) {
        case D3DBLENDOP_SUBTRACT:
            return GL_FUNC_SUBTRACT;
        case D3DBLENDOP_REVSUBTRACT:
            return GL_FUNC_REVERSE_SUBTRACT;
        case D3DBLENDOP_MIN:
            return GL_MIN;
        case D3DBLENDOP_MAX:
            return GL_MAX;
        default:
            return GL_FUNC_ADD;
    }
}

GLenum minificationFilter(DWORD minFilter, DWORD mipFilter) {
    const bool linear = minFilter != D3DTEXF_POINT && minFilter != D3DTEXF_NONE;
    switch (mipFilter) {
        case D3DTEXF_NONE:
            return linear ? GL_LINEAR : GL_NEAREST;
        case D3DTEXF_POINT:
            return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
        default:
            return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    }
}

// Whether a back-buffer format has no alpha of its own (read back as opaque).
bool opaqueFormat(D3DFORMAT format) {
    return format != D3DFMT_A8R8G8B8;
}

GLenum depthStorageOf(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_D16:
        case D3DFMT_D16_LOCKABLE:
            return GL_DEPTH_COMPONENT16;
        case D3DFMT_D24X8:
            return GL_DEPTH_COMPONENT24;
        case D3DFMT_D32:
            return GL_DEPTH_COMPONENT32;
        case D3DFMT_D24S8:
        case D3DFMT_D24X4S4:
        case D3DFMT_D15S1:
            return GL_DEPTH24_STENCIL8;
        default:
            return 0;
    }
}

// The depth and stencil bits a depth-buffer storage holds.
struct DepthBits {
    GLint depth = 0;
    GLint stencil = 0;
};
DepthBits depthBitsOf(GLenum storage) {
    switch (storage) {
        case GL_DEPTH_COMPONENT16:
            return {16, 0};
        case GL_DEPTH_COMPONENT24:
            return {24, 0};
        case GL_DEPTH_COMPONENT32:
            return {32, 0};
        case GL_DEPTH24_STENCIL8:
            return {24, 8};
        default:
            return {};
    }
}

// The bits of one buffer of the window's own framebuffer (GL_BACK_LEFT, GL_DEPTH or
// GL_STENCIL); 0 where it has none.
GLint windowBufferBits(GLenum buffer, GLenum size) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    GLint type = GL_NONE;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, buffer,
                                          GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &type);
    GLint bits = 0;
    if (type != GL_NONE) {
        glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, buffer, size, &bits);
    }
    while (glGetError() != GL_NO_ERROR) {
    }
    return bits;
}

// Whether the driver can turn clip space upside down (OpenGL 4.5, or the extension before).
bool hasClipControl() {
    return epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control");
}

D3DCOLORVALUE colourOf(D3DCOLOR c) {
    return {((c >> 16) & 0xFF) / 255.0f, ((c >> 8) & 0xFF) / 255.0f, (c & 0xFF) / 255.0f,
            (c >> 24) / 255.0f};
}

D3DVECTOR directionInView(const D3DVECTOR& d, const D3DMATRIX& view) {
    return {d.x * view.m[0][0] + d.y * view.m[1][0] + d.z * view.m[2][0],
            d.x * view.m[0][1] + d.y * view.m[1][1] + d.z * view.m[2][1],
            d.x * view.m[0][2] + d.y * view.m[1][2] + d.z * view.m[2][2]};
}

void uniformColour(GLint location, const D3DCOLORVALUE& c) {
    glUniform4f(location, c.r, c.g, c.b, c.a);
}

class GlDevice final : public FixedFunctionDevice {
public:
    GlDevice(ContextRef context, UINT adapter)
        : FixedFunctionDevice(0, 0),
          context_(std::move(context)),
          adapter_(adapter),
          watch_(context_->ownWindow ? nullptr : context_->window),
          cursor_(context_->ownWindow ? nullptr : context_->window) {}

    bool initialise(D3DPRESENT_PARAMETERS* params);

    HRESULT TestCooperativeLevel() override;
    HRESULT GetDeviceCaps(D3DCAPS8* caps) override;
    HRESULT Reset(D3DPRESENT_PARAMETERS* params) override;
    HRESULT Present(const RECT*, const RECT*, WindowHandle, const void*) override;
    HRESULT GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type,
                          IDirect3DSurface8** surface) override;
    HRESULT CreateImageSurface(UINT width, UINT height, D3DFORMAT format,
                               IDirect3DSurface8** surface) override;
    HRESULT SetCursorProperties(UINT hotX, UINT hotY, IDirect3DSurface8* image) override;
    void SetCursorPosition(INT x, INT y, DWORD flags) override;
    BOOL ShowCursor(BOOL show) override;
    HRESULT Clear(DWORD rectCount, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z,
                  DWORD stencil) override;
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, IDirect3DTexture8** texture) override;
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer8** buffer) override;
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DIndexBuffer8** buffer) override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount,
                                 UINT startIndex, UINT primitiveCount) override;
    HRESULT readPresentedFrame(FrameImage* image) override;
    D3DDEVTYPE deviceType() const override { return D3DDEVTYPE_HAL; }

private:
    ~GlDevice() override;

    HRESULT adoptParameters(D3DPRESENT_PARAMETERS* params);
    bool buildTargets();
    bool buildOwnTargets();
    bool buildShownTarget();
    bool frameAreaMatchesBackBuffer() const;
    bool canDrawIntoWindow();
    // The first row of the rows top..bottom (counted from the top of the frame) as OpenGL
    // counts rows in the framebuffer drawn into.
    GLint firstRowOf(LONG top, LONG bottom) const;
    void deleteTargets();
    void resetBindingsAndState();
    void applyFixedState();
    FixedFunctionChoices currentChoices(const VertexLayout& layout, std::size_t lightCount) const;
    // Picks the program for the current states and gives it the values it reads; false when
    // the driver cannot build it.
    bool uploadUniforms(const VertexLayout& layout);
    void uploadLighting(const D3DXMATRIX& worldView, const EnabledLights& lights);
    // Folds the state set since the last draw into the dirty flags below.
    void noteStateChanges();
    HRESULT prepareDraw(UINT vertexLimit, VertexLayout* layout);
    void bindVertexAttributes(const VertexLayout& layout);
    std::vector<std::uint32_t> readPixels(GLuint framebuffer) const;
    void updateSwapInterval();

    ContextRef context_;  // first member: destroyed last
    UINT adapter_;
    MinimiseWatch watch_;
    D3DPRESENT_PARAMETERS params_{};
    UINT width_ = 0, height_ = 0;
    bool lost_ = false;

    FixedFunctionPrograms programs_;
    FixedFunctionProgram program_;  // the one in use
    GLuint vertexArray_ = 0;
    GLuint sampler_ = 0;
    // The frame is drawn into the window's own framebuffer (0) where that matches the back
    // buffer, and otherwise into a framebuffer of the device's, copied to the window at present.
    bool drawsIntoWindow_ = false;
    GLuint backFramebuffer_ = 0, backColour_ = 0, backDepth_ = 0;
    // Offscreen, the presented frame is kept here; in a window the window holds it.
    GLuint shownFramebuffer_ = 0, shownColour_ = 0;
    bool hasDepth_ = false;
    bool framePresented_ = false;
    bool backHoldsPresented_ = false;  // in a window: nothing drawn since the last present
    int swapInterval_ = -1;
    bool swapTookInterval_ = false;
    FramePacer pacer_;
    bool fixedStateDirty_ = true;
    bool uniformsDirty_ = true;
    bool attributesDirty_ = true;
    DWORD boundLayoutFvf_ = 0;

    DeviceCursor cursor_;
};

bool GlDevice::initialise(D3DPRESENT_PARAMETERS* params) {
    context_->makeCurrent();
    // The driver must take at least the simplest program.
    const FixedFunctionProgram* first = programs_.programFor(FixedFunctionChoices{});
    if (first == nullptr) {
        return false;
    }
    program_ = *first;
    glGenVertexArrays(1, &vertexArray_);
    glBindVertexArray(vertexArray_);
    glGenSamplers(1, &sampler_);
    glBindSampler(0, sampler_);
    glUseProgram(program_.program);
    glEnable(GL_DEPTH_CLAMP);
    glEnable(GL_CLIP_DISTANCE0);
    glEnable(GL_CLIP_DISTANCE1);
    if (FAILED(adoptParameters(params)) || !buildTargets()) {
        return false;
    }
    resetBindingsAndState();
    return glGetError() == GL_NO_ERROR;
}

GlDevice::~GlDevice() {
    context_->makeCurrent();
    unbindEverything();
    deleteTargets();
    glDeleteSamplers(1, &sampler_);
    glDeleteVertexArrays(1, &vertexArray_);
    programs_.clear();
}

HRESULT GlDevice::adoptParameters(D3DPRESENT_PARAMETERS* params) {
    const PresentationLimits limits{
        &isPresentableFormat,
        &isDepthFormat,
        openGlMaxTextureSide(),
    };
    SDL_Window* window = context_->ownWindow ? nullptr : context_->window;
    const HRESULT adopted = adoptPresentationParameters(window, limits, params);
    if (FAILED(adopted)) {
        return adopted;
    }
    params_ = *params;
    width_ = params_.BackBufferWidth;
    height_ = params_.BackBufferHeight;
    return D3D_OK;
}

bool GlDevice::frameAreaMatchesBackBuffer() const {
    int width = 0, height = 0;
    frameAreaSize(context_->window, &width, &height);
    return static_cast<UINT>(width) == width_ && static_cast<UINT>(height) == height_;
}

// The window's framebuffer takes the frame where it has the back buffer's size and at least
// its colour, depth and stencil bits, and the driver can draw into it the way round the device
// draws into its own. The offscreen video driver's surface keeps the size it was made with
// whatever the window's size, so frames there stay in the device's framebuffer.
bool GlDevice::canDrawIntoWindow() {
    const char* videoDriver = SDL_GetCurrentVideoDriver();
    if (context_->ownWindow || params_.SwapEffect != D3DSWAPEFFECT_DISCARD ||
        !opaqueFormat(params_.BackBufferFormat) || !hasClipControl() ||
        (videoDriver != nullptr && std::strcmp(videoDriver, "offscreen") == 0) ||
        !frameAreaMatchesBackBuffer()) {
        return false;
    }
    if (windowBufferBits(GL_BACK_LEFT, GL_FRAMEBUFFER_ATTACHMENT_RED_SIZE) < 8 ||
        windowBufferBits(GL_BACK_LEFT, GL_FRAMEBUFFER_ATTACHMENT_GREEN_SIZE) < 8 ||
        windowBufferBits(GL_BACK_LEFT, GL_FRAMEBUFFER_ATTACHMENT_BLUE_SIZE) < 8) {
        return false;
    }
    if (!hasDepth_) {
        return true;
    }
    const DepthBits wanted = depthBitsOf(depthStorageOf(params_.AutoDepthStencilFormat));
    return windowBufferBits(GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE) >= wanted.depth &&
           (wanted.stencil == 0 ||
            windowBufferBits(GL_STENCIL, GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE) >= wanted.stencil);
}

GLint GlDevice::firstRowOf(LONG top, LONG bottom) const {
    // The device's framebuffer holds the frame top row first; the window's holds it bottom row
    // first, with the frame's area at its foot (any band above it is the window's own).
    return drawsIntoWindow_ ? static_cast<GLint>(height_) - static_cast<GLint>(bottom)
                            : static_cast<GLint>(top);
}

bool GlDevice::buildTargets() {
    deleteTargets();
    hasDepth_ = params_.EnableAutoDepthStencil != 0;
    drawsIntoWindow_ = canDrawIntoWindow();
    if (hasClipControl()) {
        // In the window clip space is turned upside down, which with the flip of the programs
        // puts the top row at the top and keeps the rows, the fill rule and the winding exactly
        // as they come out in the device's framebuffer.
        glClipControl(drawsIntoWindow_ ? GL_UPPER_LEFT : GL_LOWER_LEFT, GL_NEGATIVE_ONE_TO_ONE);
    }
    const bool complete = drawsIntoWindow_ || buildOwnTargets();
    glBindFramebuffer(GL_FRAMEBUFFER, backFramebuffer_);
    glClearColor(0, 0, 0, 0);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | (hasDepth_ ? GL_DEPTH_BUFFER_BIT : 0));
    framePresented_ = false;
    backHoldsPresented_ = false;
    return complete;
}

bool GlDevice::buildOwnTargets() {
    const auto w = static_cast<GLsizei>(width_), h = static_cast<GLsizei>(height_);
    glGenRenderbuffers(1, &backColour_);
    glBindRenderbuffer(GL_RENDERBUFFER, backColour_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, w, h);
    glGenFramebuffers(1, &backFramebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, backFramebuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, backColour_);
    if (hasDepth_) {
        const GLenum storage = depthStorageOf(params_.AutoDepthStencilFormat);
        glGenRenderbuffers(1, &backDepth_);
        glBindRenderbuffer(GL_RENDERBUFFER, backDepth_);
        glRenderbufferStorage(GL_RENDERBUFFER, storage, w, h);
        glFramebufferRenderbuffer(
            GL_FRAMEBUFFER,
            storage == GL_DEPTH24_STENCIL8 ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT,
            GL_RENDERBUFFER, backDepth_);
    }
    const bool backComplete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    return backComplete && (!context_->ownWindow || buildShownTarget());
}

bool GlDevice::buildShownTarget() {
    const auto w = static_cast<GLsizei>(width_), h = static_cast<GLsizei>(height_);
    glGenRenderbuffers(1, &shownColour_);
    glBindRenderbuffer(GL_RENDERBUFFER, shownColour_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, w, h);
    glGenFramebuffers(1, &shownFramebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, shownFramebuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, shownColour_);
    if (hasDepth_) {
        // The two frames trade places at each discarding present; the depth buffer stays.
        const GLenum storage = depthStorageOf(params_.AutoDepthStencilFormat);
        glFramebufferRenderbuffer(
            GL_FRAMEBUFFER,
            storage == GL_DEPTH24_STENCIL8 ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT,
            GL_RENDERBUFFER, backDepth_);
    }
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void GlDevice::deleteTargets() {
    glDeleteFramebuffers(1, &backFramebuffer_);
    glDeleteFramebuffers(1, &shownFramebuffer_);
    glDeleteRenderbuffers(1, &backColour_);
    glDeleteRenderbuffers(1, &backDepth_);
    glDeleteRenderbuffers(1, &shownColour_);
    backFramebuffer_ = shownFramebuffer_ = backColour_ = backDepth_ = shownColour_ = 0;
}

void GlDevice::resetBindingsAndState() {
    resetState(width_, height_);
    fixedStateDirty_ = uniformsDirty_ = attributesDirty_ = true;
}

HRESULT GlDevice::TestCooperativeLevel() {
    if (!params_.Windowed && watch_.minimised()) {
        lost_ = true;
        return D3DERR_DEVICELOST;
    }
    return lost_ ? D3DERR_DEVICENOTRESET : D3D_OK;
}

HRESULT GlDevice::GetDeviceCaps(D3DCAPS8* caps) {
    if (caps == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *caps = fixedFunctionCaps(D3DDEVTYPE_HAL, adapter_, openGlMaxTextureSide());
    return D3D_OK;
}

HRESULT GlDevice::Reset(D3DPRESENT_PARAMETERS* params) {
    if (params == nullptr || defaultPoolResourcesLive()) {
        return D3DERR_INVALIDCALL;
    }
    context_->makeCurrent();
    const D3DPRESENT_PARAMETERS previous = params_;
    const HRESULT adopted = adoptParameters(params);
    if (FAILED(adopted)) {
        params_ = previous;
        return adopted;
    }
    if (!buildTargets()) {
        return D3DERR_DRIVERINTERNALERROR;
    }
    resetBindingsAndState();
    lost_ = false;
    return D3D_OK;
}

void GlDevice::updateSwapInterval() {
    const int wanted =
        presentWait() && params_.FullScreen_PresentationInterval != D3DPRESENT_INTERVAL_IMMEDIATE
            ? 1
            : 0;
    if (wanted != swapInterval_) {
        swapTookInterval_ =
            SDL_GL_SetSwapInterval(wanted) == 0 && SDL_GL_GetSwapInterval() == wanted;
        swapInterval_ = wanted;
    }
}

HRESULT GlDevice::Present(const RECT*, const RECT*, WindowHandle, const void*) {
    if (TestCooperativeLevel() != D3D_OK) {
        return D3DERR_DEVICELOST;
    }
    context_->makeCurrent();
    const auto w = static_cast<GLint>(width_), h = static_cast<GLint>(height_);
    glDisable(GL_SCISSOR_TEST);
    if (!context_->ownWindow) {
        // The window keeps the shown frame: the drawn one goes straight to it.
    } else if (params_.SwapEffect == D3DSWAPEFFECT_DISCARD) {
        // The back buffer's contents end with the present: the drawn frame becomes the shown
        // one as it is, and the next frame is drawn into the one shown before.
        std::swap(backFramebuffer_, shownFramebuffer_);
    } else {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, backFramebuffer_);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, shownFramebuffer_);
        glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    }
    framePresented_ = true;
    backHoldsPresented_ = true;
    programs_.framePresented();
    ++context_->framesPresented;
    packIdleTextures(*context_);
    returnFreedMemory();
    if (!context_->ownWindow) {
        if (drawsIntoWindow_) {
            // Whatever the window draws over the frame expects clip space the usual way up.
            glClipControl(GL_LOWER_LEFT, GL_NEGATIVE_ONE_TO_ONE);
        } else {
            glBindFramebuffer(GL_READ_FRAMEBUFFER, backFramebuffer_);
            int drawableWidth = 0, drawableHeight = 0;
            frameAreaSize(context_->window, &drawableWidth, &drawableHeight);
            glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
            glBlitFramebuffer(0, 0, w, h, 0, drawableHeight, drawableWidth, 0, GL_COLOR_BUFFER_BIT,
                              drawableWidth == w && drawableHeight == h ? GL_NEAREST : GL_LINEAR);
        }
        updateSwapInterval();
        showOpenGlFrame(context_->window);
        pacer_.frameShown(swapInterval_ == 1, swapTookInterval_,
                          windowRefreshRate(context_->window));
        if (drawsIntoWindow_) {
            glClipControl(GL_UPPER_LEFT, GL_NEGATIVE_ONE_TO_ONE);
        }
        if (drawsIntoWindow_ && !frameAreaMatchesBackBuffer()) {
            // The window changed size under the frame: until a reset gives the back buffer the
            // new size, frames are drawn in the device's framebuffer and stretched to the window.
            buildTargets();
            fixedStateDirty_ = true;
        }
    }
    glBindFramebuffer(GL_FRAMEBUFFER, backFramebuffer_);
    return D3D_OK;
}

std::vector<std::uint32_t> GlDevice::readPixels(GLuint framebuffer) const {
    std::vector<std::uint32_t> pixels(std::size_t{width_} * height_);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, static_cast<GLsizei>(width_), static_cast<GLsizei>(height_), GL_BGRA,
                 GL_UNSIGNED_INT_8_8_8_8_REV, pixels.data());
    glBindFramebuffer(GL_FRAMEBUFFER, backFramebuffer_);
    if (framebuffer == 0) {
        // The window's framebuffer holds the frame bottom row first.
        for (UINT top = 0, bottom = height_ - 1; top < bottom; ++top, --bottom) {
            std::swap_ranges(pixels.begin() + std::ptrdiff_t{top} * width_,
                             pixels.begin() + std::ptrdiff_t{top + 1} * width_,
                             pixels.begin() + std::ptrdiff_t{bottom} * width_);
        }
    }
    if (opaqueFormat(params_.BackBufferFormat)) {
        for (std::uint32_t& pixel : pixels) {
            pixel |= 0xFF000000u;
        }
    }
    return pixels;
}

HRESULT GlDevice::readPresentedFrame(FrameImage* image) {
    // In a window the presented frame can be read back until the next frame is begun. Where it
    // was drawn in the window's own framebuffer it is read from there: the window systems the
    // software driver serves keep the back buffer's contents through the swap.
    if (image == nullptr || !framePresented_ || (!context_->ownWindow && !backHoldsPresented_)) {
        return D3DERR_INVALIDCALL;
    }
    context_->makeCurrent();
    image->width = width_;
    image->height = height_;
    image->pixels = readPixels(context_->ownWindow ? shownFramebuffer_ : backFramebuffer_);
    return D3D_OK;
}

HRESULT GlDevice::GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** surface) {
    if (surface == nullptr || index != 0 || type != D3DBACKBUFFER_TYPE_MONO) {
        return D3DERR_INVALIDCALL;
    }
    context_->makeCurrent();
    auto* copy = new MemorySurface(tracker(), width_, height_, params_.BackBufferFormat,
                                   D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT);
    if (bytesPerTexel(params_.BackBufferFormat) != 0) {
        const std::vector<std::uint32_t> pixels = readPixels(backFramebuffer_);
        PixelLevel& level = copy->pixels();
        for (UINT y = 0; y < height_; ++y) {
            for (UINT x = 0; x < width_; ++x) {
                writeTexel(params_.BackBufferFormat,
                           level.bytes.data() + std::size_t{y} * level.pitch, x,
                           pixels[std::size_t{y} * width_ + x]);
            }
        }
    }
    *surface = copy;
    return D3D_OK;
}

HRESULT GlDevice::CreateImageSurface(UINT width, UINT height, D3DFORMAT format,
                                     IDirect3DSurface8** surface) {
    if (surface == nullptr || width == 0 || height == 0 || width > openGlMaxTextureSide() ||
        height > openGlMaxTextureSide() || !isStoredColourFormat(format)) {
        return D3DERR_INVALIDCALL;
    }
    *surface = new MemorySurface(tracker(), width, height, format, 0, D3DPOOL_SYSTEMMEM);
    return D3D_OK;
}

HRESULT GlDevice::SetCursorProperties(UINT hotX, UINT hotY, IDirect3DSurface8* image) {
    return cursor_.setPicture(hotX, hotY, image);
}

void GlDevice::SetCursorPosition(INT, INT, DWORD) {
    // The window system draws the cursor where the mouse is.
}

BOOL GlDevice::ShowCursor(BOOL show) {
    return cursor_.show(show);
}

HRESULT GlDevice::Clear(DWORD rectCount, const D3DRECT* rects, DWORD flags, D3DCOLOR colour,
                        float z, DWORD stencil) {
    if ((rectCount > 0 && rects == nullptr) ||
        ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) != 0 && !hasDepth_)) {
        return D3DERR_INVALIDCALL;
    }
    context_->makeCurrent();
    glBindFramebuffer(GL_FRAMEBUFFER, backFramebuffer_);
    backHoldsPresented_ = false;
    const D3DCOLORVALUE c = colourOf(colour);
    glClearColor(c.r, c.g, c.b, c.a);
    glClearDepth(std::clamp(z, 0.0f, 1.0f));
    glClearStencil(static_cast<GLint>(stencil));
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    GLbitfield bits = 0;
    bits |= (flags & D3DCLEAR_TARGET) ? GL_COLOR_BUFFER_BIT : 0;
    bits |= (flags & D3DCLEAR_ZBUFFER) ? GL_DEPTH_BUFFER_BIT : 0;
    bits |= (flags & D3DCLEAR_STENCIL) ? GL_STENCIL_BUFFER_BIT : 0;
    const D3DVIEWPORT8& vp = state().viewport;
    const D3DRECT whole{static_cast<LONG>(vp.X), static_cast<LONG>(vp.Y),
                        static_cast<LONG>(vp.X + vp.Width), static_cast<LONG>(vp.Y + vp.Height)};
    glEnable(GL_SCISSOR_TEST);
    const DWORD count = rectCount == 0 ? 1 : rectCount;
    for (DWORD i = 0; i < count; ++i) {
        const D3DRECT& r = rectCount == 0 ? whole : rects[i];
        const LONG left = std::max(r.x1, whole.x1), right = std::min(r.x2, whole.x2);
        const LONG top = std::max(r.y1, whole.y1), bottom = std::min(r.y2, whole.y2);
        if (left >= right || top >= bottom) {
            continue;
        }
        glScissor(left, firstRowOf(top, bottom), right - left, bottom - top);
        glClear(bits);
    }
    glDisable(GL_SCISSOR_TEST);
    fixedStateDirty_ = true;
    return D3D_OK;
}

HRESULT GlDevice::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                D3DPOOL pool, IDirect3DTexture8** texture) {
    if (texture == nullptr || pool > D3DPOOL_SYSTEMMEM ||
        (usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) != 0 ||
        !MemoryTexture::isValid(width, height, levels, format, openGlMaxTextureSide())) {
        return D3DERR_INVALIDCALL;
    }
    *texture = new GlTexture(context_, tracker(), width, height, levels, usage, format, pool);
    return D3D_OK;
}

HRESULT GlDevice::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                     IDirect3DVertexBuffer8** buffer) {
    if (buffer == nullptr || length == 0 || pool > D3DPOOL_SYSTEMMEM) {
        return D3DERR_INVALIDCALL;
    }
    if (length > largestBufferBytes) {
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    *buffer = new GlVertexBuffer(context_, tracker(), length, usage, fvf, pool);
    return D3D_OK;
}

HRESULT GlDevice::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                    IDirect3DIndexBuffer8** buffer) {
    if (buffer == nullptr || length == 0 || pool > D3DPOOL_SYSTEMMEM ||
        (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32)) {
        return D3DERR_INVALIDCALL;
    }
    if (length > largestBufferBytes) {
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    *buffer = new GlIndexBuffer(context_, tracker(), length, usage, format, pool);
    return D3D_OK;
}

void GlDevice::applyFixedState() {
    const DWORD* rs = state().renderStates;
    const D3DVIEWPORT8& vp = state().viewport;
    glViewport(static_cast<GLint>(vp.X),
               firstRowOf(static_cast<LONG>(vp.Y), static_cast<LONG>(vp.Y + vp.Height)),
               static_cast<GLsizei>(vp.Width), static_cast<GLsizei>(vp.Height));
    glDepthRange(vp.MinZ, vp.MaxZ);
    if (rs[D3DRS_ZENABLE] != D3DZB_FALSE && hasDepth_) {
        glEnable(GL_DEPTH_TEST);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
    glDepthFunc(compareFunction(rs[D3DRS_ZFUNC]));
    glDepthMask(rs[D3DRS_ZWRITEENABLE] ? GL_TRUE : GL_FALSE);
    if (rs[D3DRS_ALPHABLENDENABLE]) {
        glEnable(GL_BLEND);
    } else {
        glDisable(GL_BLEND);
    }
    glBlendFunc(blendFactor(rs[D3DRS_SRCBLEND]), blendFactor(rs[D3DRS_DESTBLEND]));
    glBlendEquation(blendEquation(rs[D3DRS_BLENDOP]));
    if (rs[D3DRS_CULLMODE] == D3DCULL_CW || rs[D3DRS_CULLMODE] == D3DCULL_CCW) {
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        // The picture is stored upside down (top row first), which mirrors the winding: a
        // triangle clockwise on screen is counter-clockwise in OpenGL's window coordinates.
        glFrontFace(rs[D3DRS_CULLMODE] == D3DCULL_CCW ? GL_CCW : GL_CW);
    } else {
        glDisable(GL_CULL_FACE);
    }
    const DWORD fill = rs[D3DRS_FILLMODE];
    glPolygonMode(GL_FRONT_AND_BACK, fill == D3DFILL_POINT       ? GL_POINT
                                     : fill == D3DFILL_WIREFRAME ? GL_LINE
                                                                 : GL_FILL);
    const DWORD writes = rs[D3DRS_COLORWRITEENABLE];
    glColorMask((writes & 1) != 0, (writes & 2) != 0, (writes & 4) != 0, (writes & 8) != 0);
    const DWORD* ts = state().stageStates[0];
    glSamplerParameteri(sampler_, GL_TEXTURE_MAG_FILTER,
                        ts[D3DTSS_MAGFILTER] == D3DTEXF_POINT ? GL_NEAREST : GL_LINEAR);
    glSamplerParameteri(sampler_, GL_TEXTURE_MIN_FILTER,
                        minificationFilter(ts[D3DTSS_MINFILTER], ts[D3DTSS_MIPFILTER]));
    fixedStateDirty_ = false;
}

FixedFunctionChoices GlDevice::currentChoices(const VertexLayout& layout,
                                              std::size_t lightCount) const {
    const DWORD* rs = state().renderStates;
    const DWORD* ts = state().stageStates[0];
    const MaterialSources sources = materialSources(state(), layout);
    FixedFunctionChoices c;
    c.pretransformed = layout.pretransformed;
    c.lighting = rs[D3DRS_LIGHTING] != 0;
    c.normalizeNormals = rs[D3DRS_NORMALIZENORMALS] != 0;
    c.localViewer = rs[D3DRS_LOCALVIEWER] != 0;
    c.lightCount = static_cast<int>(lightCount);
    c.diffuseSource = static_cast<int>(sources.diffuse);
    c.ambientSource = static_cast<int>(sources.ambient);
    c.specularSource = static_cast<int>(sources.specular);
    c.emissiveSource = static_cast<int>(sources.emissive);
    c.hasTexture = boundTexture(0) != nullptr;
    c.pointSampled = ts[D3DTSS_MAGFILTER] == D3DTEXF_POINT || ts[D3DTSS_MINFILTER] == D3DTEXF_POINT;
    // Values are kept to 32-bit signed numbers, as the shader's integers are.
    const auto number = [](DWORD value) {
        return static_cast<int>(static_cast<std::int32_t>(value));
    };
    c.colorOp = number(ts[D3DTSS_COLOROP]);
    c.colorArg1 = number(ts[D3DTSS_COLORARG1]);
    c.colorArg2 = number(ts[D3DTSS_COLORARG2]);
    c.alphaOp = number(ts[D3DTSS_ALPHAOP]);
    c.alphaArg1 = number(ts[D3DTSS_ALPHAARG1]);
    c.alphaArg2 = number(ts[D3DTSS_ALPHAARG2]);
    c.specularEnable = rs[D3DRS_SPECULARENABLE] != 0;
    c.alphaTest = rs[D3DRS_ALPHATESTENABLE] != 0;
    c.alphaFunc = number(rs[D3DRS_ALPHAFUNC]);
    return c;
}

bool GlDevice::uploadUniforms(const VertexLayout& layout) {
    const EnabledLights lights = enabledLights(state());
    const FixedFunctionProgram* chosen =
        programs_.programFor(currentChoices(layout, lights.size()));
    if (chosen == nullptr) {
        return false;
    }
    program_ = *chosen;
    glUseProgram(program_.program);
    const FixedFunctionUniforms& u = program_.uniforms;
    const DWORD* rs = state().renderStates;
    const D3DVIEWPORT8& vp = state().viewport;
    glUniform4f(u.viewportRect, static_cast<float>(vp.X), static_cast<float>(vp.Y),
                static_cast<float>(vp.Width), static_cast<float>(vp.Height));
    D3DXMATRIX worldView;
    const D3DXMATRIX world(state().world), view(state().view);
    D3DXMatrixMultiply(&worldView, &world, &view);
    glUniformMatrix4fv(u.worldView, 1, GL_FALSE, &worldView.m[0][0]);
    glUniformMatrix4fv(u.projection, 1, GL_FALSE, &state().projection.m[0][0]);
    uniformColour(u.textureFactor, colourOf(rs[D3DRS_TEXTUREFACTOR]));
    glUniform1i(u.alphaRef, static_cast<GLint>(rs[D3DRS_ALPHAREF] & 0xFF));
    if (program_.choices.lighting) {
        uploadLighting(worldView, lights);
    }
    uniformsDirty_ = false;
    return true;
}

void GlDevice::uploadLighting(const D3DXMATRIX& worldView, const EnabledLights& lights) {
    const FixedFunctionUniforms& u = program_.uniforms;
    const D3DMATRIX normals = normalMatrix(worldView);
    const float upperNormals[9] = {normals.m[0][0], normals.m[0][1], normals.m[0][2],
                                   normals.m[1][0], normals.m[1][1], normals.m[1][2],
                                   normals.m[2][0], normals.m[2][1], normals.m[2][2]};
    glUniformMatrix3fv(u.normalMatrix, 1, GL_FALSE, upperNormals);
    float directions[maxActiveLights * 3] = {}, diffuse[maxActiveLights * 4] = {},
                                       specular[maxActiveLights * 4] = {},
                                       ambient[maxActiveLights * 4] = {};
    for (std::size_t i = 0; i < lights.size(); ++i) {
        const D3DVECTOR d = directionInView(lights[i].Direction, state().view);
        directions[i * 3] = d.x;
        directions[i * 3 + 1] = d.y;
        directions[i * 3 + 2] = d.z;
        std::memcpy(diffuse + i * 4, &lights[i].Diffuse, 16);
        std::memcpy(specular + i * 4, &lights[i].Specular, 16);
        std::memcpy(ambient + i * 4, &lights[i].Ambient, 16);
    }
    glUniform3fv(u.lightDirection, maxActiveLights, directions);
    glUniform4fv(u.lightDiffuse, maxActiveLights, diffuse);
    glUniform4fv(u.lightSpecular, maxActiveLights, specular);
    glUniform4fv(u.lightAmbient, maxActiveLights, ambient);
    const D3DMATERIAL8& m = state().material;
    uniformColour(u.materialDiffuse, m.Diffuse);
    uniformColour(u.materialAmbient, m.Ambient);
    uniformColour(u.materialSpecular, m.Specular);
    uniformColour(u.materialEmissive, m.Emissive);
    glUniform1f(u.materialPower, m.Power > 0.0f ? m.Power : 0.0f);
    uniformColour(u.globalAmbient, colourOf(state().renderStates[D3DRS_AMBIENT]));
}

void GlDevice::bindVertexAttributes(const VertexLayout& layout) {
    const auto stride = static_cast<GLsizei>(streamStride());
    const auto at = [](int offset) {
        return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(offset));
    };
    glEnableVertexAttribArray(attributePosition);
    glVertexAttribPointer(attributePosition, layout.pretransformed ? 4 : 3, GL_FLOAT, GL_FALSE,
                          stride, at(0));
    const auto attribute = [&](GLuint slot, int offset, GLint size, GLenum type, GLboolean norm,
                               float x, float y, float z, float w) {
        if (offset >= 0) {
            glEnableVertexAttribArray(slot);
            glVertexAttribPointer(slot, size, type, norm, stride, at(offset));
        } else {
            glDisableVertexAttribArray(slot);
            glVertexAttrib4f(slot, x, y, z, w);
        }
    };
    attribute(attributeNormal, layout.normalOffset, 3, GL_FLOAT, GL_FALSE, 0, 0, 0, 0);
    attribute(attributeDiffuse, layout.diffuseOffset, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 1, 1, 1,
              1);
    attribute(attributeSpecular, layout.specularOffset, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 0, 0, 0,
              0);
    attribute(attributeTexCoord, layout.textureOffset, 2, GL_FLOAT, GL_FALSE, 0, 0, 0, 0);
    attributesDirty_ = false;
    boundLayoutFvf_ = state().fvf;
}

void GlDevice::noteStateChanges() {
    const DWORD changes = takeStateChanges();
    fixedStateDirty_ = fixedStateDirty_ ||
                       (changes & (changedViewport | changedRenderStates | changedStageStates));
    uniformsDirty_ = uniformsDirty_ || (changes & ~changedStream) != 0;
    attributesDirty_ = attributesDirty_ || (changes & (changedStream | changedVertexFormat));
}

HRESULT GlDevice::prepareDraw(UINT vertexLimit, VertexLayout* layout) {
    auto* vertices = static_cast<GlVertexBuffer*>(stream());
    if (!inScene() || vertices == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *layout = describeVertexFormat(state().fvf);
    const std::size_t size = vertices->memory().size();
    const std::size_t stride = streamStride();
    const auto vertexBytes = static_cast<std::size_t>(layout->stride);
    if (!layout->valid || vertexBytes > stride || vertexLimit == 0 ||
        (std::size_t{vertexLimit} - 1) * stride + vertexBytes > size) {
        return D3DERR_INVALIDCALL;
    }
    context_->makeCurrent();
    glBindFramebuffer(GL_FRAMEBUFFER, backFramebuffer_);
    backHoldsPresented_ = false;
    noteStateChanges();
    if (fixedStateDirty_) {
        applyFixedState();
    }
    if (auto* texture = static_cast<GlTexture*>(boundTexture(0))) {
        glActiveTexture(GL_TEXTURE0);
        texture->bind();
    }
    if (uniformsDirty_ && !uploadUniforms(*layout)) {
        return D3DERR_INVALIDCALL;
    }
    vertices->bind();
    if (attributesDirty_ || boundLayoutFvf_ != state().fvf) {
        bindVertexAttributes(*layout);
    }
    return D3D_OK;
}

struct PrimitiveShape {
    GLenum mode;
    UINT indexCount;
};

bool shapeOf(D3DPRIMITIVETYPE type, UINT primitiveCount, PrimitiveShape* shape) {
    switch (type) {
        case D3DPT_TRIANGLELIST:
            *shape = {GL_TRIANGLES, primitiveCount * 3};
            return true;
        case D3DPT_TRIANGLESTRIP:
            *shape = {GL_TRIANGLE_STRIP, primitiveCount + 2};
            return true;
        case D3DPT_TRIANGLEFAN:
            *shape = {GL_TRIANGLE_FAN, primitiveCount + 2};
            return true;
        default:
            return false;
    }
}

HRESULT GlDevice::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
    PrimitiveShape shape{};
    if (!shapeOf(type, primitiveCount, &shape) || primitiveCount > 0x00FFFFFF) {
        return D3DERR_INVALIDCALL;
    }
    if (primitiveCount == 0) {
        return inScene() ? D3D_OK : D3DERR_INVALIDCALL;
    }
    VertexLayout layout;
    const HRESULT ready = prepareDraw(startVertex + shape.indexCount, &layout);
    if (FAILED(ready)) {
        return ready;
    }
    glDrawArrays(shape.mode, static_cast<GLint>(startVertex),
                 static_cast<GLsizei>(shape.indexCount));
    return D3D_OK;
}

HRESULT GlDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT /*minIndex*/,
                                       UINT /*vertexCount*/, UINT startIndex, UINT primitiveCount) {
    PrimitiveShape shape{};
    auto* indices = static_cast<GlIndexBuffer*>(FixedFunctionDevice::indices());
    if (!shapeOf(type, primitiveCount, &shape) || primitiveCount > 0x00FFFFFF ||
        indices == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (primitiveCount == 0) {
        return inScene() ? D3D_OK : D3DERR_INVALIDCALL;
    }
    const std::size_t available = indices->memory().size() / indices->indexSize();
    if (std::size_t{startIndex} + shape.indexCount > available) {
        return D3DERR_INVALIDCALL;
    }
    // Every index must name a vertex the stream holds; the largest decides.
    UINT largest = 0;
    for (UINT i = 0; i < shape.indexCount; ++i) {
        largest = std::max(largest, indices->indexAt(startIndex + i));
    }
    VertexLayout layout;
    const HRESULT ready = prepareDraw(baseVertex() + largest + 1, &layout);
    if (FAILED(ready)) {
        return ready;
    }
    indices->bind();
    const std::size_t offset = std::size_t{startIndex} * indices->indexSize();
    glDrawElementsBaseVertex(
        shape.mode, static_cast<GLsizei>(shape.indexCount),
        indices->format() == D3DFMT_INDEX32 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
        reinterpret_cast<const void*>(offset), static_cast<GLint>(baseVertex()));
    return D3D_OK;
}

// -- Probing the driver once -------------------------------------------------------------------

struct OpenGlFacts {
    bool available = false;
    UINT maxTextureSide = 0;
    std::string renderer;
};

// Probed the first time it is asked for while SDL's video runs; unknown (unavailable) before.
const OpenGlFacts& openGlFacts() {
    static const OpenGlFacts unknown;
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        return unknown;
    }
    static const OpenGlFacts facts = [] {
        OpenGlFacts found;
        // Keeps the driver loaded for the whole run, so devices that come and go (device
        // changes, tests) do not load and unload it each time.
        if (SDL_GL_LoadLibrary(nullptr) != 0) {
            return found;
        }
        SDL_GLContext previous = SDL_GL_GetCurrentContext();
        SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
        {
            const std::shared_ptr<GlContext> probe = makeContext(nullptr);
            if (probe) {
                GLint side = 0;
                glGetIntegerv(GL_MAX_TEXTURE_SIZE, &side);
                found.available = side > 0;
                found.maxTextureSide = static_cast<UINT>(std::min(side, 8192));
                const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
                found.renderer = renderer != nullptr ? renderer : "";
            }
        }
        if (previous != nullptr) {
            SDL_GL_MakeCurrent(previousWindow, previous);
        }
        return found;
    }();
    return facts;
}

class OpenGlBackend final : public DeviceBackend {
public:
    D3DDEVTYPE deviceType() const override { return D3DDEVTYPE_HAL; }
    bool available() override { return openGlAvailable(); }
    void getCaps(UINT adapter, D3DCAPS8* caps) override {
        *caps = fixedFunctionCaps(D3DDEVTYPE_HAL, adapter, openGlMaxTextureSide());
    }
    bool supportsDisplayFormat(D3DFORMAT displayFormat, D3DFORMAT backBufferFormat,
                               bool windowed) override {
        if (!isPresentableFormat(displayFormat) && displayFormat != D3DFMT_UNKNOWN) {
            return false;
        }
        return backBufferFormat == D3DFMT_UNKNOWN || isPresentableFormat(backBufferFormat) ||
               (windowed && backBufferFormat == displayFormat);
    }
    bool supportsResourceFormat(DWORD usage, D3DRESOURCETYPE resourceType,
                                D3DFORMAT checkFormat) override {
        if (usage & D3DUSAGE_DEPTHSTENCIL) {
            return checkFormat == D3DFMT_D16 || checkFormat == D3DFMT_D24X8 ||
                   checkFormat == D3DFMT_D24S8 || checkFormat == D3DFMT_D32;
        }
        if (resourceType == D3DRTYPE_TEXTURE || resourceType == D3DRTYPE_SURFACE) {
            return isStoredColourFormat(checkFormat);
        }
        return resourceType == D3DRTYPE_VERTEXBUFFER || resourceType == D3DRTYPE_INDEXBUFFER;
    }
    HRESULT createDevice(UINT adapter, WindowHandle window, DWORD /*behaviorFlags*/,
                         D3DPRESENT_PARAMETERS* params, IDirect3DDevice8** device) override {
        return createOpenGlDevice(adapter, window, params, device);
    }
};

}  // namespace

bool openGlAvailable() {
    return openGlFacts().available;
}
UINT openGlMaxTextureSide() {
    return openGlFacts().maxTextureSide;
}
const char* openGlRenderer() {
    return openGlFacts().renderer.c_str();
}

HRESULT createOpenGlDevice(UINT adapter, WindowHandle window, D3DPRESENT_PARAMETERS* params,
                           IDirect3DDevice8** device) {
    if (params == nullptr || device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (!openGlAvailable()) {
        return D3DERR_NOTAVAILABLE;
    }
    if (window == nullptr && !params->Windowed) {
        return D3DERR_INVALIDCALL;
    }
    std::shared_ptr<GlContext> context = makeContext(sdlWindowOf(window));
    if (!context) {
        return D3DERR_NOTAVAILABLE;
    }
    auto* created = new GlDevice(std::move(context), adapter);
    if (!created->initialise(params)) {
        created->Release();
        return D3DERR_NOTAVAILABLE;
    }
    *device = created;
    return D3D_OK;
}

std::unique_ptr<DeviceBackend> makeOpenGlBackend() {
    return std::make_unique<OpenGlBackend>();
}
