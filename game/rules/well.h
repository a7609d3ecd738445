// The board: the well of 12 columns by 20 rows, its settled stack, the falling piece, the
// cells of removed rows in flight, the seven piece shapes and the moves on them.
// Plain data and plain functions; every operation acts on the Well it is given.
#pragma once

#include <array>

constexpr int wellColumns = 12;
constexpr int wellRows = 20;
constexpr int pieceCellCount = 4;
constexpr int shapeCount = 7;   // shapes are numbered 1..shapeCount
constexpr int colourCount = 7;  // colours are numbered 0..colourCount-1

// Settled cells never overlap, so the stack never holds more than the whole well.
constexpr int settledCapacity = wellColumns * wellRows;
// Room for the cells of removed rows still in flight. Removals that follow one another
// within one flight add up; cells beyond this many are left out of the flight.
constexpr int clearedCapacity = wellColumns * wellRows;

// One square of the falling piece, the settled stack or the cleared list. `column` (1..12)
// and `row` (1..20, row 1 at the top) always hold the cell's logical place; each flag and
// progress pair says how the cell is drawn on its way there (flag 1 while it animates,
// progress 0..1).
struct Cell {
    int column = 0;
    int row = 0;
    int colour = 0;  // 0..6: which cell mesh draws it
    int rotating = 0;
    float rotateProgress = 0.0f;
    int movingLeft = 0;
    float leftProgress = 0.0f;
    int movingRight = 0;
    float rightProgress = 0.0f;
    int falling = 0;
    float fallProgress = 0.0f;
};

// The four cells of a piece, in the order of its shape's offsets.
using Piece = std::array<Cell, pieceCellCount>;

// One cell of a shape: columns grow to the right, rows grow downward.
struct CellOffset {
    int column;
    int row;
};

// A shape: four offsets relative to the cell at (0, 0), which comes first.
using PieceShape = std::array<CellOffset, pieceCellCount>;

// The seven shapes; shape s (1..7) is pieceShapes[s - 1]. Shape 7 is the two-by-two square.
extern const std::array<PieceShape, shapeCount> pieceShapes;

// The one well of the game. A value-initialised Well is the well at program start.
struct Well {
    std::array<Cell, settledCapacity> settledCells{};  // the settled stack, in no order
    int settledCount = 0;
    std::array<Cell, clearedCapacity> clearedCells{};  // cells of removed rows in flight
    int clearedCount = 0;
    float clearProgress = 1.0f;  // progress of the flight; 1 when nothing flies
    Piece piece{};               // the falling piece; kept as it was after locking
    Piece candidate{};           // scratch places (column and row) of a move under test
    int pieceActive = 0;         // 1 while a piece falls
    int dropRequested = 0;       // 1 once the player dropped the current piece
};

// True if a settled cell stands at exactly this column and row.
bool isSettledAt(const Well& well, int column, int row);

// True if a cell of `piece` stands at exactly this column and row, whether or not it falls.
bool isPieceAt(const Well& well, int column, int row);

// Places a new piece of `shape` (1..7) with its (0, 0) cell at (column, row). Writes the
// cells in order and stops at the first one that lands on a settled cell: then, as for a
// shape outside 1..7, the piece is not active and the result is false. On success the piece
// is active and any drop request is withdrawn.
bool spawnPiece(Well& well, int shape, int column, int row, int colour);

// Moves the piece one row down, marking its cells as falling; false (nothing changes) if a
// cell would leave the floor or land on a settled cell.
bool stepPieceDown(Well& well);

// The gravity step: floor(fallSpeed / framesPerSecond) single steps when that exceeds 1,
// otherwise one. False as soon as a step is blocked. A frame rate of 0 lets the piece fall
// until it is blocked.
bool fallPiece(Well& well, float fallSpeed, float framesPerSecond);

// Move the piece one column, marking its cells as moving, if every cell stays inside the
// well and off the stack; otherwise nothing changes.
void movePieceLeft(Well& well);
void movePieceRight(Well& well);

// True if every `candidate` place lies inside the well and on no settled cell.
bool isCandidateValid(const Well& well);

// True if no cell of the piece is still animating its last fall.
bool pieceFallFinished(const Well& well);

// Appends the piece's cells to the settled stack and deactivates the piece. Cells that
// would not fit the stack are dropped (this cannot happen while settled cells never overlap).
void lockPiece(Well& well);

// Empties the settled stack; the piece and the cleared list stay as they are.
void clearWell(Well& well);
