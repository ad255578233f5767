// Names that a careless or hostile user, or a broken file manager, might hand
// over: typed as the destination name, and given as the command line. Whatever
// they hold, nothing but the one file they name may be touched.
#include <gtest/gtest.h>

#include <string>

#include "Desk.h"
#include "FakeDialog.h"
#include "text/Text.h"

namespace tarnivo {
namespace {

using test::FakeDialog;
using test::SimulatedPlatform;

const std::string kSourceKey = "C:\\My Documents\\REPORT.DOC";
using test::kError;
using test::kExists;
const std::string kOther = "another file";

std::string Repeat(const std::string& piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

// The desk, with bystanders that a name reaching too far would hit.
void BuildHostileDesk(SimulatedPlatform& p) {
  test::BuildDesk(p);
  p.AddFile("D:\\Backup\\a1b", kOther);
  p.AddFile("D:\\Backup\\Report.Doc", kOther);
  p.AddFile("D:\\REPORT.DOC", kOther);
  p.AddFile("C:\\REPORT.DOC", kOther);
}

TEST(HostileNames, ATypedNameReachesOnlyTheOneFileItNames) {
  // `key`: the destination as stored after the transfer; "" when the name
  // must be refused with the error report and nothing touched.
  const struct {
    const char* family;
    std::string folder, name, key;
    bool exists = false;  // the name names a file already there: Yes replaces it
  } cases[] = {
      {"empty", "D:\\Backup", "", ""},
      {"dot", "D:\\Backup", ".", ""},
      {"dot dot", "D:\\Backup", "..", ""},
      {"only dots", "D:\\Backup", "...", ""},
      {"only spaces", "D:\\Backup", "   ", ""},
      {"star", "D:\\Backup", "*", ""},
      {"question mark", "D:\\Backup", "a?b", ""},
      {"backslash", "D:\\Backup", "..\\REPORT.DOC", ""},
      {"leading backslash", "D:\\Backup", "\\REPORT.DOC", ""},
      {"slash", "D:\\Backup", "../REPORT.DOC", ""},
      {"trailing slash", "D:\\Backup", "x/", ""},
      {"colon", "D:\\Backup", "a:b", ""},
      {"drive-relative", "D:\\Backup", "C:REPORT.DOC", ""},
      {"control character", "D:\\Backup", "a\tb", ""},
      {"reserved character", "D:\\Backup", "a|b", ""},
      {"300 characters", "D:\\Backup", std::string(300, 'n'),
       "D:\\Backup\\" + std::string(300, 'n')},
      {"300 two-byte characters", "D:\\Backup", Repeat("é", 300),
       "D:\\Backup\\" + Repeat("é", 300)},
      {"not UTF-8", "D:\\Backup", "caf\xE9.doc", "D:\\Backup\\caf\xE9.doc"},
      {"a cut UTF-8 character", "D:\\Backup", "x\xC3", "D:\\Backup\\x\xC3"},
      {"leading space, beside the source", "C:\\My Documents", " REPORT.DOC",
       "C:\\My Documents\\ REPORT.DOC"},
      // The replaced file keeps its stored spelling.
      {"another case of a file there", "D:\\Backup", "REPORT.DOC", "D:\\Backup\\Report.Doc", true},
      {"trailing dot of a file there", "D:\\Backup", "report.doc.", "D:\\Backup\\Report.Doc", true},
      {"trailing space of a file there", "D:\\Backup", "Report.doc ", "D:\\Backup\\Report.Doc",
       true},
  };
  for (const bool move : {false, true}) {
    for (const MessageBoxResult answer : {MessageBoxResult::Yes, MessageBoxResult::No}) {
      for (const auto& c : cases) {
        if (!c.exists && answer == MessageBoxResult::No) continue;
        SCOPED_TRACE(std::string(c.family) + (move ? ", move" : ", copy") +
                     (c.exists ? (answer == MessageBoxResult::Yes ? ", Yes" : ", No") : ""));
        SimulatedPlatform platform;
        BuildHostileDesk(platform);
        platform.SetCommandLine("C:\\MYDOCU~1\\REPORT.DOC");
        FakeDialog dialog(platform);
        ASSERT_TRUE(dialog.Load());
        if (move) dialog.Choose(ControlId::optMove);
        if (c.folder != dialog.State().DirPath()) {
          dialog.TypeInto(ControlId::txtNetwork, c.folder);
          dialog.Tab();
        }
        ASSERT_EQ(dialog.State().DirPath(), c.folder);
        dialog.TypeInto(ControlId::txtFileName, c.name);
        ASSERT_EQ(dialog.State().FileName(), c.name);

        auto expected = platform.Snapshot();
        if (c.exists) platform.Answer(answer);
        const bool done = !c.key.empty() && answer == MessageBoxResult::Yes;
        if (done) {
          // The file the name stood for (spelled as stored) gives way to the new one.
          for (auto it = expected.begin(); it != expected.end();) {
            it = EqualsIgnoreCase(it->first, c.key) ? expected.erase(it) : std::next(it);
          }
          expected[c.key] = test::kReport;
          if (move) expected.erase(kSourceKey);
        } else if (c.key.empty()) {
          platform.Answer(MessageBoxResult::Ok);
        }

        dialog.ClickOK();
        EXPECT_EQ(platform.Snapshot(), expected);
        EXPECT_EQ(dialog.Ended(), done);
        std::vector<std::string> messages;
        if (c.exists) messages.push_back(kExists);
        if (c.key.empty()) messages.push_back(kError);
        EXPECT_EQ(platform.MessageTexts(), messages);
        EXPECT_EQ(platform.UnusedAnswers(), 0u);
        if (c.key.empty()) {  // the deletion in the existence check is never reached
          for (const std::string& op : platform.FileOperations()) {
            EXPECT_EQ(op.rfind("DeleteFile", 0), std::string::npos) << op;
          }
        }
      }
    }
  }
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
    BuildHostileDesk(platform);
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
