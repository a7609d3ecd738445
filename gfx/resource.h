// Building blocks shared by the device implementations: reference counting with a device-side
// hold, the count of live default-pool resources that Reset checks, and resources kept in
// system memory (buffers, textures, surfaces) that a device reads when it draws.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "gfx/device.h"

// Counts the resources of one device that Reset refuses to outlive (default pool).
class ResourceTracker {
public:
    void created(D3DPOOL pool) { defaultPoolCount_ += pool == D3DPOOL_DEFAULT ? 1 : 0; }
    void released(D3DPOOL pool) { defaultPoolCount_ -= pool == D3DPOOL_DEFAULT ? 1 : 0; }
    // Default-pool resources the caller still holds references to.
    UINT liveDefaultPool() const { return defaultPoolCount_; }

private:
    UINT defaultPoolCount_ = 0;
};

// A resource with the caller's reference count and a separate count of device holds (bindings,
// state blocks). It counts as live for Reset while the caller holds it, and is destroyed once
// neither the caller nor the device holds it.
template <class Interface>
class TrackedResource : public Interface {
public:
    TrackedResource(std::shared_ptr<ResourceTracker> tracker, D3DPOOL pool)
        : tracker_(std::move(tracker)), pool_(pool) {
        tracker_->created(pool_);
    }

    ULONG AddRef() override { return ++references_; }

    ULONG Release() override {
        if (references_ == 0) {
            return 0;
        }
        const ULONG left = --references_;
        if (left == 0) {
            tracker_->released(pool_);
            destroyIfUnused();
        }
        return left;
    }

    // The device starts or stops holding the resource.
    void hold() { ++holds_; }
    void unhold() {
        if (holds_ > 0) {
            --holds_;
        }
        destroyIfUnused();
    }

    D3DPOOL pool() const { return pool_; }
    // Whether the resource was made with tracker (by the device that owns it).
    bool trackedBy(const ResourceTracker& tracker) const { return tracker_.get() == &tracker; }

protected:
    ~TrackedResource() override = default;

private:
    void destroyIfUnused() {
        if (references_ == 0 && holds_ == 0) {
            delete this;
        }
    }

    std::shared_ptr<ResourceTracker> tracker_;
    D3DPOOL pool_;
    ULONG references_ = 1;
    ULONG holds_ = 0;
};

// Holds a resource for the device: the hold is dropped when replaced or destroyed.
template <class Resource>
class Held {
public:
    Held() = default;
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    ~Held() { reset(nullptr); }

    void reset(Resource* resource) {
        if (resource != nullptr) {
            resource->hold();
        }
        if (resource_ != nullptr) {
            resource_->unhold();
        }
        resource_ = resource;
    }
    Resource* get() const { return resource_; }

private:
    Resource* resource_ = nullptr;
};

// Bytes of system memory with a lock that hands out a window into them. Every unlock that may
// have written bumps the version, so a device can tell when to upload again.
class LockableMemory {
public:
    explicit LockableMemory(std::size_t size) : bytes_(size) {}

    HRESULT lock(UINT offset, UINT size, BYTE** data, DWORD flags);
    HRESULT unlock();
    bool locked() const { return locked_; }
    const BYTE* data() const { return bytes_.data(); }
    BYTE* data() { return bytes_.data(); }
    std::size_t size() const { return bytes_.size(); }
    std::uint64_t version() const { return version_; }

private:
    std::vector<BYTE> bytes_;
    bool locked_ = false;
    bool writing_ = false;
    std::uint64_t version_ = 1;
};

// A vertex buffer in system memory.
class MemoryVertexBuffer : public TrackedResource<IDirect3DVertexBuffer8> {
public:
    MemoryVertexBuffer(std::shared_ptr<ResourceTracker> tracker, UINT length, DWORD usage,
                       DWORD fvf, D3DPOOL pool);
    HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override;
    const LockableMemory& memory() const { return memory_; }

private:
    LockableMemory memory_;
    DWORD usage_;
    DWORD fvf_;
};

