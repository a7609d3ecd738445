#include "audio/soundfont_presets.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>

#include "audio/byte_order.h"

namespace {

constexpr std::size_t kChunkHeaderBytes = 8;
constexpr std::size_t kFormHeaderBytes = 12;  // "RIFF", its size, "sfbk"
// Preset tables larger than this are not read (a General MIDI SoundFont's are well under 2 MiB).
constexpr std::uint32_t kLargestTablesBytes = 64u << 20;

// The tables of a "pdta" list in the order they are written, with their record sizes.
struct TableShape {
    const char* id;
    std::size_t recordBytes;
};
constexpr std::array<TableShape, 9> kTables = {{{"phdr", 38},
                                                {"pbag", 4},
                                                {"pmod", 10},
                                                {"pgen", 4},
                                                {"inst", 22},
                                                {"ibag", 4},
                                                {"imod", 10},
                                                {"igen", 4},
                                                {"shdr", 46}}};
constexpr std::size_t kPresets = 0, kPresetBags = 1, kPresetModulators = 2, kPresetGenerators = 3;

// Places inside a preset header.
constexpr std::size_t kPresetNumberAt = 20, kPresetBankAt = 22, kPresetFirstBagAt = 24;
constexpr std::uint16_t kDrumBank = 128;
constexpr std::uint16_t kLargestProgram = 127;

void appendLe16(std::vector<std::uint8_t>& out, std::size_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void appendLe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

void appendBytes(std::vector<std::uint8_t>& out, const std::uint8_t* from, std::size_t count) {
    out.insert(out.end(), from, from + count);
}

void appendChunk(std::vector<std::uint8_t>& out, const char* id,
                 std::span<const std::uint8_t> body) {
    appendBytes(out, reinterpret_cast<const std::uint8_t*>(id), 4);
    appendLe32(out, static_cast<std::uint32_t>(body.size()));
    appendBytes(out, body.data(), body.size());
}

// One table's records; the last is the table's terminal record.
struct Records {
    std::span<const std::uint8_t> bytes;
    std::size_t recordBytes = 1;

    // Records before the terminal one.
    std::size_t count() const { return bytes.size() / recordBytes - 1; }
    const std::uint8_t* operator[](std::size_t i) const { return bytes.data() + i * recordBytes; }
};

// The tables of a "pdta" list's body in kTables order, or nothing when one is missing or is not
// whole records with at least the terminal one.
std::optional<std::array<Records, kTables.size()>> readTables(std::span<const std::uint8_t> body) {
    std::array<std::optional<std::span<const std::uint8_t>>, kTables.size()> found;
    std::size_t at = 0;
    while (body.size() - at >= kChunkHeaderBytes) {
        const std::uint8_t* header = body.data() + at;
        const std::uint32_t size = readLe32(header + 4);
        if (size > body.size() - at - kChunkHeaderBytes) {
            return std::nullopt;
        }
        for (std::size_t t = 0; t < kTables.size(); ++t) {
            if (!found[t] && std::memcmp(header, kTables[t].id, 4) == 0) {
                found[t] = body.subspan(at + kChunkHeaderBytes, size);
            }
        }
        at += kChunkHeaderBytes + size;
        if ((size & 1u) != 0 && at < body.size()) {
            ++at;
        }
    }
    std::array<Records, kTables.size()> tables;
    for (std::size_t t = 0; t < kTables.size(); ++t) {
        const std::size_t recordBytes = kTables[t].recordBytes;
        if (!found[t] || found[t]->empty() || found[t]->size() % recordBytes != 0) {
            return std::nullopt;
        }
        tables[t] = {*found[t], recordBytes};
    }
    return tables;
}

// A preset header as it is but for the index of its first zone.
void appendPresetHeader(std::vector<std::uint8_t>& out, const std::uint8_t* preset,
                        std::size_t recordBytes, std::size_t firstBag) {
    appendBytes(out, preset, kPresetFirstBagAt);
    appendLe16(out, firstBag);
    appendBytes(out, preset + kPresetFirstBagAt + 2, recordBytes - kPresetFirstBagAt - 2);
}

bool isWanted(const std::uint8_t* preset, const PlayedPresets& played) {
    const std::uint16_t number = readLe16(preset + kPresetNumberAt);
    if (number > kLargestProgram) {
        return false;
    }
    const auto program = static_cast<std::uint8_t>(number);
    return readLe16(preset + kPresetBankAt) == kDrumBank ? played.drumKits.contains(program)
                                                         : played.melodicPrograms.contains(program);
}

}  // namespace

// The file at path as FluidSynth reads it: the form header with its new size, the file's own
// chunks before the preset tables (the information and the samples), then the new preset
// tables.
struct SoundFontView {
    std::string path;
    std::array<std::uint8_t, kFormHeaderBytes> head{};
    std::uint64_t keptBytes = 0;  // file bytes [kFormHeaderBytes, kFormHeaderBytes + keptBytes)
    std::vector<std::uint8_t> tables;  // the "LIST" chunk of the new preset tables

