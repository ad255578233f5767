#include <gtest/gtest.h>

#include "SimulatedPlatform.h"
#include "paths/PathText.h"
#include "text/Text.h"

namespace tarnivo {
namespace {

using test::SimulatedPlatform;

std::string Repeat(const std::string& piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

const std::string kE = "é";  // two bytes, one character

TEST(PathText, FilePathAndFileTitleSplitAtTheLastBackslash) {
  const struct {
    std::string path, folder, title;
  } cases[] = {
      {"C:\\Dir\\File.txt", "C:\\Dir\\", "File.txt"},
      {"C:\\File.txt", "C:\\", "File.txt"},
      {"File.txt", "", "File.txt"},
      {"C:\\Dir\\", "C:\\Dir\\", ""},
      {"\\\\server\\public\\a.doc", "\\\\server\\public\\", "a.doc"},
      {"C:\\Ärger\\öl.txt", "C:\\Ärger\\", "öl.txt"},
      // After each backslash only the next 200 characters are searched.
      {"C:\\" + Repeat("a", 199) + "\\x", "C:\\" + Repeat("a", 199) + "\\", "x"},
      {"C:\\" + Repeat("a", 200) + "\\x", "C:\\", "x"},
      {"C:\\" + Repeat(kE, 199) + "\\x", "C:\\" + Repeat(kE, 199) + "\\", "x"},
      {"C:\\" + Repeat(kE, 200) + "\\x\\y", "C:\\", "y"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(FilePath(c.path), c.folder);
    EXPECT_EQ(FileTitle(c.path), c.title);
  }
}

TEST(PathText, KorteFileNameDropsLeadingFoldersUntilNarrowerThanTheLabel) {
  // 100 twips per character: a label of 2000 twips holds up to 19 characters.
  const struct {
    std::string path;
    int label;
    std::string shown;
  } cases[] = {
      {"C:\\Dir\\File.txt", 2000, "C:\\Dir\\File.txt"},
      // Candidates measure 2700, 2600, 2100 and 1500; one as wide as the label is dropped too.
      {"C:\\Very\\Long\\Chain\\File.txt", 2000, "C:\\...\\File.txt"},
      {"C:\\Very\\Long\\Chain\\File.txt", 2100, "C:\\...\\File.txt"},
      {"C:\\Very\\Long\\Chain\\File.txt", 2101, "C:\\...\\Chain\\File.txt"},
      {"C:\\Very\\Long\\Chain\\File.txt", 2600, "C:\\...\\Chain\\File.txt"},
      {"C:\\Very\\Long\\Chain\\File.txt", 2700, "C:\\...\\Long\\Chain\\File.txt"},
      {"C:\\Very\\Long\\Chain\\File.txt", 2701, "C:\\Very\\Long\\Chain\\File.txt"},
      {"C:\\Dir\\A rather long file name.txt", 1000, "C:\\...\\A rather long file name.txt"},
      {"C:\\A rather long file name.txt", 1000, "C:\\A rather long file name.txt"},
      {"C:\\Ärger\\Bücher\\öl.txt", 2001, "C:\\...\\Bücher\\öl.txt"},
      // Only 200 characters after the root are ever shown.
      {"C:\\" + Repeat(kE, 250), 100000, "C:\\" + Repeat(kE, 200)},
      {"C:\\" + Repeat("d\\", 150) + "f.txt", 100000, "C:\\" + Repeat("d\\", 100)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path + " in " + std::to_string(c.label));
    SimulatedPlatform platform;
    EXPECT_EQ(KorteFileName(platform, c.path, c.label), c.shown);
  }
}

TEST(PathText, KorteFileNameMeasuresWithThePlatform) {
  SimulatedPlatform platform;
  platform.SetMeasure([](const std::string& text) { return text.size() > 12 ? 5000 : 3135; });
  // Every candidate is as wide as the label: all folders go, the name stays.
  EXPECT_EQ(KorteFileName(platform, "C:\\a\\b\\c.txt", 3135), "C:\\...\\c.txt");
  EXPECT_GE(platform.CallsOf("MeasureTextWidth"), 3u);
}

}  // namespace
}  // namespace tarnivo
