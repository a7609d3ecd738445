// The parts of a frame: the background, the game scene with its overlays, the menu and list
// screens, and the texts they show. drawScene (game_scene.h) calls them for the current screen.
#pragma once

#include <cstddef>

#include "game/flow/high_scores.h"
#include "render/game_scene.h"

// Pictures: a texture stretched over a rectangle given as fractions of the viewport's width W
// and height H, at depth 0. Nothing is drawn while the screen-quad buffer is missing.
void drawPicture(GameScene& scene, IDirect3DTexture8* texture, float left, float top, float width,
                 float height);

// 3D texts: the text material set to colour (r, g, b, a) for diffuse and ambient, then text
// drawn filtered (and centred with textCentred) at the world position (x, y, z).
void setTextColour(GameScene& scene, float r, float g, float b, float a);
void drawSceneText(GameScene& scene, const char* text, float x, float y, float z, DWORD extraFlags);

// The background: the scrolling planes of the current variant when dynamicBackground is 1,
// otherwise the still picture in four quarters behind everything. The still picture is drawn
// first, untested. The planes are depth-tested like the scene, so they wait until the screen's
// opaque content has filled the depth buffer and no plane pixel is shaded where the well, a
// cell or a picture covers it: startBackground notes them as pending, and
// drawPendingBackground draws them, once a frame, before the screen's first text (which is
// blended over them and not depth-tested) or at the end of the frame.
void startBackground(GameScene& scene, const SceneInput& input);
void drawPendingBackground(GameScene& scene);

// The well, its cells, the labels, numbers, clock and preview, the flight of removed rows and
// the bonus objects; then the pause or game-over display when the screen is Paused or
// GameOver.
void drawGameScreen(GameScene& scene, const SceneInput& input);

// The menu and list screens.
void drawMainMenu(GameScene& scene, const SceneInput& input);
void drawRuleSetMenu(GameScene& scene, const SceneInput& input);
void drawHighScoreScreen(GameScene& scene, const SceneInput& input);
void drawInfoScreen(GameScene& scene, const SceneInput& input);

// The game clock as minutes and seconds: 0:00, 0:59, 1:05, 10:00.
void formatGameClock(char* text, std::size_t size, int gameClock);

// One line of the high-score list for rank 0..9: the rank and name, leader dots and the score,
// "1  NAME........1234". While the line's name is being typed, the cursor '_' stands right
// behind the name: in place of the first leader dot, or inserted there when the line has none.
// A letter being chosen at the cursor (letterAtCursor, not 0 or Space) stands there instead.
void formatHighScoreLine(char* text, std::size_t size, int rank, const HighScoreEntry& entry,
                         bool editing, char letterAtCursor = '\0');
