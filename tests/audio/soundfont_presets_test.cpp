// The SoundFont read with only the presets the tracks play: its tables cut down, and the music
// it plays next to the whole SoundFont's.
#include "audio/soundfont_presets.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "tests/audio/test_files.h"

namespace {

using namespace audio_test;

constexpr const char* kGeneralMidiSoundFont = "/usr/share/sounds/sf2/default-GM.sf2";

Bytes presetHeader(std::uint16_t program, std::uint16_t bank, std::uint16_t firstBag) {
    Bytes out(20, 'p');
    appendLe(out, program, 2);
    appendLe(out, bank, 2);
    appendLe(out, firstBag, 2);
    appendLe(out, 0x11223344, 4);  // library, genre and morphology, kept as they are
    appendLe(out, 0x55667788, 4);
    appendLe(out, 0x99AABBCC, 4);
    return out;
}

Bytes records(std::initializer_list<Bytes> each) {
    Bytes out;
    for (const Bytes& r : each) {
        out.insert(out.end(), r.begin(), r.end());
    }
    return out;
}

Bytes le16s(std::initializer_list<std::uint16_t> values) {
    Bytes out;
    for (std::uint16_t v : values) {
        appendLe(out, v, 2);
    }
    return out;
}

// A modulator record told apart by its bytes.
Bytes modulator(std::uint8_t mark) {
    return Bytes(10, mark);
}

// Three presets: program 0 of bank 0 (one zone: generators 0-1, modulator 0), program 5 of
// bank 0 (two zones: generator 2; generators 3-4 and modulator 1) and drum kit 0 (one zone:
// generator 5). Generator i is (i + 1, 100 + i).
struct Tables {
    Bytes presets = records({presetHeader(0, 0, 0), presetHeader(5, 0, 1), presetHeader(0, 128, 3),
                             presetHeader(0, 0, 4)});
    Bytes bags = le16s({0, 0, 2, 1, 3, 1, 5, 2, 6, 2});
    Bytes modulators = records({modulator(1), modulator(2), modulator(0)});
    Bytes generators = le16s({1, 100, 2, 101, 3, 102, 4, 103, 5, 104, 6, 105, 0, 0});
    Bytes instruments = Bytes(44, 'i');
    Bytes instrumentBags = le16s({0, 0, 1, 0});
    Bytes instrumentModulators = Bytes(10, 0);
    Bytes instrumentGenerators = le16s({53, 0, 0, 0});
    Bytes samples = Bytes(92, 's');

