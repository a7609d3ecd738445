// The designs of the game's meshes: what each shows and where it stands once the game has
// applied its transform.
#pragma once

#include <string>

#include "tools/mediagen/graphics/lettering.h"
#include "tools/mediagen/graphics/mesh_model.h"

namespace mediagen {

constexpr int kCellColourCount = 7;
constexpr const char* kLetteringFont = "URW Gothic:style=Demi";

enum class Lettering { TitleName, TitleYear, Paused, GameOver };

// A line of extruded lettering as it stands in the world (before any sway): centred on
// `centre`, fitted into width x height, `depth` thick, front towards the viewer.
struct LetteringDesign {
    std::string text;
    double tracking = 0;  // em
    Vec3 centre;
    double width = 0, height = 0;
    double depth = 1;     // world units
    double bevel = 0.03;  // em, so small letters keep their faces
    double outline = 0;   // em: a dark rim this wide round the letters, set back from their
                          // fronts; 0 for none
};

MeshModel cellMesh(int colour);  // colour 0..6
MeshModel wellMesh();
LetteringDesign letteringDesign(Lettering which);
MeshModel letteringMesh(Lettering which, const FontFace& font);
MeshModel scoreBonusMesh();
MeshModel clearBonusMesh();

// The transforms the game draws these with, at time 0, for a bonus in a cell at the origin.
Mat4 wellTransform();
Mat4 letteringTransform(Lettering which);
Mat4 bonusTransform();

}  // namespace mediagen
