// The graphics device interface: the Direct3D object that lists adapters and creates devices,
// the device with the fixed-function pipeline the game draws with, and the resources it
// makes. Two implementations stand behind it: HAL (OpenGL, gfx/gl/) and REF (the software
// rasteriser, gfx/soft/). Every operation that can fail returns an HRESULT (negative is
// failure); out-parameters are written only on success unless a comment says otherwise.
//
// Reference counts: every object starts with one reference for its creator; AddRef adds one,
// Release removes one and returns what remains (0: the object is gone for the caller). A
// device keeps its own internal hold on what is bound to it (textures, buffers), which the
// counts returned to the caller do not include.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "gfx/image.h"
#include "gfx/types.h"

class IDirect3DDevice8;

// A reference-counted object of the device layer.
class IGfxUnknown {
public:
    // Adds a reference; returns the new count.
    virtual ULONG AddRef() = 0;
    // Drops a reference; returns what remains. At 0 the caller must not touch it again.
    virtual ULONG Release() = 0;

protected:
    virtual ~IGfxUnknown() = default;
};

// ---------------------------------------------------------------------------------------------
// Resources.

// A two-dimensional array of pixels: the back buffer, or an image surface (cursor images).
class IDirect3DSurface8 : public IGfxUnknown {
public:
    // Format, pool, usage and size of the surface.
    virtual HRESULT GetDesc(D3DSURFACE_DESC* desc) = 0;
    // Gives access to the texels of rect (whole surface when null) until UnlockRect.
    // D3DERR_INVALIDCALL when already locked or the rectangle lies outside the surface.
    virtual HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) = 0;
    // Ends the lock; D3DERR_INVALIDCALL when not locked.
    virtual HRESULT UnlockRect() = 0;
};

// A texture with a chain of mip levels, level 0 the largest.
class IDirect3DTexture8 : public IGfxUnknown {
public:
    virtual DWORD GetLevelCount() = 0;
    // Format, pool, usage and size of one level; D3DERR_INVALIDCALL for a level past the chain.
    virtual HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) = 0;
    // Gives access to the texels of one level (rect null: the whole level) in the texture's
    // format until UnlockRect of that level; what is written there is drawn after the unlock.
    virtual HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) = 0;
    // Ends the lock of a level; D3DERR_INVALIDCALL when it is not locked.
    virtual HRESULT UnlockRect(UINT level) = 0;
};

// Vertices in a flexible vertex format.
class IDirect3DVertexBuffer8 : public IGfxUnknown {
public:
    // Gives access to size bytes from offset (size 0: to the end) until Unlock. D3DLOCK_DISCARD
    // promises the old contents are not needed: the caller gets fresh memory it must fill.
    virtual HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags) = 0;
    // Ends the lock; the written vertices are what the next draw reads.
    virtual HRESULT Unlock() = 0;
    virtual HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) = 0;
};

// 16- or 32-bit vertex indices.
class IDirect3DIndexBuffer8 : public IGfxUnknown {
public:
    // As IDirect3DVertexBuffer8::Lock.
    virtual HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags) = 0;
    virtual HRESULT Unlock() = 0;
    virtual HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) = 0;
};

// ---------------------------------------------------------------------------------------------
// The device.

class IDirect3DDevice8 : public IGfxUnknown {
public:
    // -- Life cycle --------------------------------------------------------------------------

