#include "gfx/soft/textured_span.h"

#include <algorithm>

#include "gfx/soft/pixel_stage.h"
#include "gfx/soft/span_batch.h"

namespace kolvane::soft {

#if defined(__SSE2__)

void planTexturedSpans(const PixelState& state, ChannelMode colour, ChannelMode alpha,
                       TexturedSpanPlan& plan) {
    plan.usable = false;
    const MipChain* texture = state.texture;
    const bool bilinear = state.sampler.minFilter == TextureFilter::Linear &&
                          state.sampler.magFilter == TextureFilter::Linear;
    const bool combinable = colour != ChannelMode::General && alpha != ChannelMode::General;
    const bool readsTexture = colour != ChannelMode::Diffuse || alpha != ChannelMode::Diffuse;
    const bool plainWrite = !state.alphaTest && !state.alphaBlend;
    const bool depthSupported = !state.depthTest || state.depthFunction == compare::kLessEqual;
    if (texture == nullptr || !bilinear || !combinable || !readsTexture || !plainWrite ||
        !depthSupported || !fast::prepareChain(*texture, plan.chain)) {
        return;
    }
    plan.mipFilter = plan.chain.lastLevel == 0 ? TextureFilter::None : state.sampler.mipFilter;
    plan.colour = colour;
    plan.alpha = alpha;
    plan.depthTest = state.depthTest;
    plan.depthWrite = state.depthWrite;
    plan.specularAdd = state.specularAdd;
    plan.texelsU = static_cast<float>(texture->levels[0].width);
    plan.texelsV = static_cast<float>(texture->levels[0].height);
    plan.usable = true;
}

namespace {

// Stage 0 over one triangle: the sampled texel times `factors`, channel by channel, with
// `constant` added in the channels taken from the diffuse colour alone (their factors are 0).
struct StageColour {
    __m128i factors;
    uint32_t constant;
    bool modulates;  // false: the factors are all 255 and the texel passes unchanged
};

StageColour stageColour(ChannelMode colour, ChannelMode alpha, uint32_t diffuse) {
    constexpr uint32_t kColourBits = 0x00FFFFFFu, kAlphaBits = 0xFF000000u;
    uint32_t factors = 0, constant = 0;
    auto take = [&](ChannelMode mode, uint32_t bits) {
        switch (mode) {
            case ChannelMode::Texture:
                factors |= bits;
                break;
            case ChannelMode::Modulate:
                factors |= diffuse & bits;
                break;
            default:  // Diffuse (General never reaches the fast path)
                constant |= diffuse & bits;
                break;
        }
    };
    take(colour, kColourBits);
    take(alpha, kAlphaBits);
    return {fast::unpack(factors), constant, factors != 0xFFFFFFFFu};
}

static_assert(fast::kGroup == batch::kPixels, "a batch's footprints are worked out together");

// The texture colours of a batch of pixels. Where every pixel reads the same level or levels
// and has direct coordinates (nearly everywhere: the level changes rarely along a span), the
// footprints of all of them are worked out together; otherwise pixel by pixel.
template <TextureFilter kMipFilter>
class BatchSampler {
public:
    BatchSampler(const fast::Chain& chain, const float u[batch::kPixels],
                 const float v[batch::kPixels], const float lod[batch::kPixels], int count)
        : chain_(chain), u_(u), v_(v) {
        shared_ = true;
        for (int k = 0; k < count; ++k) {
            choice_[k] = fast::chooseLevels<kMipFilter>(chain, lod[k]);
            shared_ = shared_ && fast::sameLevels(choice_[k], choice_[0]);
        }
        shared_ = shared_ && fast::directCoordinates(u, v, count);
        if (shared_) {
            fast::footprints(chain.levels[choice_[0].level], u, v, count, fine_);
            if (choice_[0].blends) {
                fast::footprints(chain.levels[choice_[0].level + 1], u, v, count, coarse_);
            }
        }
    }

