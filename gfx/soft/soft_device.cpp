#include "gfx/soft/soft_device.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "gfx/fixed_function_device.h"
#include "gfx/pipeline_state.h"
#include "gfx/resource.h"
#include "gfx/soft/draw_pipeline.h"
#include "gfx/soft/draw_state.h"
#include "gfx/soft/presenter.h"
#include "gfx/soft/texture_cache.h"
#include "gfx/window.h"

namespace kolvane::soft {

namespace {

constexpr UINT kMaxTextureSide = 4096;
constexpr UINT kMaxBackBufferSide = 16384;

// The pixels the device draws into: 0xAARRGGBB colour and 0..1 depth, rows top to bottom.
struct FrameBuffers {
    UINT width = 0, height = 0;
    D3DFORMAT format = D3DFMT_X8R8G8B8;
    std::vector<std::uint32_t> colour;
    std::vector<float> depth;  // empty without a depth buffer
};

// The back buffer as a surface; it shares the device's buffers, so it reads what was drawn.
class BackBufferSurface : public TrackedResource<IDirect3DSurface8> {
public:
    BackBufferSurface(std::shared_ptr<ResourceTracker> tracker,
                      std::shared_ptr<FrameBuffers> buffers)
        : TrackedResource(std::move(tracker), D3DPOOL_DEFAULT), buffers_(std::move(buffers)) {}

    HRESULT GetDesc(D3DSURFACE_DESC* desc) override {
        if (desc == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        *desc = {buffers_->format,
                 D3DRTYPE_SURFACE,
                 D3DUSAGE_RENDERTARGET,
                 D3DPOOL_DEFAULT,
                 buffers_->width * buffers_->height * 4,
                 D3DMULTISAMPLE_NONE,
                 buffers_->width,
                 buffers_->height};
        return D3D_OK;
    }

    HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD) override {
        const RECT whole{0, 0, static_cast<LONG>(buffers_->width),
                         static_cast<LONG>(buffers_->height)};
        const RECT r = rect != nullptr ? *rect : whole;
        if (locked == nullptr || locked_ || r.left < 0 || r.top < 0 || r.left >= r.right ||
            r.top >= r.bottom || r.right > whole.right || r.bottom > whole.bottom) {
            return D3DERR_INVALIDCALL;
        }
        locked_ = true;
        locked->Pitch = static_cast<INT>(buffers_->width * 4);
        locked->pBits = buffers_->colour.data() + static_cast<size_t>(r.top) * buffers_->width +
                        static_cast<size_t>(r.left);
        return D3D_OK;
    }

    HRESULT UnlockRect() override {
        if (!locked_) {
            return D3DERR_INVALIDCALL;
        }
        locked_ = false;
        return D3D_OK;
    }

private:
    std::shared_ptr<FrameBuffers> buffers_;
    bool locked_ = false;
};

void fillCaps(UINT adapter, D3DCAPS8* caps) {
    *caps = fixedFunctionCaps(D3DDEVTYPE_REF, adapter, kMaxTextureSide);
}

bool isOpaqueFormat(D3DFORMAT format) {
    return format != D3DFMT_A8R8G8B8 && format != D3DFMT_A1R5G5B5;
}

bool toPrimitiveKind(D3DPRIMITIVETYPE type, PrimitiveKind& kind) {
    switch (type) {
        case D3DPT_TRIANGLELIST:
            kind = PrimitiveKind::TriangleList;
            return true;
        case D3DPT_TRIANGLESTRIP:
            kind = PrimitiveKind::TriangleStrip;
            return true;
        case D3DPT_TRIANGLEFAN:
            kind = PrimitiveKind::TriangleFan;
            return true;
        default:
            return false;
    }
}

size_t cornersOf(PrimitiveKind kind, UINT primitiveCount) {
    return kind == PrimitiveKind::TriangleList ? size_t{primitiveCount} * 3
                                               : size_t{primitiveCount} + 2;
}

class SoftwareDevice final : public FixedFunctionDevice {
public:
    explicit SoftwareDevice(SDL_Window* window)
        : FixedFunctionDevice(0, 0),
          window_(window),
          presenter_(window),
          watch_(window),
          cursor_(window) {}

