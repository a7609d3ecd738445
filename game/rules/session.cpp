#include "game/rules/session.h"

#include "game/rules/random.h"
#include "game/rules/rows.h"

#include <iterator>

namespace {

// How a bonus object comes and goes; the two objects differ only in these numbers.
struct BonusRules {
    int quietSeconds;  // seconds after its last event before a chance to appear
    int chanceOneIn;   // it appears with chance 1 in this many
};

constexpr BonusRules scoreBonusRules{.quietSeconds = 15, .chanceOneIn = 4};
constexpr BonusRules clearBonusRules{.quietSeconds = 150, .chanceOneIn = 2};
constexpr int levelPointsPerLevel = 50;  // times the number of the level that ends
constexpr int bonusLifeSeconds = 10;
constexpr int bonusPlacementAttempts = 10;
constexpr int bonusLowestRowOffset = 2;  // bonus rows are 3..20

float normalFallSpeed(const GameSession& session) {
    return static_cast<float>(session.gameMode + 1) * static_cast<float>(session.level);
}

void advanceClockAndLevel(GameSession& session, float appTime) {
    session.gameClock = static_cast<int>(appTime - session.gameStartTime);
    const int newLevel = session.gameClock / levelLength + 1;
    // A long stall between two frames can end several levels at once; each one pays.
    for (int ended = session.level; ended < newLevel; ++ended) {
        session.score += levelPointsPerLevel * ended;
    }
    session.level = newLevel;
}

bool isBonusPlaceFree(const Well& well, const BonusObject& other, int column, int row) {
    if (other.active && other.column == column && other.row == row) {
        return false;
    }
    return !isSettledAt(well, column, row) && !isPieceAt(well, column, row);
}

void tryBonusAppearance(BonusObject& bonus, const BonusObject& other, const BonusRules& rules,
                        const Well& well, int gameClock, SoundPlayer& sounds) {
    if (randomInRange(1, rules.chanceOneIn) == 1) {
        for (int attempt = 0; attempt < bonusPlacementAttempts; ++attempt) {
            const int column = randomInRange(1, wellColumns);
            const int row =
                randomInRange(1, wellRows - bonusLowestRowOffset) + bonusLowestRowOffset;
            if (isBonusPlaceFree(well, other, column, row)) {
                bonus.active = 1;
                sounds.playSound(SoundBonusAppearsOrVanishes);
                bonus.column = column;
                bonus.row = row;
                break;
            }
        }
    }
    bonus.bonusMark = gameClock;
}

// One frame of a bonus object's life. Returns true when the falling piece collected it.
bool advanceBonus(BonusObject& bonus, const BonusObject& other, const BonusRules& rules,
                  const GameSession& session, const Well& well, SoundPlayer& sounds) {
    const int clock = session.gameClock;
    if (!bonus.active) {
        const bool mayAppear = session.gameMode > Classic;
        if (!mayAppear || clock - bonus.bonusMark <= rules.quietSeconds) {
            return false;
        }
        tryBonusAppearance(bonus, other, rules, well, clock, sounds);
        if (!bonus.active) {
            return false;
        }
    }
    if (clock - bonus.bonusMark > bonusLifeSeconds) {
        bonus.active = 0;
        sounds.playSound(SoundBonusAppearsOrVanishes);
        bonus.bonusMark = clock;
        return false;
    }
    if (isPieceAt(well, bonus.column, bonus.row)) {
        bonus.active = 0;
        sounds.playSound(SoundBonusCollected);
        bonus.bonusMark = clock;
        return true;
    }
    return false;
}

void advanceBonuses(GameSession& session, Well& well, SoundPlayer& sounds) {
    if (advanceBonus(session.scoreBonus, session.clearBonus, scoreBonusRules, session, well,
                     sounds)) {
        session.score += scoreBonusPoints;
    }
    if (advanceBonus(session.clearBonus, session.scoreBonus, clearBonusRules, session, well,
                     sounds)) {
        clearWell(well);
    }
}

int drawShape() {
    return 1 + scaledDraw(shapeCount);
}
int drawColour() {
    return scaledDraw(colourCount);
}

// The next piece comes from the preview, and a fresh preview is drawn.
void choosePieces(GameSession& session) {
    const bool previewShapeValid = session.nextShape >= 1 && session.nextShape <= shapeCount;
    session.currentShape = previewShapeValid ? session.nextShape : drawShape();
    session.nextShape = drawShape();
    const bool previewColourValid = session.nextColour >= 0 && session.nextColour < colourCount;
    session.currentColour = previewColourValid ? session.nextColour : drawColour();
    session.nextColour = drawColour();
}

void placeNextPiece(GameSession& session, Well& well, Screen& screen, SoundPlayer& sounds) {
    choosePieces(session);
    session.fallSpeed = normalFallSpeed(session);
    if (!spawnPiece(well, session.currentShape, spawnColumn, spawnRow, session.currentColour)) {
        screen = GameOver;
        sounds.playSound(SoundGameOver);
    }
}

void advanceGravity(GameSession& session, Well& well, Screen& screen, float appTime,
                    SoundPlayer& sounds) {
    if (!(1.0f / session.fallSpeed < appTime - session.lastFallTime)) {
        return;
    }
    session.lastFallTime = appTime;
    if (!well.pieceActive) {
        placeNextPiece(session, well, screen, sounds);
        return;
    }
    if (!fallPiece(well, session.fallSpeed, session.framesPerSecond) && pieceFallFinished(well)) {
        sounds.playSound(SoundPieceLocked);
        lockPiece(well);
        session.score += lockPoints;
    }
}

void scoreFullRows(GameSession& session, Well& well, SoundPlayer& sounds) {
    const int rows = clearFullRows(well);
    if (rows > 0) {
        sounds.playSound(SoundRowsRemoved);
    }
    if (rows > 0 && rows < static_cast<int>(std::size(rowPoints))) {
        session.score += rowPoints[rows];
    }
}

// Whether a held arrow key moves the piece in this frame; advances its repeat state if so.
bool keyRepeatDue(KeyRepeat& repeat, bool held, float appTime) {
    if (!held) {
        repeat.repeatCount = 0;
        return false;
    }
    const float sinceLastMove = appTime - repeat.lastMoveTime;
    const float wait = repeat.repeatCount == 1 ? repeatDelay + repeatInterval : repeatInterval;
    if (!(sinceLastMove > wait)) {
        return false;
    }
    ++repeat.repeatCount;
    repeat.lastMoveTime = appTime;
    return true;
}

void advanceSidewaysKeys(GameSession& session, Well& well, const FrameInput& input) {
    if (keyRepeatDue(session.leftRepeat, input.leftHeld, input.appTime) && well.pieceActive) {
        movePieceLeft(well);
    }
    if (keyRepeatDue(session.rightRepeat, input.rightHeld, input.appTime) && well.pieceActive) {
        movePieceRight(well);
    }
}

void chooseFallSpeed(GameSession& session, const Well& well, bool downHeld) {
    session.fallSpeed = downHeld ? softDropSpeed : normalFallSpeed(session);
    if (well.dropRequested) {
        session.fallSpeed = dropSpeed;
    }
}

}  // namespace

GameSession initialGameSession(float appTime) {
    GameSession session;
    session.gameStartTime = appTime;
    session.lastFallTime = appTime;
    return session;
}

void startGame(GameSession& session, Well& well, float appTime) {
    session.gameStartTime = appTime;
    session.score = 0;
    session.level = 1;
    session.scoreBonus.active = 0;
    session.scoreBonus.bonusMark = 0;
    session.clearBonus.active = 0;
    session.clearBonus.bonusMark = 0;
    session.fallSpeed = normalFallSpeed(session);
    well.pieceActive = 0;
    clearWell(well);
}

void requestDrop(Well& well) {
    well.dropRequested = 1;
}

void advanceGame(GameSession& session, Well& well, Screen& screen, const FrameInput& input,
                 SoundPlayer& sounds) {
    session.framesPerSecond = input.framesPerSecond;
    if (screen != Playing) {
        return;
    }
    advanceClockAndLevel(session, input.appTime);
    advanceBonuses(session, well, sounds);
    advanceGravity(session, well, screen, input.appTime, sounds);
    scoreFullRows(session, well, sounds);
    advanceSidewaysKeys(session, well, input);
    chooseFallSpeed(session, well, input.downHeld);
}
