// The mesh loader's own check of a .x file before Assimp reads it. Assimp's reader makes room for
// as many elements as a file's counts claim and trusts the file's normal indices, so a short
// file can take gigabytes or crash the game; this check walks the file as Assimp will and
// refuses any count the file cannot hold and any index out of range.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The largest .x file the loader reads, and the most a compressed one may inflate to, in bytes.
constexpr std::size_t largestXFileBytes = std::size_t{16} << 20;

// The bytes to hand Assimp for the .x file `file`: the file itself when it is text or binary,
// the inflated file behind a text or binary header when it is compressed, in either case
// without its animation sets, so that an animated model loads as a still one; nothing when the
// file is refused (bad header, too large, a count beyond what the file holds, a face, normal,
// vertex-colour, skin-weight or material index out of range, or anything the check cannot
// follow exactly as Assimp would).
std::optional<std::string> checkedXFile(std::string_view file);