    // D3D_OK while the device can draw; D3DERR_DEVICELOST while it cannot (a full-screen window
    // is minimised); D3DERR_DEVICENOTRESET once it could draw again but needs Reset first.
    virtual HRESULT TestCooperativeLevel() = 0;
    // Capabilities of this device.
    virtual HRESULT GetDeviceCaps(D3DCAPS8* caps) = 0;
    // Rebuilds the back buffer (and depth buffer) with new parameters: size, window or full
    // screen, format. D3DERR_INVALIDCALL, changing nothing, while any default-pool resource is
    // still referenced by the caller. Afterwards every state is at its default, nothing is
    // bound, the viewport covers the new back buffer; managed resources keep their contents.
    // On success params receives the sizes actually used.
    virtual HRESULT Reset(D3DPRESENT_PARAMETERS* params) = 0;
    // Shows the whole back buffer in the window (all arguments null), waiting for the vertical
    // blank unless the presentation interval is IMMEDIATE or waiting is switched off (see
    // setPresentWait). D3DERR_DEVICELOST while lost.
    virtual HRESULT Present(const RECT* sourceRect, const RECT* destRect,
                            WindowHandle destWindowOverride, const void* dirtyRegion) = 0;
    // The back buffer (index 0, D3DBACKBUFFER_TYPE_MONO); the caller releases it.
    virtual HRESULT GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type,
                                  IDirect3DSurface8** surface) = 0;

    // -- Cursor -------------------------------------------------------------------------------

    // A lockable surface in system memory (format A8R8G8B8 for cursor images).
    virtual HRESULT CreateImageSurface(UINT width, UINT height, D3DFORMAT format,
                                       IDirect3DSurface8** surface) = 0;
    // Makes an A8R8G8B8 image the mouse cursor over the device's window, with its hot spot
    // at (hotX, hotY); alpha 0 is transparent.
    virtual HRESULT SetCursorProperties(UINT hotX, UINT hotY, IDirect3DSurface8* image) = 0;
    // Tells the device where the cursor is, in client pixels (the window system moves it).
    virtual void SetCursorPosition(INT x, INT y, DWORD flags) = 0;
    // Shows or hides the device cursor; returns whether it was shown before.
    virtual BOOL ShowCursor(BOOL show) = 0;

    // -- Scene --------------------------------------------------------------------------------

    // Fills the viewport (or the given rectangles, clipped to it) of the chosen buffers:
    // D3DCLEAR_TARGET with colour (ARGB), D3DCLEAR_ZBUFFER with depth z (0..1).
    virtual HRESULT Clear(DWORD rectCount, const D3DRECT* rects, DWORD flags, D3DCOLOR colour,
                          float z, DWORD stencil) = 0;
    // Brackets the drawing of a frame; D3DERR_INVALIDCALL when nested or unmatched.
    virtual HRESULT BeginScene() = 0;
    virtual HRESULT EndScene() = 0;
    // World, view and projection matrices (row-vector convention); D3DTS_WORLD is the world.
    virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) = 0;
    virtual HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) = 0;
    // The rectangle of the back buffer drawn into; after creation and Reset the whole buffer.
    virtual HRESULT SetViewport(const D3DVIEWPORT8* viewport) = 0;
    virtual HRESULT GetViewport(D3DVIEWPORT8* viewport) = 0;
    // The material lit vertices take their colours from (when colour-vertex is off).
    virtual HRESULT SetMaterial(const D3DMATERIAL8* material) = 0;
    virtual HRESULT GetMaterial(D3DMATERIAL8* material) = 0;
    // Stores light index (any index; lights 0..7 can be enabled at once).
    virtual HRESULT SetLight(DWORD index, const D3DLIGHT8* light) = 0;
    virtual HRESULT GetLight(DWORD index, D3DLIGHT8* light) = 0;
    // Switches a light on or off; a light never set is a default white directional light.
    virtual HRESULT LightEnable(DWORD index, BOOL enable) = 0;
    virtual HRESULT GetLightEnable(DWORD index, BOOL* enable) = 0;
    // One render state (D3DRS_*); unknown numbers are stored and ignored.
    virtual HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
    virtual HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) = 0;
    // One state of a texture stage 0..7 (D3DTSS_*).
    virtual HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                         DWORD value) = 0;
    virtual HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                         DWORD* value) = 0;
    // Binds a texture of this device to a stage (null unbinds); the device holds it while bound.
    virtual HRESULT SetTexture(DWORD stage, IDirect3DTexture8* texture) = 0;
    // The bound texture with a reference added for the caller, or null.
    virtual HRESULT GetTexture(DWORD stage, IDirect3DTexture8** texture) = 0;

    // -- Resources and drawing ----------------------------------------------------------------

    // A texture of levels mip levels (0: the full chain down to 1 x 1).
    virtual HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                  D3DFORMAT format, D3DPOOL pool, IDirect3DTexture8** texture) = 0;
    // A vertex buffer of length bytes; fvf is informative.
    virtual HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                       IDirect3DVertexBuffer8** buffer) = 0;
    // An index buffer of length bytes in D3DFMT_INDEX16 or D3DFMT_INDEX32.
    virtual HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                      IDirect3DIndexBuffer8** buffer) = 0;
    // The vertices drawn next (stream 0 only), stride bytes apart.
    virtual HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) = 0;
    // The indices drawn next; baseVertex is added to every index.
    virtual HRESULT SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertex) = 0;
    // The fixed-function vertex format (D3DFVF_* bits) of the stream.
    virtual HRESULT SetVertexShader(DWORD fvf) = 0;
    virtual HRESULT GetVertexShader(DWORD* fvf) = 0;
    // Draws primitiveCount triangles (list or strip) from the stream, from startVertex on.
    virtual HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) = 0;
    // Draws primitiveCount triangles whose indices start at startIndex; the indices used lie
    // in minIndex .. minIndex + vertexCount - 1.
    virtual HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount,
                                         UINT startIndex, UINT primitiveCount) = 0;

    // -- State blocks -------------------------------------------------------------------------

    // Starts recording: later SetRenderState, SetTextureStageState and SetTexture calls are
    // recorded into the block instead of taking effect, until EndStateBlock. Other calls take
    // effect as usual. D3DERR_INVALIDCALL while already recording.
    virtual HRESULT BeginStateBlock() = 0;
    // Stops recording; token receives a non-zero handle for the recorded states.
    virtual HRESULT EndStateBlock(DWORD* token) = 0;
    // Replaces the block's values by the device's current values of the same states.
    virtual HRESULT CaptureStateBlock(DWORD token) = 0;
    // Sets the block's states to its values.
    virtual HRESULT ApplyStateBlock(DWORD token) = 0;
    // Frees the block; D3DERR_INVALIDCALL for an unknown token.
    virtual HRESULT DeleteStateBlock(DWORD token) = 0;

    // -- Extensions for tests, screenshots and benchmarks --------------------------------------

    // Copies the frame shown by the last Present into image (top-down ARGB). D3DERR_INVALIDCALL
    // before the first Present.
    virtual HRESULT readPresentedFrame(FrameImage* image) = 0;
    // The device type this device is (D3DDEVTYPE_HAL or D3DDEVTYPE_REF).
    virtual D3DDEVTYPE deviceType() const = 0;
};

