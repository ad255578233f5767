// The POSIX layer holds the platform contract on real folders.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <stdexcept>

#include "ContractGtest.h"
#include "TempTree.h"
#include "platform/posix/Names.h"

namespace tarnivo::test {
namespace {

// The table's drives are folders of a temporary tree: C=c, D=d, E a missing
// folder (a drive that is not ready).
class PosixWorld : public contract::World {
 public:
  PosixWorld() {
    MakeDir(tree_ / "c");
    MakeDir(tree_ / "d");
    for (const contract::TreeEntry& e : contract::StartingTree()) {
      const std::string native = Native(e.path);
      const std::string name = e.path.substr(e.path.rfind('\\') + 1);
      if ((e.attributes & contract::kHidden) && name.front() != '.') {
        throw std::logic_error("a hidden entry's name starts with a dot on Linux: " + e.path);
      }
      if (e.attributes & contract::kFolder) {
        MakeDir(native);
      } else if (e.attributes & contract::kSystem) {
        if (::mkfifo(native.c_str(), 0644) != 0) throw std::runtime_error("mkfifo " + native);
      } else {
        WriteAll(native, e.contents, (e.attributes & contract::kReadOnly) ? 0444 : 0644);
      }
    }
    platform_ = tree_.Platform("C=c;D=d;E=missing");
  }
  FileSystem& Files() override { return *platform_; }
  std::string Here(const std::string& path) override { return path; }
  std::string Alias(const std::string& path) override {
    const std::string native = Native(path);
    const std::size_t cut = native.rfind('/');
    const std::vector<std::string> names = Names(native.substr(0, cut));
    const auto at = std::find(names.begin(), names.end(), native.substr(cut + 1));
    if (at == names.end()) return {};
    return posix::MakeAliases(names)[static_cast<std::size_t>(at - names.begin())];
  }
  std::string Read(const std::string& path) override {
    struct stat st {};
    const std::string native = Native(path);
    if (::lstat(native.c_str(), &st) != 0) return "<missing>";
    if (S_ISDIR(st.st_mode)) return "<folder>";
    return S_ISREG(st.st_mode) ? ReadAll(native) : "<system>";
  }

 private:
  // "C:\Docs\x" => <tree>/c/Docs/x
  std::string Native(const std::string& path) const {
    std::string rel(1, static_cast<char>(path[0] - 'A' + 'a'));
    for (std::size_t i = 2; i < path.size(); ++i) rel += path[i] == '\\' ? '/' : path[i];
    return tree_ / rel;
  }

  TempTree tree_;
  std::unique_ptr<PosixFileSystem> platform_;
};

class PosixContract : public ::testing::TestWithParam<std::string> {};

TEST_P(PosixContract, Holds) {
  contract::ExpectFamily(
      contract::Impl::Posix, [] { return std::make_unique<PosixWorld>(); }, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Table, PosixContract, ::testing::ValuesIn(contract::Families()),
                         contract::FamilyName);

}  // namespace
}  // namespace tarnivo::test
