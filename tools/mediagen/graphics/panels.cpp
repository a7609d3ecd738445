#include "tools/mediagen/graphics/panels.h"

#include <cmath>

namespace mediagen {

namespace {

const Rgb kRimLight = hex(0xffe7a0);
const Rgb kRimDark = hex(0x8a5a12);
const Rgb kButtonTop = hex(0x3f74e0);
const Rgb kButtonBottom = hex(0x0c1d5e);
const Rgb kListTop = hex(0xe8efe0);
const Rgb kListBottom = hex(0xcfdccb);
const Rgb kLetterTop = hex(0xffffff);
const Rgb kLetterBottom = hex(0xffd35a);
const Rgb kLetterOutline = hex(0x071033);

struct PlateLook {
    float cornerRadius;  // all sizes in pixels
    float rimWidth;
    float bevelWidth;
    Rgb faceTop, faceBottom;
    float gloss;  // strength of the glassy highlight on the upper half
};

// Signed distance to the plate's rounded outline, which the face lies a rim's width inside:
// negative inside.
float plateDistance(float x, float y, int width, int height, float radius) {
    const float hx = width / 2.0f - 1.0f, hy = height / 2.0f - 1.0f;
    const float qx = std::fabs(x - width / 2.0f) - hx + radius;
    const float qy = std::fabs(y - height / 2.0f) - hy + radius;
    const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

// The picture is drawn as an opaque rectangle, so the gold rim is a frame that fills it to its
// square edges; the rounded face is set into the frame, whose corners fall away a little.
Rgb plateColour(const PlateLook& look, int width, int height, float x, float y) {
    const float d = plateDistance(x, y, width, height, look.cornerRadius);
    const float inside = -d;
    float gx = plateDistance(x + 0.5f, y, width, height, look.cornerRadius) -
               plateDistance(x - 0.5f, y, width, height, look.cornerRadius);
    float gy = plateDistance(x, y + 0.5f, width, height, look.cornerRadius) -
               plateDistance(x, y - 0.5f, width, height, look.cornerRadius);
    const float gl = std::hypot(gx, gy);
    if (gl > 0) {
        gx /= gl;
        gy /= gl;
    }
    const float towardsLight = gx * -0.45f + gy * -0.89f;  // light from the upper left
    const float down = y / height;

    const float fromEdge = std::min(std::min(x, width - x), std::min(y, height - y));
    const float cornerShade = 1.0f - 0.25f * smoothstep(0.0f, look.rimWidth * 2.0f, d);
    const float edgeShade = 0.85f + 0.15f * smoothstep(0.0f, 1.0f, fromEdge);
    const Rgb rim = mix(kRimLight, kRimDark, smoothstep(0.1f, 0.95f, down)) *
                    ((1.0f + 0.35f * towardsLight) * cornerShade * edgeShade);
    Rgb face = mix(look.faceTop, look.faceBottom, down);
    const float glossBand = std::pow(std::max(0.0f, 1.0f - down / 0.55f), 1.6f);
    face = mix(face, Rgb{1, 1, 1}, look.gloss * glossBand);
    const float slope = 1.0f - std::clamp((inside - look.rimWidth) / look.bevelWidth, 0.0f, 1.0f);
    const Rgb bevelled = face * (1.0f + 0.6f * std::pow(slope, 0.8f) * towardsLight);
    const float intoFace = smoothstep(look.rimWidth - 0.75f, look.rimWidth + 0.75f, inside);
    return mix(rim, bevelled, intoFace);
}

void paintPlate(Picture& picture, const PlateLook& look) {
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            picture.at(x, y) = plateColour(look, picture.width, picture.height, x + 0.5f, y + 0.5f);
        }
    }
}

// The mask grown by `radius` pixels, with soft edges.
TextMask grown(const TextMask& mask, float radius) {
    TextMask out = mask;
    const int r = static_cast<int>(std::ceil(radius));
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            float best = 0;
            for (int dy = -r; dy <= r; ++dy) {
                for (int dx = -r; dx <= r; ++dx) {
                    const float weight =
                        std::clamp(radius + 0.5f - std::hypot(float(dx), float(dy)), 0.0f, 1.0f);
                    best = std::max(best, mask.at(x + dx, y + dy) * weight);
                }
            }
            out.coverage[std::size_t(y) * mask.width + x] = best;
        }
    }
    return out;
}

