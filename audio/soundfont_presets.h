// Loading a General MIDI SoundFont with only the presets the game's tracks play (inside audio/
// only). FluidSynth keeps each zone of every preset it loads with a full table of generators,
// about 2 KiB a zone, which comes to over 4 MiB for a General MIDI SoundFont, while the tracks
// play a dozen of its presets. The instruments a kept preset does not use are never read.
#pragma once

#include <fluidsynth.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "audio/midi_file.h"

// The body of a SoundFont's "pdta" list (the preset, instrument and sample tables) with only
// the presets wanted: those of bank 128 whose number is one of the drum kits played, and those
// of every other bank whose number is one of the melodic programs played. The instrument and
// sample tables stay as they are. Nothing when the tables are not well formed (a table missing,
// a size that is not whole records, an index that runs backwards or past its table) or when no
// preset is wanted.
std::optional<std::vector<std::uint8_t>> presetTablesFor(std::span<const std::uint8_t> tables,
                                                         const PlayedPresets& played);

struct SoundFontView;

// While one lives, FluidSynth reads the SoundFont file at `path` with only the presets played,
// for a synthesiser it was added to: a SoundFont loader that the synthesiser tries before its
// own reads the file through a view in which the preset tables are replaced (the samples are
// read from the file itself when a preset first needs them). Delete the synthesiser first.
class PresetSubsetLoading {
public:
    PresetSubsetLoading() = default;
    ~PresetSubsetLoading();
    PresetSubsetLoading(const PresetSubsetLoading&) = delete;
    PresetSubsetLoading& operator=(const PresetSubsetLoading&) = delete;

    // Adds the loader to synth, which has no SoundFont yet. False, with nothing added, when the
    // file cannot be read as a SoundFont here; FluidSynth's own loader then reads it whole.
    bool addTo(fluid_synth_t* synth, fluid_settings_t* settings, const std::string& path,
               const PlayedPresets& played);

private:
    std::shared_ptr<const SoundFontView> view_;
};
