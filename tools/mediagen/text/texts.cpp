// The game information text shown on the information screen (gameinfo.txt) and the help
// page the window menu opens (help.htm).
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "tools/mediagen/media_parts.h"

namespace mediagen {

namespace {

#ifdef _WIN32
constexpr const char* lineEnd = "\r\n";
#else
constexpr const char* lineEnd = "\n";
#endif

// The information screen shows twenty lines inside its panel, without scrolling, and the game
// keeps 49 characters a line, following a line of exactly 49 with an empty one: the whole text
// is written in lines of up to 48 characters to fit those. The rest of what there is to know is
// on the help page.
constexpr std::size_t infoLineWidth = 48;
constexpr std::size_t infoLinesOnScreen = 20;

// A group of lines padded to one width: the game centres each line, so a table lines up only
// when its rows are equally long (the screen font is monospaced).
std::vector<std::string> table(std::vector<std::string> rows) {
    std::size_t width = 0;
    for (const std::string& row : rows) {
        width = std::max(width, row.size());
    }
    for (std::string& row : rows) {
        row.resize(width, ' ');
    }
    return rows;
}

std::vector<std::string> gameInfoLines() {
    std::vector<std::vector<std::string>> blocks = {
        {"KOLVANE 2001: fill whole rows to clear them.",
         "Touch a bonus object with the falling piece."},
        table({"Left, Right    move      Up, keypad 5  turn",
               "Down           faster    Space         drop",
               "Esc, P         pause     Enter         resume"}),
        table({"Pad: d-pad/stick arrows  A Enter, turn  X/Y drop",
               "B Esc  Start pause, resume  Back menu (or Esc)",
               "Name: Up/Down pick, A take, B erase, Start save"}),
        {""},
        table({"Rule set   Fall speed       Bonus objects", "Classic    1 row/s x level  none",
               "Original   2 rows/s x level gold star, crystal",
               "Crazy      3 rows/s x level gold star, crystal"}),
        {"Level up every 90 seconds. Leaving pauses play.", ""},
        table({"Piece lands        5   Level up  50 x old level",
               "1 row            100   2 rows    250", "3 rows           400   4 rows    600",
               "Gold star        500   Crystal   empties well"}),
        {"Ode to Joy (Beethoven), Mountain King (Grieg)"}};
    std::vector<std::string> lines;
    for (const auto& block : blocks) {
        lines.insert(lines.end(), block.begin(), block.end());
    }
    return lines;
}

std::string gameInfoText() {
    std::string text;
    for (const std::string& line : gameInfoLines()) {
        text += line + lineEnd;
    }
    return text;
}

// The help page: one self-contained HTML file with its own style sheet, readable in any
// browser, with or without the game running.
std::string helpPage() {
    return R"HTML(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Kolvane 2001 - Help</title>
<style>
  :root { --ink: #e8ecf4; --muted: #a9b3c7; --gold: #f5c542; --panel: #172238;
          --edge: #2c3d5e; --accent: #58b4ff; --green: #53e08a; }
  * { box-sizing: border-box; }
  body { margin: 0; font: 16px/1.55 "DejaVu Sans", "Segoe UI", Helvetica, Arial, sans-serif;
         color: var(--ink); background: #0b1220 linear-gradient(180deg, #101b33 0, #0b1220 420px)
         no-repeat; }
  header { text-align: center; padding: 40px 16px 24px; }
  header h1 { margin: 0; font-size: 44px; letter-spacing: 6px; color: var(--gold);
              text-shadow: 0 2px 0 #8a6410, 0 6px 18px rgba(245, 197, 66, .35); }
  header h1 span { color: #d9dee8; text-shadow: 0 2px 0 #5d6675; }
  header p { margin: 8px 0 0; color: var(--muted); }
  nav { text-align: center; margin: 0 auto 8px; }
  nav a { display: inline-block; margin: 4px; padding: 4px 12px; border-radius: 14px;
          color: var(--accent); text-decoration: none; border: 1px solid var(--edge); }
  nav a:hover { background: var(--edge); }
  main { max-width: 920px; margin: 0 auto; padding: 0 16px 40px; }
  section { background: var(--panel); border: 1px solid var(--edge); border-radius: 12px;
            padding: 18px 24px; margin: 18px 0; box-shadow: 0 8px 24px rgba(0, 0, 0, .35); }
  h2 { margin: 0 0 10px; font-size: 22px; color: var(--accent); }
  h3 { margin: 16px 0 6px; font-size: 17px; }
  p, li { color: var(--ink); }
  .note { color: var(--muted); font-size: 14px; }
  table { width: 100%; border-collapse: collapse; margin: 8px 0; }
  th, td { text-align: left; padding: 7px 10px; border-bottom: 1px solid var(--edge);
           vertical-align: top; }
  th { color: var(--muted); font-weight: 600; font-size: 14px; text-transform: uppercase;
       letter-spacing: 1px; }
  table.keys td:first-child { white-space: nowrap; width: 200px; }
  td.num { text-align: right; font-variant-numeric: tabular-nums; color: var(--gold);
           white-space: nowrap; }
  kbd { display: inline-block; min-width: 24px; padding: 1px 7px; margin: 1px 0;
        border-radius: 5px; border: 1px solid #55627d; border-bottom-width: 3px;
        background: #24324f; color: #fff; font: 600 13px/1.6 "DejaVu Sans Mono", monospace;
        text-align: center; }
  code { color: var(--green); font-family: "DejaVu Sans Mono", monospace; }
  .grid { display: flex; flex-wrap: wrap; gap: 12px; }
  .card { flex: 1 1 260px; background: #1d2b47; border: 1px solid var(--edge);
          border-radius: 10px; padding: 12px 16px; }
  .card h3 { margin-top: 0; }
  .star { color: var(--gold); }
  .crystal { color: var(--green); }
  footer { text-align: center; color: var(--muted); font-size: 13px; padding: 8px 16px 32px; }
</style>
</head>
<body>
<header>
  <h1>KOLVANE <span>2001</span></h1>
  <p>A 3D falling-blocks puzzle game</p>
</header>
<nav>
  <a href="#play">How to play</a><a href="#keys">Keys</a><a href="#rules">Rule sets</a>
  <a href="#score">Scoring</a><a href="#bonus">Bonus objects</a><a href="#scores">High scores</a>
  <a href="#options">Options</a><a href="#files">Files</a><a href="#credits">Credits</a>
</nav>
<main>

<section id="play">
  <h2>How to play</h2>
  <p>Pieces of four cubes, in seven shapes and seven colours, fall into a well 12 cells wide
  and 20 rows deep. Move and turn each piece as it falls. When a piece can fall no further it
  settles. Every row that is completely filled flies away, and the rows above it drop down.</p>
  <p>The game ends when a new piece has no room at its starting place at the top of the well.
  Beside the well you see your <b>LEVEL</b>, the playing <b>TIME</b>, your <b>SCORE</b> and
  the <b>NEXT</b> piece.</p>
  <p>The level rises every 90 seconds of play, whatever the number of rows you clear, and the
  pieces fall faster with every level.</p>
</section>

<section id="keys">
  <h2>Keys</h2>
  <h3>While playing</h3>
  <table class="keys">
    <tr><th>Key</th><th>Action</th></tr>
    <tr><td><kbd>&larr;</kbd> <kbd>&rarr;</kbd></td><td>Move the piece one column. Hold the
      key to keep moving: the second step follows after 0.35 s, then one every 0.05 s.</td></tr>
    <tr><td><kbd>&uarr;</kbd>, keypad <kbd>5</kbd></td><td>Turn the piece a quarter turn
      clockwise. Every cell of the piece is tried as the pivot, so pieces also turn beside a
      wall or the stack.</td></tr>
    <tr><td><kbd>&darr;</kbd></td><td>Fall faster (35 rows a second) while held. At the highest
      levels of Original and Crazy the normal speed is faster than this.</td></tr>
    <tr><td><kbd>Space</kbd></td><td>Drop the piece (70 rows a second).</td></tr>
    <tr><td><kbd>Esc</kbd> or <kbd>P</kbd></td><td>Pause the game; the clock stops.</td></tr>
  </table>
  <p class="note">The game also pauses itself when you leave its window: when another window
    takes the focus (<kbd>Alt</kbd>+<kbd>Tab</kbd>, a click elsewhere) or the window is
    minimised. Coming back, you find it paused; <kbd>Enter</kbd> resumes.</p>
  <h3>Paused and game over</h3>
  <table class="keys">
    <tr><th>Key</th><th>Action</th></tr>
    <tr><td><kbd>Enter</kbd></td><td>Resume the paused game.</td></tr>
    <tr><td><kbd>Esc</kbd></td><td>Leave the paused game for the main menu (no high score is
      recorded).</td></tr>
    <tr><td>any key</td><td>After <i>Game over</i>: go on to the high scores if your score
      made the table, otherwise back to the main menu.</td></tr>
  </table>
  <h3>Menus and lists</h3>
  <table class="keys">
    <tr><th>Key</th><th>Action</th></tr>
    <tr><td><kbd>&uarr;</kbd> <kbd>&darr;</kbd></td><td>Choose a menu item; on the high-score
      screen, show the table of the previous or next rule set.</td></tr>
    <tr><td><kbd>Enter</kbd></td><td>Confirm the highlighted item; leave the high-score and
      game-information screens.</td></tr>
    <tr><td><kbd>Esc</kbd></td><td>Back to the main menu. On the main menu itself it moves the
      highlight to <i>Exit</i>; press <kbd>Enter</kbd> to quit.</td></tr>
    <tr><td><kbd>Alt</kbd>+<kbd>Enter</kbd></td><td>Switch between window and full
      screen.</td></tr>
    <tr><td><kbd>F2</kbd></td><td>Open <i>Change video mode...</i>, as the menu item
      does.</td></tr>
  </table>
</section>

<section id="gamepad">
  <h2>Gamepad</h2>
  <p>Any common gamepad works beside the keyboard, in play and on every screen, and may be
  plugged in while the game runs; with several connected, any of them plays. Pulling out a pad
  during play pauses the game, as leaving the window does.</p>
  <table class="keys">
    <tr><th>Button</th><th>Action</th></tr>
    <tr><td>D-pad or left stick</td><td>The arrow keys: move, turn (up) and fall faster
      (down) in play, held as a key is held; on the menus a held direction repeats.</td></tr>
    <tr><td><kbd>A</kbd></td><td>Turn the piece in play; <kbd>Enter</kbd> on the menus and
      when paused.</td></tr>
    <tr><td><kbd>X</kbd> or <kbd>Y</kbd></td><td>Drop the piece (<kbd>Space</kbd>).</td></tr>
    <tr><td><kbd>B</kbd></td><td><kbd>Esc</kbd>: pause, back to the main menu.</td></tr>
    <tr><td><kbd>Start</kbd></td><td>Pause the game (<kbd>P</kbd>) and resume it
      (<kbd>Enter</kbd>); <kbd>Enter</kbd> on the menus.</td></tr>
    <tr><td><kbd>Back</kbd></td><td>Open <i>Options</i> on the menu bar; in full screen, where
      there is no menu bar, <kbd>Esc</kbd>. In an open menu or the <i>Select Device</i> dialog
      the d-pad moves, <kbd>A</kbd> takes the highlighted item or control, <kbd>Start</kbd> is
      <kbd>Enter</kbd> and <kbd>B</kbd> or <kbd>Back</kbd> closes.</td></tr>
  </table>
  <p>To enter your name with the pad: <kbd>Up</kbd> and <kbd>Down</kbd> run through the
  letters A&ndash;Z, the digits and the blank at the cursor, which shows the letter chosen;
  <kbd>Right</kbd> or <kbd>A</kbd> takes it and moves on, <kbd>Left</kbd> or <kbd>B</kbd>
  erases the last character and <kbd>Start</kbd> saves the table.</p>
</section>

<section id="rules">
  <h2>Rule sets</h2>
  <p>Choose <i>New game</i> on the main menu, then a rule set.</p>
  <table>
    <tr><th>Rule set</th><th>Fall speed</th><th>Bonus objects</th></tr>
    <tr><td><b>Classic</b></td><td>1 &times; level rows a second</td><td>none</td></tr>
    <tr><td><b>Original</b></td><td>2 &times; level rows a second</td>
      <td><span class="star">gold star</span> and <span class="crystal">green crystal</span></td></tr>
    <tr><td><b>Crazy</b></td><td>3 &times; level rows a second</td>
      <td><span class="star">gold star</span> and <span class="crystal">green crystal</span></td></tr>
  </table>
</section>

<section id="score">
  <h2>Scoring</h2>
  <table>
    <tr><th>Event</th><th style="text-align:right">Points</th></tr>
    <tr><td>A piece settles</td><td class="num">5</td></tr>
    <tr><td>1 row cleared at once</td><td class="num">100</td></tr>
    <tr><td>2 rows at once</td><td class="num">250</td></tr>
    <tr><td>3 rows at once</td><td class="num">400</td></tr>
    <tr><td>4 rows at once</td><td class="num">600</td></tr>
    <tr><td>A new level (every 90 seconds)</td><td class="num">50 &times; the level just
      finished</td></tr>
    <tr><td>Collecting the gold star</td><td class="num">500</td></tr>
    <tr><td>Collecting the green crystal</td><td class="num">0 &ndash; the well is
      emptied</td></tr>
  </table>
  <p class="note">So reaching level 2 gives 50 points, level 3 another 100, and so on.</p>
</section>

<section id="bonus">
  <h2>Bonus objects</h2>
  <p>In the Original and Crazy rule sets, spinning bonus objects appear inside the well.
  Collect one by covering it with a cell of the falling piece.</p>
  <div class="grid">
    <div class="card"><h3 class="star">&#9733; Gold star</h3>
      <p>Worth 500 points. It may appear once more than 15 seconds of play have passed since
      the last one came or went (one chance in four each time).</p></div>
    <div class="card"><h3 class="crystal">&#9670; Green crystal</h3>
      <p>Empties the whole well at once (no points for the rows). It may appear once more than
      150 seconds have passed since the last one (one chance in two).</p></div>
  </div>
  <p>A bonus object stays for about 11 seconds and then vanishes. A chime sounds when it
  appears and when it vanishes; a bright arpeggio when you collect it.</p>
</section>

<section id="scores">
  <h2>High scores</h2>
  <p>Each rule set keeps its own table of the ten best scores. When your score enters the
  table, type your name: letters <kbd>A</kbd>&ndash;<kbd>Z</kbd>, digits and the blank, up to
  16 characters. <kbd>Backspace</kbd> erases the last character and <kbd>Enter</kbd> saves the
  table. A score equal to one already in the table ranks below it.</p>
</section>

<section id="options">
  <h2>Options</h2>
  <p>The menu bar at the top of the window (shown when the game runs in a window) holds:</p>
  <table>
    <tr><th>Menu item</th><th>What it does</th></tr>
    <tr><td>Options &rsaquo; Change video mode...</td><td>Choose the display adapter, the
      device and the display mode, windowed or full screen.</td></tr>
    <tr><td>Options &rsaquo; Dynamic/static background</td><td>Switch between the scrolling
      background and a still picture.</td></tr>
    <tr><td>Options &rsaquo; Music on/off</td><td>Switch the music on or off. The menus have
      their own tune; each game picks one of three game tunes at random.</td></tr>
    <tr><td>Help</td><td>Open this page.</td></tr>
  </table>
  <p>From the keyboard, <kbd>Alt</kbd> opens <i>Options</i>; the arrow keys move,
    <kbd>Enter</kbd> or <kbd>Space</kbd> takes the highlighted item and <kbd>Esc</kbd> closes
    the menu. In the <i>Select Device</i> dialog <kbd>Tab</kbd> and <kbd>Shift</kbd>+<kbd>Tab</kbd>
    go from control to control, the arrow keys too and within a group of choices,
    <kbd>Space</kbd> works the one highlighted, <kbd>Enter</kbd> works the highlighted button
    (OK when no button is highlighted) and <kbd>Esc</kbd> is Cancel (or, in an open list, takes
    the item or shuts the list).</p>
  <p class="note">Both options are remembered from one run of the game to the next.</p>
</section>

<section id="files">
  <h2>Files</h2>
  <p>Installed, the game keeps each player's scores and options in that player's own folder,
    <code>~/.local/share/kolvane/</code> (or <code>$XDG_DATA_HOME/kolvane/</code>), and its
    other files in <code>/usr/share/games/kolvane/</code>. Run from its build tree, it keeps
    all of them in the folder it runs in.</p>
  <table>
    <tr><th>File</th><th>Holds</th></tr>
    <tr><td><code>scores.dat</code></td><td>The high-score tables (text; delete it to start
      afresh).</td></tr>
    <tr><td><code>options.dat</code></td><td>The two options: background and music.</td></tr>
    <tr><td><code>gameinfo.txt</code></td><td>The text of the <i>Game information</i>
      screen.</td></tr>
    <tr><td><code>help.htm</code></td><td>This page.</td></tr>
    <tr><td><code>Graphics/</code></td><td>Pictures (BMP) and 3D models (.x) of the
      game.</td></tr>
    <tr><td><code>Sound/</code></td><td>Sound effects (WAV) and music (MIDI).</td></tr>
  </table>
</section>

<section id="credits">
  <h2>Music</h2>
  <table>
    <tr><th>Tune</th><th>Played</th><th>Music by</th></tr>
    <tr><td>Evening Well</td><td>on the menus</td><td>original, written for Kolvane</td></tr>
    <tr><td>Neon Drop</td><td>in game</td><td>original, written for Kolvane</td></tr>
    <tr><td>Ode to Joy</td><td>in game</td><td>Ludwig van Beethoven (Symphony No. 9),
      arranged for Kolvane</td></tr>
    <tr><td>In the Hall of the Mountain King</td><td>in game</td><td>Edvard Grieg (Peer Gynt),
      arranged for Kolvane</td></tr>
  </table>
  <p class="note">All pictures, models, sounds and music of the game are made by its own
  generator.</p>
</section>

</main>
<footer>Kolvane 2001 &middot; Have fun!</footer>
</body>
</html>
)HTML";
}

// The page with the platform's line ends.
std::string withLineEnds(const std::string& text) {
    std::string converted;
    for (char c : text) {
        if (c == '\n') {
            converted += lineEnd;
        } else {
            converted += c;
        }
    }
    return converted;
}

bool writeText(const std::filesystem::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        std::fprintf(stderr, "mediagen: cannot write %s\n", file.string().c_str());
        return false;
    }
    return true;
}

// The empty line the game reads after the final line end shows nothing, so it may fall below
// the panel.
bool fitsInfoScreen(const std::vector<std::string>& lines) {
    const bool narrow = std::all_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.size() <= infoLineWidth;
    });
    if (!narrow || lines.size() > infoLinesOnScreen) {
        std::fprintf(stderr, "mediagen: gameinfo.txt does not fit the information screen\n");
        return false;
    }
    return true;
}

}  // namespace

bool writeTexts(const std::filesystem::path& runDir) {
    std::error_code error;
    std::filesystem::create_directories(runDir, error);
    const bool infoFits = fitsInfoScreen(gameInfoLines());
    bool ok = infoFits && writeText(runDir / "gameinfo.txt", gameInfoText());
    ok = writeText(runDir / "help.htm", withLineEnds(helpPage())) && ok;
    return ok;
}

}  // namespace mediagen