    // The colour of pixel k of the batch.
    [[gnu::always_inline]] fast::Lanes colour(int k) const {
        const fast::LevelChoice& choice = choice_[k];
        if (!shared_) {
            return fast::sampleLevels(chain_, choice, u_[k], v_[k]);
        }
        const fast::Lanes fine = fast::mixFootprint(chain_.levels[choice.level], fine_, k);
        if (!choice.blends) {
            return fine;
        }
        const fast::Lanes coarse = fast::mixFootprint(chain_.levels[choice.level + 1], coarse_, k);
        return fast::mixLevels(fine, coarse, choice.weight);
    }

private:
    const fast::Chain& chain_;
    const float* u_;
    const float* v_;
    fast::LevelChoice choice_[batch::kPixels];
    bool shared_;
    fast::Footprints fine_, coarse_;
};

template <TextureFilter kMipFilter, bool kDepthTest>
void shadePixels(const TexturedSpanPlan& plan, const StageColour& stage, const TriangleGradients& g,
                 int y, int xBegin, int xEnd, const SpanRow& row) {
    const bool depthWrite = kDepthTest && plan.depthWrite;
    float at[kAttributeCount];
    batch::spanStart(g, y, xBegin, at);
    for (int batchStart = xBegin; batchStart < xEnd; batchStart += batch::kPixels) {
        float w[batch::kPixels], u[batch::kPixels], v[batch::kPixels];
        float lod[batch::kPixels] = {};  // 0: level 0, for the mip filter None
        batch::perspective(g, at, w, u, v);
        if (kMipFilter != TextureFilter::None) {
            batch::levelsOfDetail(g, w, u, v, plan.texelsU, plan.texelsV, lod);
        }
        const int count = std::min(batch::kPixels, xEnd - batchStart);
        const BatchSampler<kMipFilter> sampler(plan.chain, u, v, lod, count);
        for (int k = 0; k < count; ++k) {
            const int x = batchStart + k;
            const float depth =
                batch::clampDepth(at[kAttrZ] + g.dx[kAttrZ] * static_cast<float>(k));
            if (kDepthTest && !(depth <= row.depth[x])) {
                continue;
            }
            fast::Lanes colour = sampler.colour(k);
            if (stage.modulates) {
                colour = fast::modulate(colour, stage.factors);
            }
            row.colour[x] = fast::pack(colour) | stage.constant;
            if (depthWrite) {
                row.depth[x] = depth;
            }
        }
        batch::nextBatch(g, at);
    }
}

template <TextureFilter kMipFilter>
void shadeWithMipFilter(const TexturedSpanPlan& plan, const StageColour& stage,
                        const TriangleGradients& g, int y, int xBegin, int xEnd,
                        const SpanRow& row) {
    if (plan.depthTest && row.depth != nullptr) {
        shadePixels<kMipFilter, true>(plan, stage, g, y, xBegin, xEnd, row);
    } else {
        shadePixels<kMipFilter, false>(plan, stage, g, y, xBegin, xEnd, row);
    }
}

}  // namespace

bool shadeTexturedSpan(const TexturedSpanPlan& plan, const TriangleGradients& g, int y, int xBegin,
                       int xEnd, const SpanRow& row) {
    if (!plan.usable || !g.constantDiffuse || (plan.specularAdd && g.hasSpecular)) {
        return false;
    }
    const StageColour stage = stageColour(plan.colour, plan.alpha, g.diffuse);
    switch (plan.mipFilter) {
        case TextureFilter::None:
            shadeWithMipFilter<TextureFilter::None>(plan, stage, g, y, xBegin, xEnd, row);
            break;
        case TextureFilter::Point:
            shadeWithMipFilter<TextureFilter::Point>(plan, stage, g, y, xBegin, xEnd, row);
            break;
        case TextureFilter::Linear:
            shadeWithMipFilter<TextureFilter::Linear>(plan, stage, g, y, xBegin, xEnd, row);
            break;
    }
    return true;
}

#else  // no SSE2: every span takes the general path

void planTexturedSpans(const PixelState&, ChannelMode, ChannelMode, TexturedSpanPlan& plan) {
    plan.usable = false;
}

bool shadeTexturedSpan(const TexturedSpanPlan&, const TriangleGradients&, int, int, int,
                       const SpanRow&) {
    return false;
}

#endif

}  // namespace kolvane::soft
