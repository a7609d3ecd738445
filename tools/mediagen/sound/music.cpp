// Placeholder until this part of the generator is written.
#include "tools/mediagen/media_parts.h"

namespace mediagen {

bool writeMusic(const std::filesystem::path&) {
    return true;
}

}  // namespace mediagen
