// Names that a careless or hostile user, or a broken file manager, might hand
// over: typed as the destination name, and given as the command line. Whatever
// they hold, nothing but the one file they name may be touched.
#include <gtest/gtest.h>

#include <string>

#include "ContractGtest.h"
#include "Desk.h"
#include "FakeDialog.h"
#include "TypedNames.h"

namespace tarnivo {
namespace {

using test::FakeDialog;
using test::SimulatedPlatform;

const std::string kOther = "another file";

// The typed names' table on the simulated platform, through the fake dialog.
class SimulatedNames : public contract::NamesWorld {
 public:
  SimulatedNames() {
    p_.AddDrive('C');
    p_.AddDrive('D');
    using enum contract::Kind;
    for (const contract::NamesEntry& e : contract::NamesTree()) {
      if (e.kind == Folder) p_.AddFolder(e.path, e.alias);
      if (e.kind == Folder || e.kind >= Link) continue;  // links, twins: POSIX only
      // The attributes of a File, ReadOnly, Hidden, System or InUse entry.
      const unsigned attributes[] = {0, test::kReadOnly, test::kHidden, test::kSystem, 0};
      p_.AddFile(e.path, e.contents, e.alias, attributes[static_cast<int>(e.kind)]);
      p_.SetInUse(e.path, e.kind == InUse);
    }
    p_.SetCommandLine("C:\\SRC\\ANNUAL~1.DOC");
  }
  Pressed Transfer(bool move, const std::string& folder, const std::string& name,
                   bool yes) override {
    FakeDialog dialog(p_);
    if (!dialog.Load()) throw std::runtime_error("the dialog did not open");
    if (move) dialog.Choose(ControlId::optMove);
    dialog.TypeInto(ControlId::txtNetwork, folder);
    dialog.TypeInto(ControlId::txtFileName, name);
    p_.AnswerUnscripted([yes](const test::ShownMessage& m) {
      if (m.style == MessageBoxStyle::OkExclamation) return MessageBoxResult::Ok;
      return yes ? MessageBoxResult::Yes : MessageBoxResult::No;
    });
    const std::size_t calls = p_.CallCount();
    dialog.ClickOK();
    Pressed pressed{{}, dialog.Ended(), dialog.State().FileName()};
    // Each box is one call; on a refusal, any other asked the file system.
    pressed.asked_files = p_.CallCount() > calls + p_.Messages().size();
    for (const auto& m : p_.Messages()) pressed.shown.emplace_back(m.text, m.style);
    return pressed;
  }
  std::map<std::string, std::string> Snapshot() override { return p_.Snapshot(); }

