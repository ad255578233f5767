// The views' logic that needs no display: where each control goes at each
// scale, where Tab goes, what the directory list shows and what Enter does
// there, where the help window goes, how a message reads, and what the
// desktop's resources say about its scale.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <set>

#include "dialog/HelpPlacement.h"
#include "dialog/fltk/Scale.h"
#include "dialog/fltk/ViewModel.h"

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

TEST(ViewScale, XftDpiOfTheResourceDatabaseAndPixelsAtIt) {
  const struct {
    const char* resources;
    int dpi;
  } resources[] = {
      {"", 0},
      {"Xft.antialias:\t1\nXft.dpi:\t144\nXft.hinting:\t1\n", 144},  // as xrdb leaves it
      {"Xft.dpi: 192", 192},
      {"  Xft.dpi :\t120.6 \n", 121},
      {"Xft.dpi:\t96\nXft.dpi:\t192\n", 192},  // the last line counts
      {"Xft.dpi:\t192\nXft.dpi:\tlarge\n", 0},
      {"Xft.dpi:\t48\n", 48},
      {"Xft.dpi:\t960\n", 960},
      {"Xft.dpi:\t47\n", 0},  // out of range: unreadable or larger than any screen
      {"Xft.dpi:\t961\n", 0},
      {"Xft.dpi:\t0\n", 0},
      {"Xft.dpi:\t-192\n", 0},
      {"Xft.dpi:\t1e3\n", 0},
      {"Xft.dpi:\t\n", 0},
      {"Xft.dpi:\tnan\n", 0},
      {"Xft.dpi:\t99999999999999999999999\n", 0},
      {"Emacs.Xft.dpi:\t192\n*dpi:\t192\nXft.dpix:\t192\n! Xft.dpi: 192\n", 0},
  };
  for (const auto& [text, dpi] : resources) EXPECT_EQ(XftDpi(text), dpi) << text;

  const struct {
    int pixels, dpi, scaled;
  } pixels[] = {{11, 96, 11}, {11, 144, 17}, {11, 192, 22}, {16, 120, 20},
                {1, 48, 1},   {-3, 144, -5}, {-3, 96, -3},  {0, 192, 0}};
  for (const auto& [at96, dpi, scaled] : pixels) {
    EXPECT_EQ(ScalePixels(at96, dpi), scaled) << at96 << " at " << dpi;
  }
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

TEST(ViewText, SelectionsAndTypedLettersCountCharacters) {
  struct Offset {
    std::string text;
    int chars;
    int bytes;
  };
  const Offset offsets[] = {
      {"abc", 0, 0}, {"abc", 2, 2}, {"abc", 255, 3}, {"äöü.txt", 2, 4}, {"ä", -1, 0},
  };
  for (const Offset& o : offsets) EXPECT_EQ(ByteOffset(o.text, o.chars), o.bytes) << o.text;

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

}  // namespace
}  // namespace tarnivo::view
