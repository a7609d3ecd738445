#include "platform/cursor.h"

#include <SDL.h>

#include <array>
#include <cstring>

#include "platform/window_internal.h"

struct CursorImage {
    int width;
    int height;
    int hotX;
    int hotY;
    const char* const* rows;  // 'X' black, '.' white, anything else transparent
    int rowCount;
};

namespace {

constexpr int kCursorSize = 32;

// The arrow, drawn row by row from the top; rows past the list are transparent.
constexpr const char* kArrowRows[] = {
    "X",           "XX",          "X.X",        "X..X",       "X...X",       "X....X",
    "X.....X",     "X......X",    "X.......X",  "X........X", "X.........X", "X......XXXXX",
    "X...X..X",    "X..XX..X",    "X.X  X..X",  "XX   X..X",  "X     X..X",  "      X..X",
    "       X..X", "       X..X", "        XX",
};

constexpr CursorImage kArrow{kCursorSize, kCursorSize, 0,
                             0,           kArrowRows,  static_cast<int>(std::size(kArrowRows))};

char pixelAt(const CursorImage& image, int x, int y) {
    if (y >= image.rowCount) {
        return ' ';
    }
    const char* row = image.rows[y];
    return x < static_cast<int>(std::strlen(row)) ? row[x] : ' ';
}

constexpr std::uint32_t kBitmapWhite = 0x00FFFFFFu;

SDL_Cursor* windowCursor = nullptr;

}  // namespace

CursorHandle arrowCursor() {
    return &kArrow;
}

bool readCursorBitmaps(CursorHandle cursor, CursorBitmaps& bitmaps) {
    if (cursor == nullptr) {
        return false;
    }
    const int width = cursor->width;
    const int height = cursor->height;
    bitmaps = CursorBitmaps{};
    bitmaps.hotX = cursor->hotX;
    bitmaps.hotY = cursor->hotY;
    bitmaps.maskWidth = width;
    bitmaps.maskHeight = height * 2;
    bitmaps.mask.assign(static_cast<std::size_t>(width) * height * 2, 0);
    // Bottom-up: the AND mask's top row is the bitmap's last row, the XOR mask lies below it.
    for (int y = 0; y < height; ++y) {
        std::uint32_t* andRow =
            bitmaps.mask.data() + static_cast<std::size_t>(2 * height - 1 - y) * width;
        std::uint32_t* xorRow =
            bitmaps.mask.data() + static_cast<std::size_t>(height - 1 - y) * width;
        for (int x = 0; x < width; ++x) {
            const char pixel = pixelAt(*cursor, x, y);
            andRow[x] = (pixel == 'X' || pixel == '.') ? 0u : kBitmapWhite;
            xorRow[x] = pixel == '.' ? kBitmapWhite : 0u;
        }
    }
    return true;
}

void useWindowCursor(CursorHandle cursor) {
    if (cursor == nullptr || SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        return;
    }
    const int bytesPerRow = cursor->width / 8;
    std::array<Uint8, kCursorSize * kCursorSize / 8> data{};
    std::array<Uint8, kCursorSize * kCursorSize / 8> mask{};
    for (int y = 0; y < cursor->height && y < kCursorSize; ++y) {
        for (int x = 0; x < cursor->width && x < kCursorSize; ++x) {
            const char pixel = pixelAt(*cursor, x, y);
            const std::size_t byte = static_cast<std::size_t>(y * bytesPerRow + x / 8);
            const Uint8 bit = static_cast<Uint8>(0x80u >> (x % 8));
            if (pixel == 'X') {
                data[byte] |= bit;
                mask[byte] |= bit;
            } else if (pixel == '.') {
                mask[byte] |= bit;
            }
        }
    }
    SDL_Cursor* made = SDL_CreateCursor(data.data(), mask.data(), cursor->width, cursor->height,
                                        cursor->hotX, cursor->hotY);
    if (made == nullptr) {
        return;
    }
    SDL_SetCursor(made);
    if (windowCursor != nullptr) {
        SDL_FreeCursor(windowCursor);
    }
    windowCursor = made;
}

void releaseWindowCursor() {
    if (windowCursor != nullptr) {
        SDL_SetCursor(SDL_GetDefaultCursor());
        SDL_FreeCursor(windowCursor);
        windowCursor = nullptr;
    }
}
