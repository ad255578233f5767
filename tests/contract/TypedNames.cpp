#include "TypedNames.h"

#include <algorithm>
#include <exception>
#include <iterator>

namespace tarnivo::contract {

const std::vector<NamesEntry>& NamesTree() {
  using enum Kind;
  static const std::vector<NamesEntry> tree = {
      {"C:\\Src", Folder},
      {kSource, File, "this year's report", "ANNUAL~1.DOC"},
      {"C:\\Src\\.hidden.doc", Hidden, "hidden"},
      {"C:\\Src\\Notes.doc", File, "notes"},
      {"D:\\Other.doc", File, "what ..\\Other.doc would reach"},
      {"D:\\Dst", Folder},
      {"D:\\Dst\\.hidden.doc", Hidden, "hidden"},
      {"D:\\Dst\\Folder", Folder},
      {"D:\\Dst\\Letter to Ann.doc", File, "ann", "LETTER~1.DOC"},
      {"D:\\Dst\\Letter to Bob.doc", File, "LETTER~2.DOC until Ann's goes", "LETTER~2.DOC"},
      {"D:\\Dst\\Other.doc", File, "other"},
      {"D:\\Dst\\TWIN.DOC", Twin, "twin 2"},
      {"D:\\Dst\\Twin.doc", File, "twin 1"},
      {"D:\\Dst\\a1b", File, "a?b would match me"},
      {"D:\\Dst\\busy.doc", InUse, "in use"},
      {"D:\\Dst\\dangling.doc", Link, "C:\\nowhere.doc"},
      {"D:\\Dst\\link.doc", Link, "D:\\Other.doc"},
      {"D:\\Dst\\pipe", System},
      {"D:\\Dst\\ro.doc", ReadOnly, "read-only"},
      {"D:\\Dst\\time 10\uF03A30.doc", File, "':' on Linux"},
      {"D:\\Dst\\to-source.doc", Link, kSource},
      {"D:\\Dst\\x\uF03A.doc", Raw, "the private-use character itself on Linux"},
      {"D:\\Dst\\\u212Ailo.doc", File, "the Kelvin sign folds to k"},
  };
  return tree;
}

namespace {

// Outcomes. kRefused: the transfer error report before the file system is
// asked anything (where the world can tell); nothing changes and the dialog
// stays open with the name as typed. kFails: the same, once the file system
// said no. kNew: no question; the file arrives under the name as typed and
// the program ends. "over NAME": the overwrite question; Yes puts the file
// in place of NAME, under that stored spelling, and ends; No changes
// nothing. "keeps NAME": the question, and Yes gets the error report.
constexpr const char *kRefused = "refused", *kFails = "fails", *kNew = "new";

struct NameCase {
  const char* what;
  std::string name, want;                                 // typed; the outcome
  std::optional<std::string> simulated = {}, posix = {};  // where a platform differs
  std::string folder = "D:\\Dst";
};

// clang-format off
const std::vector<NameCase>& NameCases() {
  const std::string src = "C:\\Src";
  const auto twice = [](const std::string& piece, int n) { std::string s; while (n--) s += piece; return s; };
  static const std::vector<NameCase> cases = {
      // --- Names that could reach another file, every file or a folder.
      {"empty", "", kRefused},
      {"dot", ".", kRefused},
      {"dot dot", "..", kRefused},
      {"star", "*", kRefused},
      {"a pattern that matches files there", "*.doc", kRefused},
      {"question mark", "a?b", kRefused},
      {"backslash", "..\\Other.doc", kRefused},
      {"a full path", "D:\\Other.doc", kRefused},
      {"slash", "../Other.doc", kRefused},
      {"absolute slash", "/etc/passwd", kRefused},
      {"colon", "a:b", kRefused},
      {"drive-relative", "C:Other.doc", kRefused},

      // --- Characters and lengths that Windows refuses and Linux stores, or the reverse.
      {"only dots", "...", kNew, kFails},
      {"only spaces", "   ", kNew, kFails},
      {"control character", "a\tb", kFails},
      {"reserved character", "a|b", kNew, kFails},
      {"300 characters: more than a Linux name holds", std::string(300, 'n'), kNew, {}, kFails},
      {"128 two-byte characters: one byte more than a Linux name holds", twice("\u00E9", 128), kNew, {}, kFails},
      {"127 two-byte characters: 254 bytes", twice("\u00E9", 127), kNew},
      {"not UTF-8", "caf\xE9.doc", kNew},
      {"a cut UTF-8 character", "x\xC3", kNew},
      {"leading space, beside the source", " Annual report.doc", kNew, {}, {}, src},
      // Linux names in drive form, as the view passes them on: each private-use
      // character stands for its ASCII one on disk.
      {"? and \\ in a Linux name", "what\uF03F a\uF05Cb.doc", kNew},
      {": in a Linux name that is there", "TIME 10\uF03A30.DOC", "over time 10\uF03A30.doc"},
      {"beside a name that holds the private-use character itself", "x\uF03A.doc", kNew},

      // --- A file there by another spelling: the question is about it, and it
      // is replaced under its stored spelling, never a twin or the entry whose
      // alias is numbered after it. Windows ignores trailing dots and spaces.
      {"another case of a file there", "OTHER.DOC", "over Other.doc"},
      {"another case of a file beside the source", "NOTES.DOC", "over Notes.doc", {}, {}, src},
      {"trailing dot of a file there", "other.doc.", kNew, "over Other.doc"},
      {"trailing space of a file there", "Other.doc ", kNew, "over Other.doc"},
      {"an alias", "LETTER~1.DOC", "over Letter to Ann.doc"},
      {"a Kelvin sign there", "kilo.doc", "over \u212Ailo.doc"},
      {"two files that differ only in case", "twin.doc", kFails, "over Twin.doc"},
      {"one of them spelled exactly", "TWIN.DOC", "over TWIN.DOC", "over Twin.doc"},

      // --- No file to replace, or none that may be. Linux lets a file in use go.
      {"a read-only file there", "RO.DOC", "keeps ro.doc"},
      {"a file there in use", "busy.doc", "over busy.doc", "keeps busy.doc"},
      {"a hidden file there", ".hidden.doc", kFails},
      {"a hidden file beside the source", ".HIDDEN.DOC", kFails, {}, {}, src},
      {"a folder", "folder", kFails},
      {"a system entry", "PIPE", kFails},
      {"a link to another file", "LINK.DOC", "over link.doc", kNew},
      {"a link to the source", "to-source.doc", kFails, kNew},
      {"a link to nothing", "dangling.doc", kFails, kNew},

      // --- The source itself: never replaced, never deleted by the question.
      {"the source as it stands", "Annual report.doc", kFails, {}, {}, src},
      {"the source in another case", "annual REPORT.DOC", kFails, {}, {}, src},
      {"the source by its alias", "ANNUAL~1.DOC", kFails, {}, {}, src},
      {"the source with a trailing dot", "Annual report.doc.", kNew, kFails, {}, src},
      {"the source with a trailing space", "Annual report.doc ", kNew, kFails, {}, src},
  };
  return cases;
}
// clang-format on

const std::pair<std::string, MessageBoxStyle> kQuestion{
    "The destination file already exits.\rOverwrite ?", MessageBoxStyle::YesNoInformation};
const std::pair<std::string, MessageBoxStyle> kError{
    "Error during copy or move.\rFile may already exist or is in use.",
    MessageBoxStyle::OkExclamation};

std::string Check(NamesWorld& world, const NameCase& c, const std::string& want, bool asks,
                  bool move, bool yes) {
  auto expected = world.Snapshot();
  const std::string source = expected.at(world.Key(kSource));
  const NamesWorld::Pressed got = world.Transfer(move, c.folder, c.name, yes);
  const bool keeps = want.rfind("keeps ", 0) == 0;
  const bool refused = want == kRefused || want == kFails || keeps, done = !refused && yes;
  if (done) {
    expected[world.Key(c.folder + "\\" + (asks ? want.substr(5) : c.name))] = source;
    if (move) expected.erase(world.Key(kSource));
  }
  std::vector<std::pair<std::string, MessageBoxStyle>> shown;
  if (asks) shown.push_back(kQuestion);
  if (refused && (yes || !asks)) shown.push_back(kError);

  std::string failure;
  if (got.shown != shown)
    failure += " Other boxes shown (" + std::to_string(got.shown.size()) + ").";
  if (got.ended != done) failure += done ? " The program stayed open." : " The program ended.";
  if (!done && got.name_box != c.name) failure += " The name box holds [" + got.name_box + "].";
  if (want == kRefused && got.asked_files.value_or(false)) failure += " The file system was asked.";
  const auto now = world.Snapshot();
  std::vector<std::pair<std::string, std::string>> differ;
  std::set_symmetric_difference(now.begin(), now.end(), expected.begin(), expected.end(),
                                std::back_inserter(differ));
  for (const auto& [key, holds] : differ)
    failure += " " + key +
               (now.count(key) && now.at(key) == holds ? " holds [" : " should hold [") + holds +
               "].";
  return failure;
}

}  // namespace

void RunNames(Impl impl, const std::function<std::unique_ptr<NamesWorld>()>& make,
              const std::function<void(const std::string&, const std::string&)>& report) {
  for (const NameCase& c : NameCases()) {
    const std::string want = (impl == Impl::Simulated ? c.simulated : c.posix).value_or(c.want);
    const bool asks = want.rfind("over ", 0) == 0 || want.rfind("keeps ", 0) == 0;
    for (const bool move : {false, true}) {
      for (const bool yes : {true, false}) {
        if (!yes && !asks) continue;
        std::string failure;
        try {
          failure = Check(*make(), c, want, asks, move, yes);
        } catch (const std::exception& e) {
          failure = std::string("set-up failed: ") + e.what();
        }
        report(std::string(c.what) + (move ? ", moved" : ", copied") +
                   (asks ? (yes ? ", Yes" : ", No") : ""),
               failure);
      }
    }
  }
}

}  // namespace tarnivo::contract