    Bytes body() const {
        return records({chunk("phdr", presets), chunk("pbag", bags), chunk("pmod", modulators),
                        chunk("pgen", generators), chunk("inst", instruments),
                        chunk("ibag", instrumentBags), chunk("imod", instrumentModulators),
                        chunk("igen", instrumentGenerators), chunk("shdr", samples)});
    }
};

std::map<std::string, Bytes> chunksOf(const Bytes& body) {
    std::map<std::string, Bytes> out;
    for (std::size_t at = 0; at + 8 <= body.size();) {
        const std::uint32_t size = body[at + 4] | body[at + 5] << 8 | body[at + 6] << 16 |
                                   static_cast<std::uint32_t>(body[at + 7]) << 24;
        out[std::string(body.begin() + at, body.begin() + at + 4)] =
            Bytes(body.begin() + at + 8, body.begin() + at + 8 + size);
        at += 8 + size;
    }
    return out;
}

TEST(PresetTables, KeepOnlyThePlayedPresetsWithTheirZonesRenumbered) {
    const Tables tables;
    const auto kept = presetTablesFor(tables.body(), PlayedPresets{{5}, {}});
    ASSERT_TRUE(kept);
    const std::map<std::string, Bytes> chunks = chunksOf(*kept);
    EXPECT_EQ(chunks.at("phdr"), records({presetHeader(5, 0, 0), presetHeader(0, 0, 2)}));
    EXPECT_EQ(chunks.at("pbag"), le16s({0, 0, 1, 0, 3, 1}));
    EXPECT_EQ(chunks.at("pgen"), le16s({3, 102, 4, 103, 5, 104, 0, 0}));
    EXPECT_EQ(chunks.at("pmod"), records({modulator(2), modulator(0)}));
    EXPECT_EQ(chunks.at("inst"), tables.instruments);
    EXPECT_EQ(chunks.at("ibag"), tables.instrumentBags);
    EXPECT_EQ(chunks.at("imod"), tables.instrumentModulators);
    EXPECT_EQ(chunks.at("igen"), tables.instrumentGenerators);
    EXPECT_EQ(chunks.at("shdr"), tables.samples);

    // Program 0 is wanted in bank 0 but not as a drum kit, and drum kit 0 the other way round.
    const auto drums = presetTablesFor(tables.body(), PlayedPresets{{}, {0}});
    ASSERT_TRUE(drums);
    EXPECT_EQ(chunksOf(*drums).at("phdr"),
              records({presetHeader(0, 128, 0), presetHeader(0, 0, 1)}));
    EXPECT_EQ(chunksOf(*drums).at("pgen"), le16s({6, 105, 0, 0}));
}

TEST(PresetTables, TablesThatAreNotWellFormedOrKeepNothingAreRefused) {
    std::vector<Bytes> refused;
    Tables noSamples;
    refused.push_back(noSamples.body());
    refused.back().resize(refused.back().size() - noSamples.samples.size() - 8);
    Tables partRecord;
    partRecord.generators.resize(partRecord.generators.size() + 2);
    refused.push_back(partRecord.body());
    Tables bagsBackwards;
    bagsBackwards.presets = records({presetHeader(0, 0, 0), presetHeader(5, 0, 3),
                                     presetHeader(0, 128, 1), presetHeader(0, 0, 4)});
    refused.push_back(bagsBackwards.body());
    Tables generatorPastTable;
    generatorPastTable.bags = le16s({0, 0, 2, 1, 3, 1, 5, 2, 9, 2});
    refused.push_back(generatorPastTable.body());
    Tables bagPastTable;
    bagPastTable.presets = records({presetHeader(0, 0, 0), presetHeader(5, 0, 1),
                                    presetHeader(0, 128, 3), presetHeader(0, 0, 7)});
    refused.push_back(bagPastTable.body());
    Tables cut;
    refused.push_back(cut.body());
    refused.back().resize(refused.back().size() - 1);
    for (std::size_t i = 0; i < refused.size(); ++i) {
        EXPECT_FALSE(presetTablesFor(refused[i], PlayedPresets{})) << "tables " << i;
    }
    EXPECT_FALSE(presetTablesFor(Tables{}.body(), PlayedPresets{{7}, {3}})) << "no preset played";
}

bool haveSoundFont() {
    return std::filesystem::exists(kGeneralMidiSoundFont);
}

struct Synthesiser {
    fluid_settings_t* settings = new_fluid_settings();
    fluid_synth_t* synth = nullptr;
    PresetSubsetLoading subset;