    std::uint64_t size() const { return kFormHeaderBytes + keptBytes + tables.size(); }
};

namespace {

bool readAt(std::ifstream& file, std::uint64_t at, std::uint8_t* into, std::size_t count) {
    file.seekg(static_cast<std::streamoff>(at));
    return static_cast<bool>(
        file.read(reinterpret_cast<char*>(into), static_cast<std::streamsize>(count)));
}

std::optional<SoundFontView> viewOf(const std::string& path, const PlayedPresets& played) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) {
        return std::nullopt;
    }
    const auto fileBytes = static_cast<std::uint64_t>(file.tellg());
    std::uint8_t form[kFormHeaderBytes];
    if (fileBytes < kFormHeaderBytes || !readAt(file, 0, form, sizeof form) ||
        std::memcmp(form, "RIFF", 4) != 0 || std::memcmp(form + 8, "sfbk", 4) != 0) {
        return std::nullopt;
    }
    const std::uint64_t formEnd =
        std::min<std::uint64_t>(fileBytes, 8 + std::uint64_t{readLe32(form + 4)});
    std::uint64_t at = kFormHeaderBytes;
    std::uint8_t header[kFormHeaderBytes];
    while (at + sizeof header <= formEnd && readAt(file, at, header, sizeof header)) {
        const std::uint32_t size = readLe32(header + 4);
        if (std::memcmp(header, "LIST", 4) == 0 && std::memcmp(header + 8, "pdta", 4) == 0) {
            if (size < 4 || size > kLargestTablesBytes || at + kChunkHeaderBytes + size > formEnd) {
                return std::nullopt;
            }
            std::vector<std::uint8_t> body(size - 4);
            if (!readAt(file, at + sizeof header, body.data(), body.size())) {
                return std::nullopt;
            }
            const std::optional<std::vector<std::uint8_t>> kept = presetTablesFor(body, played);
            if (!kept) {
                return std::nullopt;
            }
            SoundFontView view;
            view.path = path;
            view.keptBytes = at - kFormHeaderBytes;
            appendBytes(view.tables, header, 4);
            appendLe32(view.tables, static_cast<std::uint32_t>(4 + kept->size()));
            appendBytes(view.tables, header + 8, 4);
            appendBytes(view.tables, kept->data(), kept->size());
            if (view.size() - kChunkHeaderBytes > 0xFFFFFFFFu) {
                return std::nullopt;  // the form's size would not fit its field
            }
            const auto formSize = static_cast<std::uint32_t>(view.size() - kChunkHeaderBytes);
            std::copy(form, form + kFormHeaderBytes, view.head.begin());
            for (int i = 0; i < 4; ++i) {
                view.head[4 + i] = static_cast<std::uint8_t>(formSize >> (8 * i));
            }
            return view;
        }
        at += kChunkHeaderBytes + std::uint64_t{size} + (size & 1u);
    }
    return std::nullopt;
}

