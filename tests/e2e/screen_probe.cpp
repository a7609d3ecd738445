// Looks at screenshots of the game for the end-to-end test: finds pixels of a kind of colour in a
// rectangle, and measures how much two pictures differ there. Pictures are binary PPM files
// (P6, 8 bits per channel), as `import -window root ppm:FILE` writes them.
//
//   screen_probe find FILE X Y W H KIND
//       prints "COUNT CX CY LEFT TOP RIGHT BOTTOM" for the pixels of KIND in the rectangle
//       (centre and bounds in picture coordinates; "0 -1 -1 -1 -1 -1 -1" when there are none)
//   screen_probe diff FILE_A FILE_B X Y W H
//       prints the mean absolute channel difference (0..255) in the rectangle
//   screen_probe mean FILE X Y W H
//       prints the mean red, green and blue in the rectangle
//
//   screen_probe sound FILE
//       reads the sound the disk audio driver wrote (16-bit stereo at 44100 Hz) and prints one
//       line "START END" (milliseconds) for each stretch of sound; stretches with less than
//       a quarter of a second of silence between them are one
//
// KIND is one of: bright (a vivid colour: a cell, a marker), orange, red, green, blue, light,
// black (no channel above 12: the rim of the pause and game-over lettering); solid-KIND counts
// only pixels inside a patch of KIND, at least 7 x 7 pixels.
// The rectangle is clipped to the picture. Exit status 2 on bad arguments or an unreadable file.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
    const std::uint8_t* at(int x, int y) const {
        return &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
    }
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Skips blanks and '#' comments between the header fields of a PPM file.
void skipBlanks(std::istream& in) {
    for (;;) {
        const int c = in.peek();
        if (c == '#') {
            std::string comment;
            std::getline(in, comment);
        } else if (c == ' ' || c == '\n' || c == '\r' || c == '\t') {
            in.get();
        } else {
            return;
        }
    }
}

bool readPicture(const char* path, Picture& picture) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    in >> magic;
    if (!in || magic != "P6") {
        return false;
    }
    int maxValue = 0;
    skipBlanks(in);
    in >> picture.width;
    skipBlanks(in);
    in >> picture.height;
    skipBlanks(in);
    in >> maxValue;
    if (!in || picture.width <= 0 || picture.height <= 0 || picture.width > 20000 ||
        picture.height > 20000 || maxValue != 255) {
        return false;
    }
    in.get();  // the one blank after the header
    picture.rgb.resize(static_cast<std::size_t>(picture.width) * picture.height * 3);
    in.read(reinterpret_cast<char*>(picture.rgb.data()),
            static_cast<std::streamsize>(picture.rgb.size()));
    return static_cast<std::size_t>(in.gcount()) == picture.rgb.size();
}

bool readRect(char** args, const Picture& picture, Rect& rect) {
    const int x = std::atoi(args[0]);
    const int y = std::atoi(args[1]);
    const int w = std::atoi(args[2]);
    const int h = std::atoi(args[3]);
    rect.left = std::clamp(x, 0, picture.width);
    rect.top = std::clamp(y, 0, picture.height);
    rect.right = std::clamp(x + w, 0, picture.width);
    rect.bottom = std::clamp(y + h, 0, picture.height);
    return w > 0 && h > 0;
}

bool isKind(const std::string& kind, const std::uint8_t* p) {
    const int r = p[0];
    const int g = p[1];
    const int b = p[2];
    const int high = std::max({r, g, b});
    const int low = std::min({r, g, b});
    if (kind == "bright") {
        return high >= 110 && high - low >= 90;
    }
    if (kind == "orange") {
        return r >= 170 && g >= 70 && g <= 170 && b <= 80 && r - g >= 60;
    }
    if (kind == "red") {
        return r >= 160 && g <= 80 && b <= 80;
    }
    if (kind == "green") {
        return g >= 110 && r <= 110 && b <= 110 && g - std::max(r, b) >= 50;
    }
    if (kind == "blue") {
        return b >= 120 && b - r >= 60;
    }
    if (kind == "light") {
        return low >= 200;
    }
    if (kind == "black") {
        return high <= 12;
    }
    if (kind == "panel") {  // the face of the menu bar's menus and of the dialog: 0x0f2266
        return std::abs(r - 0x0f) <= 6 && std::abs(g - 0x22) <= 6 && std::abs(b - 0x66) <= 6;
    }
    return false;
}

constexpr const char* kSolidPrefix = "solid-";
constexpr int kSolidReach = 3;

bool isSolid(const std::string& kind) {
    return kind.rfind(kSolidPrefix, 0) == 0;
}

bool knownKind(const std::string& kind) {
    const std::string base = isSolid(kind) ? kind.substr(std::string(kSolidPrefix).size()) : kind;
    return base == "bright" || base == "orange" || base == "red" || base == "green" ||
           base == "blue" || base == "light" || base == "black" || base == "panel";
}