// An index buffer in system memory.
class MemoryIndexBuffer : public TrackedResource<IDirect3DIndexBuffer8> {
public:
    MemoryIndexBuffer(std::shared_ptr<ResourceTracker> tracker, UINT length, DWORD usage,
                      D3DFORMAT format, D3DPOOL pool);
    HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) override;
    const LockableMemory& memory() const { return memory_; }
    D3DFORMAT format() const { return format_; }
    UINT indexSize() const { return format_ == D3DFMT_INDEX32 ? 4 : 2; }
    // The index at position i (i below size() / indexSize()).
    UINT indexAt(UINT i) const;

private:
    LockableMemory memory_;
    DWORD usage_;
    D3DFORMAT format_;
};

// Whether a device stores textures and surfaces of this colour format.
bool isStoredColourFormat(D3DFORMAT format);

// The texel at (x, y) of a level stored in format, as ARGB (formats without alpha read 0xFF).
std::uint32_t readTexel(D3DFORMAT format, const BYTE* row, UINT x);
// Writes an ARGB colour as one texel of format.
void writeTexel(D3DFORMAT format, BYTE* row, UINT x, std::uint32_t argb);

// One pixel array: a texture level or a surface, packed rows of width * bytesPerTexel bytes.
struct PixelLevel {
    UINT width = 0;
    UINT height = 0;
    UINT pitch = 0;
    std::vector<BYTE> bytes;
    bool locked = false;

    // The whole level as ARGB, row 0 first.
    std::vector<std::uint32_t> toArgb(D3DFORMAT format) const;
};

// Notes that a large block of memory was freed (texels dropped, the shader compiler's tables let
// go), so that the next returnFreedMemory hands it back to the system.
void noteFreedMemory();

// Hands the memory freed since the last call back to the system (the allocator keeps freed
// memory for itself otherwise); does nothing when noteFreedMemory was not called. A device
// calls it once a frame, after the frame's uploads.
void returnFreedMemory();

// Number of mip levels from width x height down to 1 x 1.
UINT fullMipCount(UINT width, UINT height);

// A texture in system memory with its chain of levels.
class MemoryTexture : public TrackedResource<IDirect3DTexture8> {
public:
    // levels 0 means the full chain. Sizes and format must be valid (see isValid).
    MemoryTexture(std::shared_ptr<ResourceTracker> tracker, UINT width, UINT height, UINT levels,
                  DWORD usage, D3DFORMAT format, D3DPOOL pool);
    static bool isValid(UINT width, UINT height, UINT levels, D3DFORMAT format, UINT maxSide);

    DWORD GetLevelCount() override;
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;

    D3DFORMAT format() const { return format_; }
    const PixelLevel& level(UINT index) const { return levels_[index]; }
    UINT levelCount() const { return static_cast<UINT>(levels_.size()); }
    // Bumped by every unlock: the texels may have changed.
    std::uint64_t version() const { return version_; }

protected:
    // For a device that keeps the texels itself and cannot lose them: frees the system copy of
    // every level (nothing while a level is locked). The next lock first asks restoreTexels for
    // them. Levels keep their sizes and pitches meanwhile.
    void dropTexels();
    bool texelsDropped() const { return texelsDropped_; }
    // Writes the device's copy of every level back into the levels' bytes (sized again).
    virtual void restoreTexels() {}
    PixelLevel& restoredLevel(UINT index) { return levels_[index]; }
    // Sizes the levels again and has restoreTexels fill them, where the texels were dropped.
    void takeBackTexels();

private:
    std::vector<PixelLevel> levels_;
    DWORD usage_;
    D3DFORMAT format_;
    std::uint64_t version_ = 1;
    bool texelsDropped_ = false;
};

// A surface in system memory: cursor images, and the read-back copy of a back buffer.
class MemorySurface : public TrackedResource<IDirect3DSurface8> {
public:
    MemorySurface(std::shared_ptr<ResourceTracker> tracker, UINT width, UINT height,
                  D3DFORMAT format, DWORD usage, D3DPOOL pool);
    HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect() override;

    D3DFORMAT format() const { return format_; }
    PixelLevel& pixels() { return pixels_; }
    const PixelLevel& pixels() const { return pixels_; }

private:
    PixelLevel pixels_;
    DWORD usage_;
    D3DFORMAT format_;
};

// Locks rect (null: all) of a pixel level for the caller; D3DERR_INVALIDCALL when already
// locked or the rectangle is empty or outside the level.
HRESULT lockPixelLevel(PixelLevel& level, D3DFORMAT format, D3DLOCKED_RECT* locked,
                       const RECT* rect);