// The views FluidSynth's file callbacks serve, by file name (the callbacks carry no other
// context). A name without a living view is not opened, and the next loader gets the file.
std::mutex viewsLock;
std::map<std::string, std::weak_ptr<const SoundFontView>>& views() {
    static std::map<std::string, std::weak_ptr<const SoundFontView>> byPath;
    return byPath;
}

struct OpenView {
    std::shared_ptr<const SoundFontView> view;
    std::FILE* file = nullptr;
    std::uint64_t at = 0;
    std::uint64_t fileAt = 0;  // where the file's own position is
};

void* openView(const char* path) {
    std::shared_ptr<const SoundFontView> view;
    {
        const std::lock_guard hold(viewsLock);
        const auto found = views().find(path);
        if (found != views().end()) {
            view = found->second.lock();
        }
    }
    if (view == nullptr) {
        return nullptr;
    }
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return nullptr;
    }
    return new OpenView{std::move(view), file};
}

int readView(void* into, fluid_long_long_t count, void* handle) {
    auto& open = *static_cast<OpenView*>(handle);
    const SoundFontView& view = *open.view;
    if (count < 0 || static_cast<std::uint64_t>(count) > view.size() - open.at) {
        return FLUID_FAILED;
    }
    auto* out = static_cast<std::uint8_t*>(into);
    for (auto left = static_cast<std::uint64_t>(count); left > 0;) {
        std::uint64_t step = 0;
        if (open.at < kFormHeaderBytes) {
            step = std::min<std::uint64_t>(left, kFormHeaderBytes - open.at);
            std::memcpy(out, view.head.data() + open.at, step);
        } else if (open.at < kFormHeaderBytes + view.keptBytes) {
            step = std::min<std::uint64_t>(left, kFormHeaderBytes + view.keptBytes - open.at);
            if (open.fileAt != open.at &&
                fseeko(open.file, static_cast<off_t>(open.at), SEEK_SET) != 0) {
                return FLUID_FAILED;
            }
            open.fileAt = open.at + step;
            if (std::fread(out, 1, step, open.file) != step) {
                open.fileAt = ~std::uint64_t{0};
                return FLUID_FAILED;
            }
        } else {
            const std::uint64_t from = open.at - kFormHeaderBytes - view.keptBytes;
            step = std::min<std::uint64_t>(left, view.tables.size() - from);
            std::memcpy(out, view.tables.data() + from, step);
        }
        out += step;
        open.at += step;
        left -= step;
    }
    return FLUID_OK;
}

int seekView(void* handle, fluid_long_long_t offset, int origin) {
    auto& open = *static_cast<OpenView*>(handle);
    const auto size = static_cast<fluid_long_long_t>(open.view->size());
    fluid_long_long_t base = 0;
    if (origin == SEEK_CUR) {
        base = static_cast<fluid_long_long_t>(open.at);
    } else if (origin == SEEK_END) {
        base = size;
    } else if (origin != SEEK_SET) {
        return FLUID_FAILED;
    }
    if (offset < -base || offset > size - base) {
        return FLUID_FAILED;
    }
    open.at = static_cast<std::uint64_t>(base + offset);
    return FLUID_OK;
}

fluid_long_long_t tellView(void* handle) {
    return static_cast<fluid_long_long_t>(static_cast<OpenView*>(handle)->at);
}