 private:
  SimulatedPlatform p_;
};

TEST(HostileNames, ATypedNameReachesOnlyTheOneFileItNames) {
  contract::RunNames(
      contract::Impl::Simulated, [] { return std::make_unique<SimulatedNames>(); },
      contract::ExpectHolds);
}

// Started with a hostile command line, intake opens the dialog for exactly the
// file the line names, or says "File not found !!" and ends; it never opens
// another file.
TEST(HostileNames, ACommandLineOpensTheFileItNamesOrNone) {
  const std::string kLong(300, 'L');
  // `opens`: SourceFile and the stored name in the name box; "" for "File not found !!".
  const struct {
    const char* family;
    std::string line, opens, stored;
  } cases[] = {
      {"empty", "", "", ""},
      {"dot", "C:\\.", "", ""},
      {"dot dot", "C:\\..", "", ""},
      {"dot dot inside", "C:\\MYDOCU~1\\..\\README.TXT", "", ""},
      {"star", "*", "", ""},
      {"star in the name", "C:\\MYDOCU~1\\*", "", ""},
      {"question mark", "C:\\MYDOCU~1\\REP?RT.DOC", "", ""},
      {"slash inside a component", "C:\\MYDOCU~1/REPORT.DOC", "", ""},
      {"slashes only", "C:/MYDOCU~1/REPORT.DOC", "", ""},
      {"colon inside a component", "C:\\WINDOWS\\D:TRAP.TXT", "", ""},
      {"drive-relative", "C:AB", "", ""},
      {"relative to another drive's folder", "Db\\F.TXT", "", ""},
      {"doubled backslash", "C:\\\\MYDOCU~1\\REPORT.DOC", "", ""},
      {"300 characters", "C:\\" + kLong, "C:\\L" + std::string(299, 'l'), kLong},
      {"not UTF-8", "C:\\caf\xE9\\x.txt", "C:\\Caf\xE9\\X.txt", "x.txt"},
      {"a cut UTF-8 character", "C:\\caf\xC3", "", ""},
      {"another case", "c:\\mydocu~1\\Report.DOC", "C:\\My Documents\\Report.doc", "REPORT.DOC"},
      {"trailing dots", "C:\\MYDOCU~1.\\REPORT.DOC.", "C:\\My Documents\\Report.doc", "REPORT.DOC"},
      {"trailing spaces, quoted", "\"C:\\My Documents \\REPORT.DOC \"",
       "C:\\My Documents\\Report.doc", "REPORT.DOC"},
      {"a folder with a leading space", "\"C:\\ Notes\\a.txt\"", "C:\\ Notes\\A.txt", "a.txt"},
      {"a file with a leading space", "\"C:\\Notes\\ b.txt\"", "C:\\Notes\\ b.txt", " b.txt"},
      {"a name that capitalises into another's", "C:\\ıx\\f.txt", "C:\\ıx\\F.txt", "f.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.family);
    SimulatedPlatform platform;
    test::BuildDesk(platform);
    platform.AddFile("D:\\REPORT.DOC", kOther);  // bystanders a line reaching too far would hit
    platform.AddFile("C:\\REPORT.DOC", kOther);
    platform.AddFile("C:\\WINDOWS\\TRAP.TXT", kOther);
    platform.AddFile("D:\\TRAP.TXT", kOther);
    platform.AddFolder("C:\\WINDOWS\\A");
    platform.AddFile("C:\\WINDOWS\\A\\B", kOther);
    platform.AddFile("C:\\WINDOWS\\AB", kOther);
    platform.AddFolder("C:\\WINDOWS\\DB");
    platform.AddFile("C:\\WINDOWS\\DB\\F.TXT", kOther);
    platform.AddFolder("D:\\DB");
    platform.AddFile("D:\\DB\\F.TXT", kOther);
    platform.AddFile("C:\\" + kLong);
    platform.AddFolder("C:\\caf\xE9");
    platform.AddFile("C:\\caf\xE9\\x.txt");
    platform.AddFolder("C:\\Notes");
    platform.AddFile("C:\\Notes\\a.txt", kOther);
    platform.AddFile("C:\\Notes\\B.txt", kOther);
    platform.AddFile("C:\\Notes\\ b.txt");
    platform.AddFolder("C:\\ Notes");
    platform.AddFile("C:\\ Notes\\a.txt");
    platform.AddFolder("C:\\IX");
    platform.AddFile("C:\\IX\\f.txt", kOther);
    platform.AddFolder("C:\\ıx");
    platform.AddFile("C:\\ıx\\f.txt");
    platform.SetCommandLine(c.line);
    const auto before = platform.Snapshot();
    if (c.opens.empty()) platform.Answer(MessageBoxResult::Ok);
    FakeDialog dialog(platform);

    EXPECT_EQ(dialog.Load(), !c.opens.empty()) << dialog.State().SourceFile;
    EXPECT_EQ(platform.Snapshot(), before);
    if (c.opens.empty()) {
      EXPECT_EQ(platform.MessageTexts(), std::vector<std::string>{"File not found !!"});
      continue;
    }
    EXPECT_TRUE(platform.Messages().empty());
    EXPECT_EQ(dialog.State().SourceFile, c.opens);
    EXPECT_EQ(dialog.State().FileName(), c.stored);
    // The file that would be transferred is the one named, not a bystander.
    EXPECT_NE(platform.Contents(c.opens), kOther);
  }
}

}  // namespace
}  // namespace tarnivo