    // Puts the window into the mode params ask for and sizes the buffers from them (filling in
    // sizes taken from the window); every state goes back to its default.
    HRESULT configure(D3DPRESENT_PARAMETERS* params) {
        const HRESULT adopted = adoptPresentationParameters(
            window_, {&isPresentableFormat, &isDepthFormat, kMaxBackBufferSide}, params);
        if (FAILED(adopted)) {
            return adopted;
        }
        const D3DPRESENT_PARAMETERS& p = *params;
        auto buffers = std::make_shared<FrameBuffers>();
        buffers->width = p.BackBufferWidth;
        buffers->height = p.BackBufferHeight;
        buffers->format = p.BackBufferFormat;
        const size_t pixels = size_t{p.BackBufferWidth} * p.BackBufferHeight;
        buffers->colour.assign(pixels, 0xFF000000u);
        if (p.EnableAutoDepthStencil) {
            buffers->depth.assign(pixels, 1.0f);
        }
        buffers_ = std::move(buffers);
        params_ = p;
        resetState(p.BackBufferWidth, p.BackBufferHeight);
        cache_.clear();
        return D3D_OK;
    }

    // -- Life cycle -------------------------------------------------------------------------

    HRESULT TestCooperativeLevel() override {
        if (window_ != nullptr && !params_.Windowed && watch_.minimised()) {
            lost_ = true;
            return D3DERR_DEVICELOST;
        }
        return lost_ ? D3DERR_DEVICENOTRESET : D3D_OK;
    }

    HRESULT GetDeviceCaps(D3DCAPS8* caps) override {
        if (caps == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        fillCaps(0, caps);
        return D3D_OK;
    }

    HRESULT Reset(D3DPRESENT_PARAMETERS* params) override {
        if (params == nullptr || defaultPoolResourcesLive()) {
            return D3DERR_INVALIDCALL;
        }
        const HRESULT configured = configure(params);
        if (FAILED(configured)) {
            return configured;
        }
        presenter_.release();
        lost_ = false;
        return D3D_OK;
    }

    HRESULT Present(const RECT*, const RECT*, WindowHandle, const void*) override {
        if (lost_ || TestCooperativeLevel() != D3D_OK) {
            return D3DERR_DEVICELOST;
        }
        presented_.width = buffers_->width;
        presented_.height = buffers_->height;
        presented_.pixels.resize(buffers_->colour.size());
        const std::uint32_t opaque = isOpaqueFormat(params_.BackBufferFormat) ? 0xFF000000u : 0u;
        std::transform(buffers_->colour.begin(), buffers_->colour.end(), presented_.pixels.begin(),
                       [opaque](std::uint32_t p) { return p | opaque; });
        hasPresented_ = true;
        if (window_ != nullptr) {
            const bool wait = presentWait() && params_.FullScreen_PresentationInterval !=
                                                   D3DPRESENT_INTERVAL_IMMEDIATE;
            presenter_.present(presented_.pixels.data(), static_cast<int>(presented_.width),
                               static_cast<int>(presented_.height), wait);
        }
        return D3D_OK;
    }

    HRESULT GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type,
                          IDirect3DSurface8** surface) override {
        if (surface == nullptr || index != 0 || type != D3DBACKBUFFER_TYPE_MONO) {
            return D3DERR_INVALIDCALL;
        }
        *surface = new BackBufferSurface(tracker(), buffers_);
        return D3D_OK;
    }

    // -- Cursor -----------------------------------------------------------------------------

    HRESULT CreateImageSurface(UINT width, UINT height, D3DFORMAT format,
                               IDirect3DSurface8** surface) override {
        if (surface == nullptr || width == 0 || height == 0 || width > kMaxTextureSide ||
            height > kMaxTextureSide || !isStoredColourFormat(format)) {
            return D3DERR_INVALIDCALL;
        }
        *surface = new MemorySurface(tracker(), width, height, format, 0, D3DPOOL_SYSTEMMEM);
        return D3D_OK;
    }

    HRESULT SetCursorProperties(UINT hotX, UINT hotY, IDirect3DSurface8* image) override {
        return cursor_.setPicture(hotX, hotY, image);
    }

    void SetCursorPosition(INT, INT, DWORD) override {}

    BOOL ShowCursor(BOOL show) override { return cursor_.show(show); }

    // -- Scene ------------------------------------------------------------------------------