int closeView(void* handle) {
    auto* open = static_cast<OpenView*>(handle);
    std::fclose(open->file);
    delete open;
    return FLUID_OK;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> presetTablesFor(std::span<const std::uint8_t> body,
                                                         const PlayedPresets& played) {
    const auto tables = readTables(body);
    if (!tables) {
        return std::nullopt;
    }
    const Records& presets = (*tables)[kPresets];
    const Records& bags = (*tables)[kPresetBags];
    const Records& modulators = (*tables)[kPresetModulators];
    const Records& generators = (*tables)[kPresetGenerators];
    std::vector<std::uint8_t> keptPresets, keptBags, keptModulators, keptGenerators;
    const auto countOf = [](const std::vector<std::uint8_t>& kept, const Records& table) {
        return kept.size() / table.recordBytes;
    };
    for (std::size_t p = 0; p < presets.count(); ++p) {
        const std::size_t firstBag = readLe16(presets[p] + kPresetFirstBagAt);
        const std::size_t endBag = readLe16(presets[p + 1] + kPresetFirstBagAt);
        if (firstBag > endBag || endBag > bags.count()) {
            return std::nullopt;
        }
        if (!isWanted(presets[p], played)) {
            continue;
        }
        appendPresetHeader(keptPresets, presets[p], presets.recordBytes, countOf(keptBags, bags));
        for (std::size_t b = firstBag; b < endBag; ++b) {
            const std::size_t firstGenerator = readLe16(bags[b]),
                              endGenerator = readLe16(bags[b + 1]);
            const std::size_t firstModulator = readLe16(bags[b] + 2);
            const std::size_t endModulator = readLe16(bags[b + 1] + 2);
            if (firstGenerator > endGenerator || endGenerator > generators.count() ||
                firstModulator > endModulator || endModulator > modulators.count()) {
                return std::nullopt;
            }
            appendLe16(keptBags, countOf(keptGenerators, generators));
            appendLe16(keptBags, countOf(keptModulators, modulators));
            appendBytes(keptGenerators, generators[firstGenerator],
                        (endGenerator - firstGenerator) * generators.recordBytes);
            appendBytes(keptModulators, modulators[firstModulator],
                        (endModulator - firstModulator) * modulators.recordBytes);
        }
    }
    if (keptPresets.empty()) {
        return std::nullopt;
    }
    // The terminal records: the last preset's and bag's ends, and the tables' own terminals.
    appendPresetHeader(keptPresets, presets[presets.count()], presets.recordBytes,
                       countOf(keptBags, bags));
    appendLe16(keptBags, countOf(keptGenerators, generators));
    appendLe16(keptBags, countOf(keptModulators, modulators));
    appendBytes(keptGenerators, generators[generators.count()], generators.recordBytes);
    appendBytes(keptModulators, modulators[modulators.count()], modulators.recordBytes);

    std::vector<std::uint8_t> out;
    appendChunk(out, kTables[kPresets].id, keptPresets);
    appendChunk(out, kTables[kPresetBags].id, keptBags);
    appendChunk(out, kTables[kPresetModulators].id, keptModulators);
    appendChunk(out, kTables[kPresetGenerators].id, keptGenerators);
    for (std::size_t t = kPresetGenerators + 1; t < kTables.size(); ++t) {
        appendChunk(out, kTables[t].id, (*tables)[t].bytes);
    }
    return out;
}

PresetSubsetLoading::~PresetSubsetLoading() {
    if (view_ == nullptr) {
        return;
    }
    const std::lock_guard hold(viewsLock);
    const auto found = views().find(view_->path);
    if (found != views().end() && found->second.lock() == view_) {
        views().erase(found);
    }
}

bool PresetSubsetLoading::addTo(fluid_synth_t* synth, fluid_settings_t* settings,
                                const std::string& path, const PlayedPresets& played) {
    std::optional<SoundFontView> view = viewOf(path, played);
    if (!view || view_ != nullptr) {
        return false;
    }
    fluid_sfloader_t* loader = new_fluid_defsfloader(settings);
    if (loader == nullptr) {
        return false;
    }
    if (fluid_sfloader_set_callbacks(loader, openView, readView, seekView, tellView, closeView) !=
        FLUID_OK) {
        delete_fluid_sfloader(loader);
        return false;
    }
    view_ = std::make_shared<const SoundFontView>(std::move(*view));
    {
        const std::lock_guard hold(viewsLock);
        views()[path] = view_;
    }
    fluid_synth_add_sfloader(synth, loader);  // the synthesiser owns it and tries it first
    return true;
}
