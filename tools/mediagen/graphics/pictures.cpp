// The game's pictures: screen panels, backgrounds and the textures its meshes name.
#include <cstdio>
#include <string>

#include "tools/mediagen/graphics/backgrounds.h"
#include "tools/mediagen/graphics/panels.h"
#include "tools/mediagen/media_parts.h"

namespace mediagen {

namespace {

// Sizes follow the screen rectangles the pictures are stretched over in a 4:3 view.
constexpr int kLabelWidth = 512, kLabelHeight = 144;      // 0.2 W x 0.075 H
constexpr int kItemWidth = 640, kItemHeight = 120;        // 0.4 W x 0.1 H
constexpr int kHeadingWidth = 800, kHeadingHeight = 150;  // 0.6 W x 0.15 H
constexpr int kListWidth = 640, kListHeight = 500;        // 0.7 W x 0.68..0.8 H
constexpr int kStillWidth = 1024, kStillHeight = 768;     // four W/2 x H/2 quarters
constexpr int kTileSize = 512;

struct Button {
    const char* file;
    const char* text;
};

constexpr Button kLabels[] = {
    {"level.bmp", "LEVEL"}, {"time.bmp", "TIME"}, {"scores.bmp", "SCORE"}, {"next.bmp", "NEXT"}};
constexpr Button kMenuItems[] = {{"new_game.bmp", "NEW GAME"},
                                 {"high_scores.bmp", "HIGH SCORES"},
                                 {"game_info.bmp", "GAME INFO"},
                                 {"exit.bmp", "EXIT"}};
constexpr Button kRuleSetItems[] = {
    {"classic.bmp", "CLASSIC"}, {"original.bmp", "ORIGINAL"}, {"crazy.bmp", "CRAZY"}};

}  // namespace

bool writePictures(const std::filesystem::path& runDir) {
    const std::filesystem::path folder = runDir / "Graphics";
    bool ok = true;
    const auto save = [&](const Picture& picture, const std::string& file) {
        if (picture.width == 0 || !writeBmp(picture, folder / file)) {
            std::fprintf(stderr, "mediagen: could not make Graphics/%s\n", file.c_str());
            ok = false;
        }
    };

    const Picture still = stillBackground(kStillWidth, kStillHeight);
    const int qw = kStillWidth / 2, qh = kStillHeight / 2;
    save(crop(still, qw, 0, qw, qh), "back_static_11.bmp");
    save(crop(still, 0, 0, qw, qh), "back_static_12.bmp");
    save(crop(still, 0, qh, qw, qh), "back_static_13.bmp");
    save(crop(still, qw, qh, qw, qh), "back_static_14.bmp");
    for (int variant = 0; variant < kBackgroundVariants; ++variant) {
        const std::string number = std::to_string(variant + 1);
        save(ceilingTile(variant, kTileSize), "back_up_" + number + ".bmp");
        save(floorTile(variant, kTileSize), "back_down_" + number + ".bmp");
    }
    save(cellFaceTexture(128), "cell_face.bmp");
    save(wellBackTexture(64), "well_back.bmp");
    save(listPanelPicture(kListWidth, kListHeight), "list.bmp");

    const FontFace font(kPanelFont);
    if (!font.valid()) {
        std::fprintf(stderr, "mediagen: no font for \"%s\"\n", kPanelFont);
        return false;
    }
    save(buttonPicture(font, "SELECT GAME", kHeadingWidth, kHeadingHeight), "select_game.bmp");
    for (const Button& b : kLabels)
        save(buttonPicture(font, b.text, kLabelWidth, kLabelHeight), b.file);
    for (const Button& b : kMenuItems)
        save(buttonPicture(font, b.text, kItemWidth, kItemHeight), b.file);
    for (const Button& b : kRuleSetItems)
        save(buttonPicture(font, b.text, kItemWidth, kItemHeight), b.file);
    return ok;
}

}  // namespace mediagen