    HRESULT Clear(DWORD rectCount, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z,
                  DWORD) override {
        if ((rectCount > 0 && rects == nullptr) ||
            ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) != 0 && buffers_->depth.empty())) {
            return D3DERR_INVALIDCALL;
        }
        const D3DVIEWPORT8& vp = state().viewport;
        const D3DRECT viewport{static_cast<LONG>(vp.X), static_cast<LONG>(vp.Y),
                               static_cast<LONG>(vp.X + vp.Width),
                               static_cast<LONG>(vp.Y + vp.Height)};
        const DWORD count = rectCount == 0 ? 1 : rectCount;
        for (DWORD i = 0; i < count; ++i) {
            const D3DRECT r = rectCount == 0 ? viewport : rects[i];
            clearRect(r, viewport, flags, colour, std::clamp(z, 0.0f, 1.0f));
        }
        return D3D_OK;
    }

    // -- Resources and drawing --------------------------------------------------------------

    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, IDirect3DTexture8** texture) override {
        if (texture == nullptr ||
            !MemoryTexture::isValid(width, height, levels, format, kMaxTextureSide) ||
            pool > D3DPOOL_SYSTEMMEM) {
            return D3DERR_INVALIDCALL;
        }
        *texture = new MemoryTexture(tracker(), width, height, levels, usage, format, pool);
        return D3D_OK;
    }

    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer8** buffer) override {
        if (buffer == nullptr || length == 0 || pool > D3DPOOL_SYSTEMMEM) {
            return D3DERR_INVALIDCALL;
        }
        *buffer = new MemoryVertexBuffer(tracker(), length, usage, fvf, pool);
        return D3D_OK;
    }

    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DIndexBuffer8** buffer) override {
        if (buffer == nullptr || length == 0 || pool > D3DPOOL_SYSTEMMEM ||
            (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32)) {
            return D3DERR_INVALIDCALL;
        }
        *buffer = new MemoryIndexBuffer(tracker(), length, usage, format, pool);
        return D3D_OK;
    }

    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override {
        PrimitiveKind kind;
        VertexSource vertices;
        if (!inScene() || !toPrimitiveKind(type, kind)) {
            return D3DERR_INVALIDCALL;
        }
        if (primitiveCount == 0) {
            return D3D_OK;
        }
        if (!vertexSource(startVertex, vertices) ||
            vertices.count < cornersOf(kind, primitiveCount)) {
            return D3DERR_INVALIDCALL;
        }
        draw(vertices, nullptr, kind, primitiveCount);
        return D3D_OK;
    }

    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT, UINT, UINT startIndex,
                                 UINT primitiveCount) override {
        PrimitiveKind kind;
        VertexSource vertices;
        MemoryIndexBuffer* indexBuffer = indices();
        if (!inScene() || !toPrimitiveKind(type, kind)) {
            return D3DERR_INVALIDCALL;
        }
        if (primitiveCount == 0) {
            return D3D_OK;
        }
        if (indexBuffer == nullptr || !vertexSource(baseVertex(), vertices)) {
            return D3DERR_INVALIDCALL;
        }
        const size_t indexSize = indexBuffer->indexSize();
        const size_t available = indexBuffer->memory().size() / indexSize;
        if (startIndex > available || available - startIndex < cornersOf(kind, primitiveCount)) {
            return D3DERR_INVALIDCALL;
        }
        const size_t used = cornersOf(kind, primitiveCount);
        for (size_t i = 0; i < used; ++i) {
            if (indexBuffer->indexAt(static_cast<UINT>(startIndex + i)) >= vertices.count) {
                return D3DERR_INVALIDCALL;
            }
        }
        IndexSource indices{indexBuffer->memory().data() + startIndex * indexSize, used,
                            indexSize == 4};
        draw(vertices, &indices, kind, primitiveCount);
        return D3D_OK;
    }

    // -- Extensions -------------------------------------------------------------------------

    HRESULT readPresentedFrame(FrameImage* image) override {
        if (image == nullptr || !hasPresented_) {
            return D3DERR_INVALIDCALL;
        }
        *image = presented_;
        return D3D_OK;
    }

    D3DDEVTYPE deviceType() const override { return D3DDEVTYPE_REF; }