// ---------------------------------------------------------------------------------------------
// The Direct3D object: adapters, their modes, what each device type supports, device creation.

class IDirect3D8 : public IGfxUnknown {
public:
    // Number of adapters (display screens); at least 1 while the video system runs.
    virtual UINT GetAdapterCount() = 0;
    // Driver and description texts of an adapter (flags 0).
    virtual HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags,
                                         D3DADAPTER_IDENTIFIER8* identifier) = 0;
    // Number of full-screen display modes of an adapter.
    virtual UINT GetAdapterModeCount(UINT adapter) = 0;
    // Full-screen mode number mode (0 .. GetAdapterModeCount - 1).
    virtual HRESULT EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) = 0;
    // The adapter's current desktop mode.
    virtual HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode) = 0;
    // D3D_OK if a device of this type can show displayFormat with backBufferFormat, in a window
    // (windowed TRUE) or full screen; D3DERR_NOTAVAILABLE otherwise.
    virtual HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                                    D3DFORMAT backBufferFormat, BOOL windowed) = 0;
    // D3D_OK if a resource of resourceType in checkFormat with this usage (e.g.
    // D3DUSAGE_DEPTHSTENCIL) can be made while the display shows adapterFormat.
    virtual HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                      DWORD usage, D3DRESOURCETYPE resourceType,
                                      D3DFORMAT checkFormat) = 0;
    // D3D_OK if depthStencilFormat can be used with a render target of renderTargetFormat.
    virtual HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                           D3DFORMAT renderTargetFormat,
                                           D3DFORMAT depthStencilFormat) = 0;
    // Capabilities of the device type on an adapter; D3DERR_NOTAVAILABLE when it has none.
    virtual HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) = 0;
    // Creates a device of type for the adapter. params->hDeviceWindow (or focusWindow when
    // that is empty) is the window to present into; with neither, the device draws offscreen
    // (no window; Present only keeps the frame for readPresentedFrame). Full screen changes
    // the display mode to the back buffer's size and format. On success params receives the
    // sizes actually used.
    virtual HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, WindowHandle focusWindow,
                                 DWORD behaviorFlags, D3DPRESENT_PARAMETERS* params,
                                 IDirect3DDevice8** device) = 0;
};

