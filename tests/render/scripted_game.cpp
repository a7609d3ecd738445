#include "scripted_game.h"

#include "game/rules/rotation.h"

namespace {

constexpr float frameRate = 60.0f;

}  // namespace

void playScriptedFrame(GameSession& session, Well& well, int& screen, int frame,
                       SoundPlayer& sounds) {
    const float appTime = static_cast<float>(frame) / frameRate;
    if (screen != Playing) {
        screen = Playing;
        startGame(session, well, appTime);
    }
    if (well.pieceActive && frame % 23 == 0) {
        rotatePiece(well);
    }
    if (well.pieceActive && frame % 97 == 50) {
        requestDrop(well);
    }
    FrameInput input;
    input.appTime = appTime;
    input.framesPerSecond = frameRate;
    input.leftHeld = (frame / 40) % 3 == 0;
    input.rightHeld = (frame / 40) % 3 == 1;
    input.downHeld = frame % 5 == 0;
    Screen current = static_cast<Screen>(screen);
    advanceGame(session, well, current, input, sounds);
    screen = current;
}

void setUpBusiestFrame(GameSession& session, Well& well) {
    session.gameMode = Original;
    startGame(session, well, 0.0f);
    session.level = 7;
    session.score = 123456;
    session.gameClock = 754;
    session.fallSpeed = 14.0f;
    session.nextShape = 4;
    session.nextColour = 5;
    for (int row = 6; row <= 20; ++row) {
        for (int column = 1; column <= 12; ++column) {
            if ((column + row) % 11 == 0) {
                continue;  // a gap in every row
            }
            Cell& cell = well.settledCells[well.settledCount++];
            cell = Cell{};
            cell.column = column;
            cell.row = row;
            cell.colour = (column * 3 + row) % 7;
        }
    }
    for (int column = 1; column <= 12; ++column) {
        Cell& cell = well.clearedCells[well.clearedCount++];
        cell = Cell{};
        cell.column = column;
        cell.row = 5;
        cell.colour = column % 7;
    }
    well.clearProgress = 0.3f;
    spawnPiece(well, 6, 6, 2, 3);
    for (Cell& cell : well.piece) {
        cell.rotating = 1;
        cell.rotateProgress = 0.4f;
    }
    session.scoreBonus = BonusObject{1, 2, 4, 0};
    session.clearBonus = BonusObject{1, 11, 3, 0};
}
