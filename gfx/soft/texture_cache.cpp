#include "gfx/soft/texture_cache.h"

#include <algorithm>

namespace kolvane::soft {

void TextureCache::fill(Entry& entry) {
    MemoryTexture* texture = entry.texture;
    const UINT count = std::min<UINT>(texture->levelCount(), kMaxMipLevels);
    entry.levels.resize(count);
    entry.chain = MipChain{};
    for (UINT i = 0; i < count; ++i) {
        const PixelLevel& level = texture->level(i);
        entry.levels[i] = level.toArgb(texture->format());
        entry.chain.levels[i] = {static_cast<int>(level.width), static_cast<int>(level.height),
                                 entry.levels[i].data()};
    }
    entry.chain.levelCount = static_cast<int>(count);
    entry.version = texture->version();
}

const MipChain* TextureCache::chainFor(MemoryTexture* texture) {
    if (texture == nullptr) {
        return nullptr;
    }
    ++clock_;
    for (Entry& entry : entries_) {
        if (entry.texture == texture) {
            if (entry.version != texture->version()) {
                fill(entry);
            }
            entry.lastUse = clock_;
            return &entry.chain;
        }
    }
    if (entries_.size() >= kCapacity) {
        auto oldest =
            std::min_element(entries_.begin(), entries_.end(),
                             [](const Entry& a, const Entry& b) { return a.lastUse < b.lastUse; });
        MemoryTexture* dropped = oldest->texture;
        entries_.erase(oldest);
        dropped->unhold();
    }
    texture->hold();
    entries_.emplace_back();
    Entry& entry = entries_.back();
    entry.texture = texture;
    entry.lastUse = clock_;
    fill(entry);
    return &entry.chain;
}

void TextureCache::clear() {
    std::vector<Entry> entries;
    entries.swap(entries_);
    for (Entry& entry : entries) {
        entry.texture->unhold();
    }
}

}  // namespace kolvane::soft