// A pixel of KIND; of solid-KIND when every pixel up to kSolidReach away is of KIND too, so
// that thin lines and specks of the colour do not count, only a patch of it.
bool isPixelOfKind(const Picture& picture, int x, int y, const std::string& kind) {
    if (!isSolid(kind)) {
        return isKind(kind, picture.at(x, y));
    }
    const std::string base = kind.substr(std::string(kSolidPrefix).size());
    for (int dy = -kSolidReach; dy <= kSolidReach; ++dy) {
        for (int dx = -kSolidReach; dx <= kSolidReach; ++dx) {
            const int nx = x + dx;
            const int ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= picture.width || ny >= picture.height ||
                !isKind(base, picture.at(nx, ny))) {
                return false;
            }
        }
    }
    return true;
}

int find(const Picture& picture, const Rect& rect, const std::string& kind) {
    long count = 0;
    double sumX = 0.0;
    double sumY = 0.0;
    Rect bounds{picture.width, picture.height, -1, -1};
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            if (!isPixelOfKind(picture, x, y, kind)) {
                continue;
            }
            ++count;
            sumX += x;
            sumY += y;
            bounds.left = std::min(bounds.left, x);
            bounds.top = std::min(bounds.top, y);
            bounds.right = std::max(bounds.right, x);
            bounds.bottom = std::max(bounds.bottom, y);
        }
    }
    if (count == 0) {
        std::printf("0 -1 -1 -1 -1 -1 -1\n");
    } else {
        std::printf("%ld %d %d %d %d %d %d\n", count, static_cast<int>(sumX / count),
                    static_cast<int>(sumY / count), bounds.left, bounds.top, bounds.right,
                    bounds.bottom);
    }
    return 0;
}

int diff(const Picture& a, const Picture& b, const Rect& rect) {
    if (a.width != b.width || a.height != b.height) {
        std::fprintf(stderr, "pictures differ in size\n");
        return 2;
    }
    double total = 0.0;
    long samples = 0;
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            for (int c = 0; c < 3; ++c) {
                total += std::abs(static_cast<int>(a.at(x, y)[c]) - b.at(x, y)[c]);
                ++samples;
            }
        }
    }
    std::printf("%.2f\n", samples == 0 ? 0.0 : total / static_cast<double>(samples));
    return 0;
}

int mean(const Picture& picture, const Rect& rect) {
    double sum[3] = {0.0, 0.0, 0.0};
    long count = 0;
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            for (int c = 0; c < 3; ++c) {
                sum[c] += picture.at(x, y)[c];
            }
            ++count;
        }
    }
    if (count == 0) {
        count = 1;
    }
    std::printf("%d %d %d\n", static_cast<int>(sum[0] / count), static_cast<int>(sum[1] / count),
                static_cast<int>(sum[2] / count));
    return 0;
}

constexpr int kSoundRate = 44100;
constexpr int kSoundThreshold = 64;  // quieter samples are silence (a tail dying away)
constexpr long kShortestSilence = kSoundRate / 4;

int sound(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return 2;
    }
    long frame = 0;
    long start = -1;
    long lastSounding = -1;
    const auto milliseconds = [](long frames) { return frames * 1000 / kSoundRate; };
    std::int16_t samples[2];
    while (in.read(reinterpret_cast<char*>(samples), sizeof samples)) {
        if (std::abs(samples[0]) > kSoundThreshold || std::abs(samples[1]) > kSoundThreshold) {
            if (start >= 0 && frame - lastSounding > kShortestSilence) {
                std::printf("%ld %ld\n", milliseconds(start), milliseconds(lastSounding));
                start = -1;
            }
            if (start < 0) {
                start = frame;
            }
            lastSounding = frame;
        }
        ++frame;
    }
    if (start >= 0) {
        std::printf("%ld %ld\n", milliseconds(start), milliseconds(lastSounding));
    }
    return 0;
}

int usage() {
    std::fprintf(stderr,
                 "usage: screen_probe find FILE X Y W H KIND | diff A B X Y W H | mean FILE X Y W "
                 "H | sound FILE\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return usage();
    }
    const std::string command = argv[1];
    Picture first;
    Rect rect;
    if (command == "find" && argc == 8) {
        if (!readPicture(argv[2], first) || !readRect(argv + 3, first, rect) ||
            !knownKind(argv[7])) {
            return usage();
        }
        return find(first, rect, argv[7]);
    }
    if (command == "mean" && argc == 7) {
        if (!readPicture(argv[2], first) || !readRect(argv + 3, first, rect)) {
            return usage();
        }
        return mean(first, rect);
    }
    if (command == "sound" && argc == 3) {
        return sound(argv[2]);
    }
    if (command == "diff" && argc == 8) {
        Picture second;
        if (!readPicture(argv[2], first) || !readPicture(argv[3], second) ||
            !readRect(argv + 4, first, rect)) {
            return usage();
        }
        return diff(first, second, rect);
    }
    return usage();
}
