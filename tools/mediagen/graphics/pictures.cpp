#include "tools/mediagen/media_parts.h"

namespace mediagen {

bool writePictures(const std::filesystem::path&) {
    return true;
}

}  // namespace mediagen
