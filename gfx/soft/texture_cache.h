// Texels of the device's textures as the sampler reads them (0xAARRGGBB per texel), converted
// from each texture's own format when it is first drawn after a change.
#pragma once

#include <cstdint>
#include <vector>

#include "gfx/resource.h"
#include "gfx/soft/sampler.h"

namespace kolvane::soft {

class TextureCache {
public:
    TextureCache() = default;
    TextureCache(const TextureCache&) = delete;
    TextureCache& operator=(const TextureCache&) = delete;
    ~TextureCache() { clear(); }

    // The mip chain of `texture`, converted again if it was unlocked since. The cache holds
    // the textures it keeps (so an address is never reused while cached) and keeps at most
    // kCapacity of them, dropping the least recently drawn.
    const MipChain* chainFor(MemoryTexture* texture);
    // Drops every texture.
    void clear();

    static constexpr size_t kCapacity = 64;

private:
    struct Entry {
        MemoryTexture* texture = nullptr;
        std::uint64_t version = 0;
        std::uint64_t lastUse = 0;
        std::vector<std::vector<std::uint32_t>> levels;
        MipChain chain;
    };

    void fill(Entry& entry);

    std::vector<Entry> entries_;
    std::uint64_t clock_ = 0;
};

}  // namespace kolvane::soft