    explicit Synthesiser(const PlayedPresets* played) {
        fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
        synth = new_fluid_synth(settings);
        if (played != nullptr) {
            subsetLoaded = subset.addTo(synth, settings, kGeneralMidiSoundFont, *played);
        }
        loaded = fluid_synth_sfload(synth, kGeneralMidiSoundFont, 1) != FLUID_FAILED;
    }
    ~Synthesiser() {
        delete_fluid_synth(synth);
        delete_fluid_settings(settings);
    }
    bool hasPreset(int bank, int program) {
        return fluid_sfont_get_preset(fluid_synth_get_sfont(synth, 0), bank, program) != nullptr;
    }
    int presetCount() {
        fluid_sfont_t* font = fluid_synth_get_sfont(synth, 0);
        fluid_sfont_iteration_start(font);
        int count = 0;
        while (fluid_sfont_iteration_next(font) != nullptr) {
            ++count;
        }
        return count;
    }
    // Half a second of a chord on program 48 and on program 0 with two drums, then half a
    // second of their release and the reverb, both channels side by side.
    std::vector<float> tune() {
        fluid_synth_program_change(synth, 0, 48);
        fluid_synth_noteon(synth, 0, 60, 100);
        fluid_synth_noteon(synth, 0, 67, 90);
        fluid_synth_noteon(synth, 1, 64, 90);
        fluid_synth_noteon(synth, 9, 36, 110);
        fluid_synth_noteon(synth, 9, 38, 100);
        std::vector<float> out;
        for (int half = 0; half < 2; ++half) {
            std::vector<float> left(22050), right(22050);
            fluid_synth_write_float(synth, 22050, left.data(), 0, 1, right.data(), 0, 1);
            out.insert(out.end(), left.begin(), left.end());
            out.insert(out.end(), right.begin(), right.end());
            fluid_synth_all_notes_off(synth, -1);
        }
        return out;
    }
    bool subsetLoaded = false;
    bool loaded = false;
};

TEST(SoundFontPresets, TheTracksSoundAsWithTheWholeSoundFont) {
    if (!haveSoundFont()) {
        GTEST_SKIP() << "no General MIDI SoundFont here";
    }
    const PlayedPresets played{{0, 48}, {0}};
    Synthesiser whole(nullptr);
    Synthesiser cut(&played);
    ASSERT_TRUE(whole.loaded);
    ASSERT_TRUE(cut.subsetLoaded);
    ASSERT_TRUE(cut.loaded);
    EXPECT_LT(cut.presetCount(), whole.presetCount() / 4);
    EXPECT_TRUE(cut.hasPreset(0, 48));
    EXPECT_TRUE(cut.hasPreset(128, 0));
    EXPECT_FALSE(cut.hasPreset(0, 30));
    EXPECT_TRUE(whole.hasPreset(0, 30));

    const std::vector<float> expected = whole.tune();
    const std::vector<float> heard = cut.tune();
    const float loudest =
        std::abs(*std::max_element(expected.begin(), expected.end(),
                                   [](float a, float b) { return std::abs(a) < std::abs(b); }));
    EXPECT_GT(loudest, 0.05f) << "the tune is heard";
    EXPECT_EQ(heard, expected);
}

TEST(SoundFontPresets, AFileThatIsNotAReadableSoundFontIsLeftToFluidSynth) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("kolvane-soundfont-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::vector<std::filesystem::path> files = {folder / "missing.sf2"};
    files.push_back(folder / "text.sf2");
    writeFile(files.back(), Bytes{'n', 'o', 't', ' ', 'a', ' ', 's', 'f', '2'});
    files.push_back(folder / "no-tables.sf2");
    writeFile(files.back(), chunk("RIFF", records({Bytes{'s', 'f', 'b', 'k'},
                                                   chunk("LIST", Bytes{'I', 'N', 'F', 'O'})})));
    files.push_back(folder / "bad-tables.sf2");
    Tables bad;
    bad.generators.resize(bad.generators.size() + 2);
    Bytes list = {'p', 'd', 't', 'a'};
    const Bytes body = bad.body();
    list.insert(list.end(), body.begin(), body.end());
    writeFile(files.back(),
              chunk("RIFF", records({Bytes{'s', 'f', 'b', 'k'}, chunk("LIST", list)})));
    if (haveSoundFont()) {
        std::ifstream whole(kGeneralMidiSoundFont, std::ios::binary);
        Bytes head(1 << 16);
        whole.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
        files.push_back(folder / "cut.sf2");
        writeFile(files.back(), head);
    }
    for (const std::filesystem::path& file : files) {
        fluid_settings_t* settings = new_fluid_settings();
        fluid_synth_t* synth = new_fluid_synth(settings);
        {
            PresetSubsetLoading subset;
            EXPECT_FALSE(subset.addTo(synth, settings, file.string(), PlayedPresets{}))
                << file.filename();
        }
        delete_fluid_synth(synth);
        delete_fluid_settings(settings);
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