// Creates the Direct3D object (sdkVersion D3D_SDK_VERSION), with the HAL device type and every
// device type registered with registerDeviceBackend. Null when the video system cannot start.
// Needs SDL's video subsystem; starts it if it is not running.
IDirect3D8* Direct3DCreate8(UINT sdkVersion);

// ---------------------------------------------------------------------------------------------
// Device types behind the Direct3D object.

// What a device type tells the Direct3D object, and how it makes its devices.
class DeviceBackend {
public:
    virtual ~DeviceBackend() = default;
    // The device type this backend provides.
    virtual D3DDEVTYPE deviceType() const = 0;
    // Whether the type can run on this machine at all (for example an OpenGL context exists).
    virtual bool available() = 0;
    // Capabilities of the type's devices on the adapter.
    virtual void getCaps(UINT adapter, D3DCAPS8* caps) = 0;
    // Whether the type can present backBufferFormat on a display showing displayFormat;
    // D3DFMT_UNKNOWN as backBufferFormat asks about the display format alone.
    virtual bool supportsDisplayFormat(D3DFORMAT displayFormat, D3DFORMAT backBufferFormat,
                                       bool windowed) = 0;
    // Whether the type can make a resource of checkFormat with usage.
    virtual bool supportsResourceFormat(DWORD usage, D3DRESOURCETYPE resourceType,
                                        D3DFORMAT checkFormat) = 0;
    // Creates a device (see IDirect3D8::CreateDevice); window is null for an offscreen device.
    // The display mode has already been set for a full-screen device.
    virtual HRESULT createDevice(UINT adapter, WindowHandle window, DWORD behaviorFlags,
                                 D3DPRESENT_PARAMETERS* params, IDirect3DDevice8** device) = 0;
};

// Makes a backend of a device type.
using DeviceBackendMaker = std::unique_ptr<DeviceBackend> (*)();

// Adds a device type to every Direct3D object created from now on (REF registers this way);
// a second registration of the same type replaces the first.
void registerDeviceBackend(D3DDEVTYPE type, DeviceBackendMaker maker);

// Creates the Direct3D object with exactly the given backends, in the order given (for
// tests: a REF-only object, or fake adapters). The object owns them.
IDirect3D8* createDirect3DWithBackends(std::vector<std::unique_ptr<DeviceBackend>> backends);

// ---------------------------------------------------------------------------------------------
// Presentation wait.

// Switches the vertical-blank wait of Present on or off for every device of the process
// (default on). Tests and benchmarks switch it off; the game never does.
void setPresentWait(bool wait);
bool presentWait();