TextMask blurred(const TextMask& mask, int radius) {
    TextMask out = mask;
    for (int pass = 0; pass < 2; ++pass) {
        const TextMask in = out;
        for (int y = 0; y < mask.height; ++y) {
            for (int x = 0; x < mask.width; ++x) {
                float sum = 0;
                for (int k = -radius; k <= radius; ++k) {
                    sum += pass == 0 ? in.at(x + k, y) : in.at(x, y + k);
                }
                out.coverage[std::size_t(y) * mask.width + x] = sum / (2 * radius + 1);
            }
        }
    }
    return out;
}

// Renders the text so its capitals are `capHeight` pixels tall, narrowed to fit `maxWidth`.
TextMask fittedText(const FontFace& font, const std::string& text, float capHeight, float maxWidth,
                    int margin) {
    constexpr double kTracking = 0.03;
    int em = std::max(8, static_cast<int>(capHeight / 0.73f));
    TextMask mask = font.render(text, em, kTracking, margin);
    for (int attempt = 0; attempt < 3 && mask.width > 0; ++attempt) {
        const float ink = static_cast<float>(mask.height - 2 * margin);
        const float inkWidth = static_cast<float>(mask.width - 2 * margin);
        const float factor = std::min(capHeight / ink, maxWidth / inkWidth);
        const int next = std::max(8, static_cast<int>(em * factor));
        if (next == em)
            break;
        em = next;
        mask = font.render(text, em, kTracking, margin);
    }
    return mask;
}

void paintLettering(Picture& picture, const FontFace& font, const std::string& text) {
    const float outlineWidth = std::max(1.5f, picture.height * 0.03f);
    const int margin = static_cast<int>(outlineWidth) + 6;
    const TextMask fill =
        fittedText(font, text, picture.height * 0.40f, picture.width * 0.84f, margin);
    if (fill.width == 0)
        return;
    const TextMask outline = grown(fill, outlineWidth);
    const TextMask shadow = blurred(outline, 2);
    const int left = (picture.width - fill.width) / 2;
    const int top = (picture.height - fill.height) / 2;
    const int shadowShift = std::max(2, picture.height / 40);
    const float inkTop = static_cast<float>(margin),
                inkHeight = static_cast<float>(fill.height - 2 * margin);
    for (int y = -shadowShift; y < fill.height + shadowShift; ++y) {
        for (int x = -shadowShift; x < fill.width + shadowShift; ++x) {
            picture.blend(left + x, top + y, {0, 0, 0},
                          0.65f * shadow.at(x - shadowShift, y - shadowShift));
        }
    }
    for (int y = 0; y < fill.height; ++y) {
        const float t = std::clamp((y - inkTop) / inkHeight, 0.0f, 1.0f);
        const Rgb letter = mix(kLetterTop, kLetterBottom, smoothstep(0.25f, 0.9f, t));
        for (int x = 0; x < fill.width; ++x) {
            picture.blend(left + x, top + y, kLetterOutline, outline.at(x, y));
            picture.blend(left + x, top + y, letter, fill.at(x, y));
        }
    }
}

}  // namespace

Picture buttonPicture(const FontFace& font, const std::string& text, int width, int height) {
    Picture picture(width, height);
    const float h = static_cast<float>(height);
    paintPlate(picture, {h * 0.26f, std::max(2.0f, h * 0.045f), h * 0.12f, kButtonTop,
                         kButtonBottom, 0.22f});
    paintLettering(picture, font, text);
    return picture;
}

Picture listPanelPicture(int width, int height) {
    Picture picture(width, height);
    const float h = static_cast<float>(std::min(width, height));
    paintPlate(picture,
               {h * 0.06f, std::max(2.0f, h * 0.014f), h * 0.03f, kListTop, kListBottom, 0.08f});
    return picture;
}

}  // namespace mediagen
