// The simulated platform holds the platform contract, and its own test
// machinery (failure injection, scripted message boxes) works.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cctype>

#include "ContractGtest.h"
#include "SimulatedPlatform.h"

namespace tarnivo::test {
namespace {

// An alias in Windows' form for a name that is no 8.3 name (the tree holds
// no two that share one): its first six letters and digits upper-cased,
// "~1", the first three of its extension.
std::string AliasOf(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  const std::size_t base = dot == std::string::npos ? name.size() : dot;
  const auto upper = [&](std::size_t from, std::size_t to, std::size_t most) {
    std::string out;
    for (std::size_t i = from; i < to && out.size() < most; ++i) {
      if (std::isalnum(static_cast<unsigned char>(name[i])) && name[i] > 0)
        out += static_cast<char>(std::toupper(name[i]));
    }
    return out;
  };
  const bool short_name =
      base > 0 && base <= 8 && name.size() - base <= 4 &&
      name.find_first_of(" .+", 0) == (dot == std::string::npos ? std::string::npos : dot);
  if (short_name) return "";
  return upper(0, base, 6) + "~1" +
         (dot == std::string::npos ? "" : "." + upper(dot + 1, name.size(), 3));
}

class SimulatedWorld : public contract::World {
 public:
  SimulatedWorld() {
    p.AddDrive('C');
    p.AddDrive('D');
    p.AddDrive('E', "", false);
    for (const contract::TreeEntry& e : contract::StartingTree()) {
      if (e.twin && !contract::HoldsTwins(contract::Impl::Simulated)) continue;
      const std::string alias = AliasOf(e.path.substr(e.path.rfind('\\') + 1));
      aliases_[e.path] = alias;
      if (e.attributes & contract::kFolder) {
        p.AddFolder(e.path, alias, e.attributes);
      } else {
        p.AddFile(e.path, e.contents, alias, e.attributes);
      }
    }
  }
  FileSystem& Files() override { return p; }
  std::string Here(const std::string& path) override { return path; }
  std::string Alias(const std::string& path) override { return aliases_[path]; }
  std::string Read(const std::string& path) override {
    const auto all = p.Snapshot();  // by stored names, so the spelling counts
    const auto it = all.find(path);
    if (it == all.end()) return "<missing>";
    return it->second.rfind("<dir>", 0) == 0 ? "<folder>" : p.Contents(path);
  }
  SimulatedPlatform p;

 private:
  std::map<std::string, std::string> aliases_;
};

class SimulatedContract : public ::testing::TestWithParam<std::string> {};

TEST_P(SimulatedContract, Holds) {
  contract::ExpectFamily(
      contract::Impl::Simulated, [] { return std::make_unique<SimulatedWorld>(); }, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Table, SimulatedContract, ::testing::ValuesIn(contract::Families()),
                         contract::FamilyName);

TEST(SimulatedPlatform, InjectedFailuresHitTheNthCallOrANamedOperation) {
  SimulatedWorld world;
  SimulatedPlatform& p = world.p;
  p.FailCall(3);
  p.FailOperation("CopyFile", 2);
  EXPECT_NO_THROW(p.CurrentDirectory());
  EXPECT_NO_THROW(p.CopyFile("C:\\Docs\\notes.txt", "D:\\a"));
  EXPECT_THROW(p.DriveList(), PlatformError);                               // call 3
  EXPECT_THROW(p.CopyFile("C:\\Docs\\notes.txt", "D:\\b"), PlatformError);  // second copy
  EXPECT_NO_THROW(p.CopyFile("C:\\Docs\\notes.txt", "D:\\c"));
  EXPECT_FALSE(p.Exists("D:\\b"));
  EXPECT_EQ(p.CallCount(), 5u);
  EXPECT_EQ(p.InjectedFailures(), 2u);
  EXPECT_THROW(p.FailOperation("Format", 1), std::invalid_argument);

  p.FailOperation("Terminate");  // cannot fail
  EXPECT_THROW(p.Terminate(), ProgramEnded);
  EXPECT_TRUE(p.Ended());
  EXPECT_NONFATAL_FAILURE(p.CurrentDirectory(), "called after the program ended");
}

TEST(SimulatedPlatform, MessageBoxesNeedAScriptedAnswerThatFits) {
  SimulatedPlatform p;
  p.Answer(MessageBoxResult::Retry);
  EXPECT_EQ(p.ShowMessage("Drive a: is not ready.", MessageBoxStyle::RetryCancelStop),
            MessageBoxResult::Retry);
  EXPECT_NONFATAL_FAILURE(
      EXPECT_THROW(p.ShowMessage("File not found !!", MessageBoxStyle::OkExclamation),
                   UnscriptedMessage),
      "unscripted message box");
  p.Answer(MessageBoxResult::Yes);
  EXPECT_NONFATAL_FAILURE(
      EXPECT_THROW(p.ShowMessage("Drive a: is not ready.", MessageBoxStyle::RetryCancelStop),
                   UnscriptedMessage),
      "no button");
  EXPECT_EQ(p.Messages().size(), 3u);
}

}  // namespace
}  // namespace tarnivo::test