private:
    ~SoftwareDevice() override {
        unbindEverything();
        cache_.clear();
    }

    void clearRect(const D3DRECT& r, const D3DRECT& viewport, DWORD flags, D3DCOLOR colour,
                   float z) {
        const LONG left = std::max(r.x1, viewport.x1), right = std::min(r.x2, viewport.x2);
        const LONG top = std::max(r.y1, viewport.y1), bottom = std::min(r.y2, viewport.y2);
        FrameBuffers& b = *buffers_;
        for (LONG y = top; y < bottom; ++y) {
            const size_t row = static_cast<size_t>(y) * b.width;
            if ((flags & D3DCLEAR_TARGET) != 0) {
                std::fill(b.colour.begin() + static_cast<std::ptrdiff_t>(row + left),
                          b.colour.begin() + static_cast<std::ptrdiff_t>(row + right), colour);
            }
            if ((flags & D3DCLEAR_ZBUFFER) != 0 && !b.depth.empty()) {
                std::fill(b.depth.begin() + static_cast<std::ptrdiff_t>(row + left),
                          b.depth.begin() + static_cast<std::ptrdiff_t>(row + right), z);
            }
        }
    }

    // The stream's vertices from vertex `first` on; false without a usable stream and format.
    bool vertexSource(UINT first, VertexSource& out) {
        MemoryVertexBuffer* buffer = stream();
        const UINT stride = streamStride();
        out.layout = describeVertexFormat(state().fvf);
        if (buffer == nullptr || !out.layout.valid ||
            stride < static_cast<UINT>(out.layout.stride)) {
            return false;
        }
        const size_t size = buffer->memory().size();
        const size_t offset = size_t{first} * stride;
        out.bytes = buffer->memory().data() + std::min(offset, size);
        out.stride = stride;
        out.count = offset + static_cast<size_t>(out.layout.stride) <= size
                        ? (size - offset - static_cast<size_t>(out.layout.stride)) / stride + 1
                        : 0;
        return true;
    }

    void draw(const VertexSource& vertices, const IndexSource* indices, PrimitiveKind kind,
              UINT primitiveCount) {
        const bool textured = state().stageStates[0][D3DTSS_COLOROP] != D3DTOP_DISABLE;
        const MipChain* texture = textured ? cache_.chainFor(boundTexture(0)) : nullptr;
        const DrawSetup setup =
            drawSetupFrom(state(), vertices.layout, texture, !buffers_->depth.empty());
        RenderTarget target{static_cast<int>(buffers_->width), static_cast<int>(buffers_->height),
                            buffers_->colour.data(),
                            buffers_->depth.empty() ? nullptr : buffers_->depth.data()};
        pipeline_.draw(setup, vertices, indices, kind, primitiveCount, target);
    }

    SDL_Window* window_;
    WindowPresenter presenter_;
    MinimiseWatch watch_;
    D3DPRESENT_PARAMETERS params_{};
    std::shared_ptr<FrameBuffers> buffers_;
    TextureCache cache_;
    DrawPipeline pipeline_;
    FrameImage presented_;
    bool hasPresented_ = false;
    bool lost_ = false;
    DeviceCursor cursor_;
};

class SoftwareBackend final : public DeviceBackend {
public:
    D3DDEVTYPE deviceType() const override { return D3DDEVTYPE_REF; }
    bool available() override { return true; }
    void getCaps(UINT adapter, D3DCAPS8* caps) override { fillCaps(adapter, caps); }
    // D3DFMT_UNKNOWN as the back buffer asks about the display alone (the Direct3D object's
    // resource and depth checks do so).
    bool supportsDisplayFormat(D3DFORMAT displayFormat, D3DFORMAT backBufferFormat, bool) override {
        return isPresentableFormat(displayFormat) &&
               (backBufferFormat == D3DFMT_UNKNOWN || isPresentableFormat(backBufferFormat));
    }
    bool supportsResourceFormat(DWORD usage, D3DRESOURCETYPE, D3DFORMAT checkFormat) override {
        if ((usage & D3DUSAGE_DEPTHSTENCIL) != 0) {
            return isDepthFormat(checkFormat);
        }
        return isStoredColourFormat(checkFormat);
    }
    HRESULT createDevice(UINT, WindowHandle window, DWORD, D3DPRESENT_PARAMETERS* params,
                         IDirect3DDevice8** device) override {
        return createSoftwareDevice(window, params, device);
    }
};

}  // namespace

std::unique_ptr<DeviceBackend> makeSoftwareDeviceBackend() {
    return std::make_unique<SoftwareBackend>();
}

void registerSoftwareDevice() {
    registerDeviceBackend(D3DDEVTYPE_REF, makeSoftwareDeviceBackend);
}

HRESULT createSoftwareDevice(WindowHandle window, D3DPRESENT_PARAMETERS* params,
                             IDirect3DDevice8** device) {
    if (device == nullptr || params == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    auto* created = new SoftwareDevice(sdlWindowOf(window));
    const HRESULT configured = created->configure(params);
    if (FAILED(configured)) {
        created->Release();
        return configured;
    }
    *device = created;
    return D3D_OK;
}

}  // namespace kolvane::soft
