// The views' logic that needs no display: where each control goes at each
// scale and the scale at which the desktop's font fits, what the directory
// list shows and what Enter does there, where the help window goes, how
// captions, messages and the help text read.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <set>

#include "dialog/DirListModel.h"
#include "dialog/HelpPlacement.h"
#include "dialog/gtk/HelpText.h"
#include "dialog/gtk/ViewModel.h"

namespace tarnivo::view {
namespace {

TEST(ViewLayout, ControlsLandOnWholePixelsInsideTheirParents) {
  struct Case {
    ControlId id;
    Rect expected;
  };
  const Case cases[] = {
      {ControlId::optCopy, {8, 8, 57, 17}},     {ControlId::lblFileName, {8, 28, 209, 17}},
      {ControlId::optDrive, {8, 50, 65, 17}},   {ControlId::optNetwork, {8, 72, 65, 17}},
      {ControlId::lstDrive, {80, 48, 161, 21}}, {ControlId::txtNetwork, {80, 72, 161, 19}},
      {ControlId::lstDir, {8, 96, 233, 126}},   {ControlId::txtFileName, {32, 232, 209, 19}},
      {ControlId::cmdOK, {8, 256, 73, 25}},     {ControlId::cmdHelp, {168, 256, 73, 25}},
  };
  for (const Case& c : cases) {
    const Rect r = ControlRect(Control(c.id));
    EXPECT_EQ(r, c.expected) << Control(c.id).name;
  }

  EXPECT_EQ(ControlRect(Control(ControlId::cmdOK), 192), (Rect{16, 512, 146, 50}));

  // At every scale, whole or fractional: the window is the table's size,
  // each control stays within a pixel of its exact place and size and
  // inside its parent, and controls apart in twips stay apart (the same
  // gap to the right or below, whatever the rounding).
  const struct {
    int dpi;
    Rect client;
  } scales[] = {{96, {0, 0, 246, 286}},  {120, {0, 0, 308, 358}}, {144, {0, 0, 369, 429}},
                {168, {0, 0, 431, 501}}, {192, {0, 0, 492, 572}}, {288, {0, 0, 738, 858}}};
  for (const auto& [dpi, client] : scales) {
    SCOPED_TRACE(dpi);
    EXPECT_EQ(ClientRect(dpi), client);
    const double exact = dpi / 1440.0;
    const Rect frame = ControlRect(Control(ControlId::fraDrive), dpi);
    for (const ControlRow& row : kControls) {
      const Rect r = ControlRect(row, dpi);
      const Rect parent = row.in_frame ? frame : client;
      const int left = row.left + (row.in_frame ? Control(ControlId::fraDrive).left : 0);
      EXPECT_LE(std::abs(r.x - left * exact), 0.5) << row.name;
      EXPECT_LT(std::abs(r.w - row.width * exact), 1.0) << row.name;
      EXPECT_LT(std::abs(r.h - row.height * exact), 1.0) << row.name;
      EXPECT_TRUE(r.x >= parent.x && r.y >= parent.y && r.x + r.w <= parent.x + parent.w &&
                  r.y + r.h <= parent.y + parent.h)
          << row.name;
      for (const ControlRow& other : kControls) {
        const Rect o = ControlRect(other, dpi);
        if (other.in_frame != row.in_frame) continue;
        if (other.left >= row.left + row.width) {
          EXPECT_GE(o.x, r.x + r.w) << row.name << " " << other.name;
        }
        if (other.top >= row.top + row.height) {
          EXPECT_GE(o.y, r.y + r.h) << row.name << " " << other.name;
        }
      }
    }
  }
}

TEST(ViewScale, PixelsAtTheDesktopsDpiAndTheLayoutThatFitsItsFont) {
  const struct {
    int pixels, dpi, scaled;
  } pixels[] = {{11, 96, 11}, {11, 144, 17}, {11, 192, 22}, {16, 120, 20},
                {1, 48, 1},   {-3, 144, -5}, {-3, 96, -3},  {0, 192, 0}};
  for (const auto& [at96, dpi, scaled] : pixels) {
    EXPECT_EQ(ScalePixels(at96, dpi), scaled) << at96 << " at " << dpi;
  }
  EXPECT_EQ(PixelsToTwips(209, 96), 3135);
  EXPECT_EQ(PixelsToTwips(418, 192), 3135);
  EXPECT_EQ(PixelsToTwips(230, 105), 3154);

  // The layout grows from the desktop's dpi until every text fits, and only
  // as far as the most demanding one needs.
  const ControlRow& network = Control(ControlId::optNetwork);
  const ControlRow& ok = Control(ControlId::cmdOK);
  const struct {
    const char* what;
    int dpi;
    std::vector<PixelNeed> needs;
    int fit;
  } fits[] = {
      {"nothing to fit", 96, {}, 96},
      {"fits already", 144, {WidthNeed(network, 90), HeightNeed(ok, 30)}, 144},
      {"a caption wider than its button", 96, {WidthNeed(network, 71)}, 105},
      {"the widest need wins", 96, {WidthNeed(network, 71), HeightNeed(ok, 40)}, 152},
      {"a folder line", 96, {{0, kDirLineTwips, 17}}, 99},
      {"never past four times", 96, {WidthNeed(network, 10000)}, 384},
  };
  for (const auto& f : fits) EXPECT_EQ(FitDpi(f.dpi, f.needs), f.fit) << f.what;
  // A control in the frame is measured where it stands in the window.
  EXPECT_EQ(WidthNeed(network, 5).from, 120);
  EXPECT_EQ(HeightNeed(network, 5).to, 1335);
}

TEST(ViewDirList, ShowsTheWayToTheFolderThenItsSubfolders) {
  struct Case {
    std::string folder;
    std::vector<std::string> subfolders;
    std::vector<DirLine> lines;
    int current;
  };
  const Case cases[] = {
      {"C:\\",
       {"Data", "Users"},
       {{"c:\\", "C:\\", 0, true},
        {"Data", "C:\\Data", 1, false},
        {"Users", "C:\\Users", 1, false}},
       0},
      {"D:\\Backup\\Old",
       {"2023"},
       {{"d:\\", "D:\\", 0, true},
        {"Backup", "D:\\Backup", 1, true},
        {"Old", "D:\\Backup\\Old", 2, true},
        {"2023", "D:\\Backup\\Old\\2023", 3, false}},
       2},
      {"\\\\nas\\share\\x",
       {},
       {{"\\\\nas\\share", "\\\\nas\\share", 0, true}, {"x", "\\\\nas\\share\\x", 1, true}},
       1},
      {"\\\\nas\\share",
       {"in"},
       {{"\\\\nas\\share", "\\\\nas\\share", 0, true}, {"in", "\\\\nas\\share\\in", 1, false}},
       0},
      {"É:\\Ärger", {}, {{"é:\\", "É:\\", 0, true}, {"Ärger", "É:\\Ärger", 1, true}}, 1},
      {"", {"x"}, {}, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DirLines(c.folder, c.subfolders), c.lines) << c.folder;
    EXPECT_EQ(CurrentDirLine(c.lines), c.current) << c.folder;
  }
}

TEST(ViewDirList, EnterOpensAHighlightedFolderAndOnTheOpenOnePressesOK) {
  // d:\, Backup (open), Old: Enter on the open folder or on no line is OK.
  const std::vector<DirLine> lines = DirLines("D:\\Backup", {"Old"});
  const struct {
    int highlighted;
    DirListEnter action;
  } cases[] = {
      {0, DirListEnter::OpenHighlighted}, {1, DirListEnter::PressOK},
      {2, DirListEnter::OpenHighlighted}, {-1, DirListEnter::PressOK},
      {3, DirListEnter::PressOK},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EnterInDirList(lines, c.highlighted), c.action) << c.highlighted;
  }
  EXPECT_EQ(EnterInDirList({}, 0), DirListEnter::PressOK);
}

TEST(ViewHelpWindow, CoversNothingWhereThereIsRoomElseLeavesTheButtonsVisible) {
  const struct {
    const char* screen;
    ScreenRect work, dialog, help;
  } cases[] = {
      {"wide", {0, 0, 1920, 1080}, {836, 397, 248, 286}, {1100, 397, 480, 460}},
      {"dialog at the right", {0, 0, 1920, 1080}, {1660, 700, 248, 286}, {1164, 620, 480, 460}},
      {"1024x768", {0, 0, 1024, 768}, {388, 241, 248, 286}, {652, 241, 372, 460}},
      {"640x480", {0, 0, 640, 480}, {196, 97, 248, 286}, {160, 0, 480, 337}},
  };
  for (const auto& c : cases) {
    // The buttons' row lies 256 pixels down the dialog, 25 high.
    const ScreenRect buttons{c.dialog.x + 8, c.dialog.y + 256, 233, 25};
    EXPECT_EQ(PlaceHelpWindow(c.work, c.dialog, buttons, 480, 460, 320, 16), c.help) << c.screen;
  }
}

TEST(ViewText, MnemonicsAndTypedLetters) {
  const struct {
    const char* caption;
    const char* mnemonic;
  } captions[] = {
      {"&Copy", "_Copy"}, {"OK", "OK"},     {"a && b", "a & b"}, {"snake_case", "snake__case"},
      {"&as", "_as"},     {"end&", "end&"},
  };
  for (const auto& c : captions) EXPECT_EQ(MnemonicCaption(c.caption), c.mnemonic) << c.caption;

  const std::vector<std::string> drives = {"c: [/]", "d: [usb]", "e: [Data]", "ä: [x]"};
  struct Jump {
    int after;
    std::string key;
    int line;
  };
  const Jump jumps[] = {
      {0, "d", 1}, {0, "D", 1}, {1, "d", 1}, {2, "c", 0}, {-1, "c", 0}, {0, "Ä", 3}, {0, "z", -1},
  };
  for (const Jump& j : jumps) {
    EXPECT_EQ(NextLineStartingWith(drives, j.after, j.key), j.line)
        << j.key << " after " << j.after;
  }
}

TEST(ViewMessage, CarriageReturnsBreakLinesAndCtrlCCopiesTheBox) {
  EXPECT_EQ(MessageLines("File not found !!"), "File not found !!");
  EXPECT_EQ(MessageLines("The destination file already exits.\rOverwrite ?"),
            "The destination file already exits.\nOverwrite ?");
  EXPECT_EQ(MessageLines("a\r\nb\r"), "a\nb\n");

  EXPECT_EQ(MessageClipboardText("Tarnivo", "Drive e: is not ready.", {"&Retry", "Cancel"}),
            "---------------------------\nTarnivo\n---------------------------\n"
            "Drive e: is not ready.\n---------------------------\n"
            "Retry   Cancel   \n---------------------------\n");
}

TEST(ViewHelpText, HtmlBecomesLinesWithStyledSpans) {
  using enum HelpStyle;
  const struct {
    const char* html;
    HelpDocument doc;
  } cases[] = {
      {"<html><head><title>Tarnivo  Help</title></head><body><p>a\n  <b>b</b> c</p></body>",
       {"Tarnivo Help", "a b c", {{Bold, 2, 3, ""}}, {}}},
      {"<h2><a name=\"top\">Tarnivo</a></h2><p>One.</p><h3>Keys</h3>",
       {"",
        "Tarnivo\n\nOne.\n\nKeys",
        {{Heading, 0, 7, ""}, {Subheading, 15, 19, ""}},
        {{"top", 0}}}},
      {"<p><b>OK</b><ul>Copies\nthe file.</ul></p><p>x</p>",
       {"", "OK\nCopies the file.\n\nx", {{Bold, 0, 2, ""}, {Indent, 3, 19, ""}}, {}}},
      {"<table><tr><td>Alt+C</td><td>Copy</td></tr>\n<tr><td>Esc</td> "
       "<td><tt>Cancel</tt></td></tr></table>",
       {"", "Alt+C\tCopy\nEsc\tCancel", {{Code, 15, 21, ""}, {Table, 0, 21, ""}}, {}}},
      {"<a href=\"#keys\">Keys</a> &middot; &amp;&lt;&#65;&#x42;&bogus; a<br>b",
       {"", "Keys \u00b7 &<AB&bogus; a\nb", {{Link, 0, 4, "keys"}}, {}}},
      {"plain <i>kept</i> <a href=\"http://x\">out</a>", {"", "plain kept out", {}, {}}},
  };
  for (const auto& c : cases) {
    const HelpDocument doc = ParseHelp(c.html);
    EXPECT_EQ(doc.title, c.doc.title) << c.html;
    EXPECT_EQ(doc.text, c.doc.text) << c.html;
    EXPECT_EQ(doc.spans, c.doc.spans) << c.html;
    EXPECT_EQ(doc.anchors, c.doc.anchors) << c.html;
  }
}

}  // namespace
}  // namespace tarnivo::view
