#include "SimulatedPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string_view>
#include <utility>

#include "text/Text.h"

namespace tarnivo::test {
namespace {

const std::set<std::string, std::less<>> kOperations = {
    "CommandLine",     "ChangeDrive", "ChangeDirectory",  "CurrentDirectory",
    "DirectoryLookup", "CopyFile",    "DeleteFile",       "RenameFile",
    "ShowMessage",     "ShowHelp",    "MeasureTextWidth", "Terminate",
    "DriveList",       "OpenFolder",  "SubFolders",       "SameFile"};

std::string Folded(const std::string& text) {
  std::u32string chars = Decode(text);
  for (char32_t& c : chars) c = FoldChar(c);
  return Encode(chars);
}

std::vector<std::string> Split(const std::string& text) {
  std::vector<std::string> parts(1);
  for (const char c : text) {
    if (c == '\\') {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

bool HasWildcard(const std::string& name) { return name.find_first_of("*?") != std::string::npos; }

// The platform ignores a component's trailing dots and spaces: "a.txt. " is "a.txt".
std::string StripTrailing(const std::string& name) {
  const std::size_t end = name.find_last_not_of(". ");
  return end == std::string::npos ? std::string() : name.substr(0, end + 1);
}

void CheckComponent(const std::string& name, bool wildcards) {
  for (const char c : name) {
    const bool bad = static_cast<unsigned char>(c) < 32 ||
                     std::string_view("<>|\":").find(c) != std::string_view::npos ||
                     (!wildcards && (c == '*' || c == '?'));
    if (bad) throw PlatformError("malformed name: " + name);
  }
}

// DOS pattern matching: '*' any run of characters, '?' one character (or none
// at a dot or at the end), and "name." / "name.*" also match a name without a dot.
bool Match(const std::u32string& p, std::size_t i, const std::u32string& n, std::size_t j) {
  if (i == p.size()) return j == n.size();
  switch (p[i]) {
    case U'*':
      return Match(p, i + 1, n, j) || (j < n.size() && Match(p, i, n, j + 1));
    case U'?':
      if (j < n.size() && Match(p, i + 1, n, j + 1)) return true;
      return (j == n.size() || n[j] == U'.') && Match(p, i + 1, n, j);
    case U'.':
      if (j < n.size()) return n[j] == U'.' && Match(p, i + 1, n, j + 1);
      return i + 1 == p.size() || p.substr(i + 1) == U"*";
    default:
      return j < n.size() && FoldChar(p[i]) == FoldChar(n[j]) && Match(p, i + 1, n, j + 1);
  }
}

bool Matches(const std::string& pattern, const std::string& name) {
  if (name.empty()) return false;
  if (HasWildcard(pattern)) return Match(Decode(pattern), 0, Decode(name), 0);
  return EqualsIgnoreCase(StripTrailing(pattern), name);
}

// A folder's path as written: "C:\\MYDOCU~1", a root with its backslash.
std::string AsEntered(const auto& place) {
  std::string path = place.prefix;
  for (const std::string& part : place.parts) path += "\\" + part;
  return place.parts.empty() ? path + "\\" : path;
}

bool Fits(MessageBoxResult result, MessageBoxStyle style) {
  switch (style) {
    case MessageBoxStyle::OkExclamation:
      return result == MessageBoxResult::Ok;
    case MessageBoxStyle::YesNoInformation:
      return result == MessageBoxResult::Yes || result == MessageBoxResult::No;
    case MessageBoxStyle::RetryCancelStop:
      return result == MessageBoxResult::Retry || result == MessageBoxResult::Cancel;
  }
  return false;
}

char Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

std::string Printable(std::string text) {
  std::replace(text.begin(), text.end(), '\r', '|');
  return text;
}

}  // namespace

SimulatedPlatform::SimulatedPlatform() = default;
SimulatedPlatform::~SimulatedPlatform() = default;

// --- Paths --------------------------------------------------------------

SimulatedPlatform::Place SimulatedPlatform::Parse(const std::string& path, bool wildcard_last,
                                                  bool inspect) const {
  std::string text = path;
  std::replace(text.begin(), text.end(), '/', '\\');
  if (text.empty()) throw PlatformError("empty path");
  Place place;
  std::string rest;
  if (text.rfind("\\\\", 0) == 0) {
    const std::size_t server_end = text.find('\\', 2);
    if (server_end == std::string::npos || server_end == 2) throw PlatformError("bad share");
    const std::size_t share_end = text.find('\\', server_end + 1);
    place.prefix = text.substr(0, share_end);
    const auto share = shares_.find(Folded(StripTrailing(place.prefix)));
    if (share == shares_.end()) throw PlatformError("network path not found: " + path);
    place.root = share->second;
    if (share_end != std::string::npos) rest = text.substr(share_end + 1);
  } else {
    const bool lettered = text.size() >= 2 && text[1] == ':';
    const char letter = lettered ? Upper(text[0]) : current_;
    const auto drive = drives_.find(letter);
    if (drive == drives_.end()) throw PlatformError("no such drive: " + path);
    if (!drive->second.ready && !inspect) throw PlatformError("drive not ready: " + path);
    rest = lettered ? text.substr(2) : text;
    if (rest.rfind('\\', 0) == 0) {
      place.root = drive->second.root;
      place.letter = letter;
      place.prefix = lettered ? text.substr(0, 2) : std::string{letter, ':'};
      rest.erase(0, 1);
    } else {
      place = Parse(drive->second.cwd, false, inspect);
    }
  }
  const std::vector<std::string> parts = Split(rest);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const bool pattern = wildcard_last && i + 1 == parts.size();
    const std::string& part = parts[i];
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!place.parts.empty()) place.parts.pop_back();
      continue;
    }
    CheckComponent(part, pattern);
    const std::string name = pattern && HasWildcard(part) ? part : StripTrailing(part);
    if (!name.empty()) place.parts.push_back(name);
  }
  return place;
}

SimulatedPlatform::Entry* SimulatedPlatform::Walk(const Place& place, std::size_t count) const {
  Entry* at = place.root;
  for (std::size_t i = 0; i < count && at != nullptr; ++i) {
    Entry* next = nullptr;
    if (at->IsFolder()) {
      for (const auto& child : at->children) {
        if (Matches(place.parts[i], child->name) || Matches(place.parts[i], child->alias)) {
          next = child.get();
          break;
        }
      }
    }
    at = next;
  }
  return at;
}

SimulatedPlatform::Entry* SimulatedPlatform::Find(const std::string& path, bool inspect) const {
  const Place place = Parse(path, false, inspect);
  return Walk(place, place.parts.size());
}

SimulatedPlatform::Entry& SimulatedPlatform::Require(const std::string& path) const {
  Entry* entry = Find(path);
  if (entry == nullptr) throw PlatformError("not found: " + path);
  return *entry;
}

SimulatedPlatform::Entry& SimulatedPlatform::ParentOf(const Place& place) const {
  if (place.parts.empty()) throw PlatformError("a root has no folder");
  Entry* folder = Walk(place, place.parts.size() - 1);
  if (folder == nullptr || !folder->IsFolder()) throw PlatformError("path not found");
  return *folder;
}

SimulatedPlatform::Entry& SimulatedPlatform::Inspect(const std::string& path) const {
  Entry* entry = nullptr;
  try {
    entry = Find(path, true);
  } catch (const PlatformError&) {
  }
  if (entry == nullptr) throw std::invalid_argument("no entry " + path);
  return *entry;
}

// --- The world ------------------------------------------------------------

void SimulatedPlatform::AddDrive(char letter, const std::string& label, bool ready) {
  letter = Upper(letter);
  if (letter < 'A' || letter > 'Z' || drives_.count(letter)) {
    throw std::invalid_argument("bad drive letter");
  }
  roots_.push_back(std::make_unique<Entry>());
  Entry* root = roots_.back().get();
  root->name = std::string{letter, ':'};
  root->attributes = kDirectory;
  drives_[letter] = Drive{letter, label, ready, root, root->name + "\\"};
  if (current_ == 0) current_ = letter;
}

void SimulatedPlatform::SetDriveReady(char letter, bool ready) {
  const auto drive = drives_.find(Upper(letter));
  if (drive == drives_.end()) throw std::invalid_argument("no such drive");
  drive->second.ready = ready;
}

void SimulatedPlatform::AddShare(const std::string& unc) {
  roots_.push_back(std::make_unique<Entry>());
  roots_.back()->name = unc;
  roots_.back()->attributes = kDirectory;
  shares_[Folded(unc)] = roots_.back().get();
}

void SimulatedPlatform::MapDrive(char letter, const std::string& unc) {
  letter = Upper(letter);
  Entry* root = shares_.at(Folded(unc));
  drives_[letter] = Drive{letter, "", true, root, std::string{letter, ':', '\\'}};
}

SimulatedPlatform::Entry& SimulatedPlatform::Add(const std::string& path, const std::string& alias,
                                                 unsigned attributes) {
  Entry* folder = nullptr;
  Place place;
  try {
    place = Parse(path, false, true);
    folder = &ParentOf(place);
  } catch (const PlatformError& e) {
    throw std::invalid_argument("cannot add " + path + ": " + e.what());
  }
  if (Walk(place, place.parts.size()) != nullptr) throw std::invalid_argument(path + " exists");
  auto entry = std::make_unique<Entry>();
  entry->name = place.parts.back();
  entry->alias = alias;
  entry->attributes = attributes;
  entry->parent = folder;
  folder->children.push_back(std::move(entry));
  return *folder->children.back();
}

void SimulatedPlatform::AddFolder(const std::string& path, const std::string& alias,
                                  unsigned attributes) {
  Add(path, alias, attributes | kDirectory);
}

void SimulatedPlatform::AddFile(const std::string& path, const std::string& contents,
                                const std::string& alias, unsigned attributes) {
  Add(path, alias, attributes & ~kDirectory).contents = contents;
}

void SimulatedPlatform::SetInUse(const std::string& path, bool in_use) {
  Inspect(path).in_use = in_use;
}

bool SimulatedPlatform::Exists(const std::string& path) const {
  try {
    return Find(path, true) != nullptr;
  } catch (const PlatformError&) {
    return false;
  }
}

std::string SimulatedPlatform::Contents(const std::string& path) const {
  return Inspect(path).contents;
}

std::map<std::string, std::string> SimulatedPlatform::Snapshot() const {
  std::map<std::string, std::string> out;
  std::function<void(const Entry&, const std::string&)> visit = [&](const Entry& folder,
                                                                    const std::string& path) {
    for (const auto& child : folder.children) {
      const std::string at = path + "\\" + child->name;
      std::string value = child->IsFolder() ? "<dir>" : child->contents;
      if ((child->attributes & ~kDirectory) != 0) {
        value += " [" + std::to_string(child->attributes & ~kDirectory) + "]";
      }
      out[at] = value;
      visit(*child, at);
    }
  };
  for (const auto& root : roots_) visit(*root, root->name);
  return out;
}

void SimulatedPlatform::StartIn(const std::string& folder) {
  const Place place = Parse(folder, false, true);
  Entry* entry = Walk(place, place.parts.size());
  if (place.letter == 0 || entry == nullptr || !entry->IsFolder()) {
    throw std::invalid_argument("cannot start in " + folder);
  }
  current_ = place.letter;
  drives_.at(place.letter).cwd = AsEntered(place);
}

std::string SimulatedPlatform::WorkingDirectory(char letter) const {
  return drives_.at(Upper(letter)).cwd;
}

// --- Scripting ------------------------------------------------------------

void SimulatedPlatform::Answer(MessageBoxResult result, std::function<void()> then) {
  answers_.push_back({result, std::move(then)});
}

void SimulatedPlatform::AnswerUnscripted(
    std::function<MessageBoxResult(const ShownMessage&)> answer) {
  unscripted_ = std::move(answer);
}

std::vector<std::string> SimulatedPlatform::MessageTexts() const {
  std::vector<std::string> texts;
  for (const ShownMessage& m : messages_) texts.push_back(m.text);
  return texts;
}

void SimulatedPlatform::SetCharWidth(int twips) {
  char_width_ = twips;
  measure_ = nullptr;
}

void SimulatedPlatform::SetMeasure(std::function<int(const std::string&)> measure) {
  measure_ = std::move(measure);
}

void SimulatedPlatform::FailCall(std::size_t n) { fail_call_ = n; }

void SimulatedPlatform::FailOperation(const std::string& operation, std::size_t nth) {
  if (!kOperations.count(operation)) throw std::invalid_argument("no operation " + operation);
  fail_operation_[operation] = nth;
}

void SimulatedPlatform::ClearFailures() {
  fail_call_ = 0;
  fail_operation_.clear();
}

std::size_t SimulatedPlatform::CallsOf(const std::string& operation) const {
  const auto it = per_operation_.find(operation);
  return it == per_operation_.end() ? 0 : it->second;
}

void SimulatedPlatform::Begin(const char* operation) {
  if (ended_) ADD_FAILURE() << operation << " called after the program ended";
  calls_.emplace_back(operation);
  const std::size_t nth = ++per_operation_[operation];
  if (std::string_view(operation) == "Terminate") return;
  bool fail = calls_.size() == fail_call_;
  const auto it = fail_operation_.find(operation);
  if (it != fail_operation_.end() && (it->second == kEveryCall || it->second == nth)) fail = true;
  if (fail) {
    ++injected_;
    throw PlatformError(std::string("injected failure of ") + operation + " (call " +
                        std::to_string(calls_.size()) + ")");
  }
}

// --- The operations ---------------------------------------------------------

std::string SimulatedPlatform::CommandLine() {
  Begin("CommandLine");
  return command_line_;
}

void SimulatedPlatform::ChangeDrive(const std::string& drive) {
  Begin("ChangeDrive");
  const char letter = drive.empty() ? 0 : Upper(drive[0]);
  const auto it = drives_.find(letter);
  if (it == drives_.end() || !it->second.ready) throw PlatformError("cannot change to " + drive);
  current_ = letter;
}

void SimulatedPlatform::ChangeDirectory(const std::string& path) {
  Begin("ChangeDirectory");
  const Place place = Parse(path);
  Entry* folder = Walk(place, place.parts.size());
  if (place.letter == 0) throw PlatformError("no working directory on a share");
  if (folder == nullptr || !folder->IsFolder()) throw PlatformError("no folder " + path);
  drives_.at(place.letter).cwd = AsEntered(place);
}

std::string SimulatedPlatform::CurrentDirectory() {
  Begin("CurrentDirectory");
  if (current_ == 0) throw PlatformError("no drives");
  return drives_.at(current_).cwd;
}

std::string SimulatedPlatform::DirectoryLookup(const std::string& name, int attributes) {
  Begin("DirectoryLookup");
  std::string text = name;
  std::replace(text.begin(), text.end(), '/', '\\');
  std::string folder;
  std::string last = text;
  if (const std::size_t cut = text.rfind('\\'); cut != std::string::npos) {
    folder = text.substr(0, cut + 1);
    last = text.substr(cut + 1);
  } else if (text.size() >= 2 && text[1] == ':') {
    folder = text.substr(0, 2);
    last = text.substr(2);
  }
  if (folder.empty()) {
    if (current_ == 0) throw PlatformError("no drives");
    folder = drives_.at(current_).cwd;
  }
  const Place place = Parse(folder);  // a not-ready drive or a bad folder name throws here
  CheckComponent(last, true);
  if (last.empty() || last == "." || last == "..") return {};
  const Entry* dir = Walk(place, place.parts.size());
  if (dir == nullptr || !dir->IsFolder()) return {};
  const unsigned special = kHidden | kSystem | kDirectory;
  for (const auto& child : dir->children) {
    if ((child->attributes & special & ~static_cast<unsigned>(attributes)) != 0) continue;
    if (Matches(last, child->name) || Matches(last, child->alias)) return child->name;
  }
  return {};
}

CopyOutcome SimulatedPlatform::CopyFile(const std::string& source, const std::string& destination) {
  Begin("CopyFile");
  file_operations_.push_back("CopyFile " + source + " > " + destination);
  const Entry& from = Require(source);
  if (from.IsFolder()) throw PlatformError("cannot copy a folder");
  const Place to = Parse(destination);
  Entry& folder = ParentOf(to);
  Entry* old = Walk(to, to.parts.size());
  if (old != nullptr) {
    if (old == &from) throw PlatformError("source and destination are one file");
    if (old->IsFolder() || (old->attributes & (kReadOnly | kHidden | kSystem)) || old->in_use) {
      throw PlatformError("cannot write " + destination);
    }
  }
  // Half the data went into a temporary file that the stop throws away.
  if (std::exchange(stop_next_copy_, false)) return CopyOutcome::Stopped;
  if (old != nullptr) {
    old->contents = from.contents;
    old->attributes = from.attributes;
    return CopyOutcome::Done;
  }
  auto copy = std::make_unique<Entry>();  // a new name gets no alias
  copy->name = to.parts.back();
  copy->attributes = from.attributes;
  copy->contents = from.contents;
  copy->parent = &folder;
  folder.children.push_back(std::move(copy));
  return CopyOutcome::Done;
}

void SimulatedPlatform::DeleteFile(const std::string& path) {
  Begin("DeleteFile");
  file_operations_.push_back("DeleteFile " + path);
  Entry& entry = Require(path);
  if (entry.parent == nullptr || entry.IsFolder() || (entry.attributes & kReadOnly) ||
      entry.in_use) {
    throw PlatformError("cannot delete " + path);
  }
  auto& siblings = entry.parent->children;
  siblings.erase(std::find_if(siblings.begin(), siblings.end(),
                              [&](const auto& c) { return c.get() == &entry; }));
}

CopyOutcome SimulatedPlatform::RenameFile(const std::string& source, const std::string& destination,
                                          Existing existing) {
  Begin("RenameFile");
  file_operations_.push_back("RenameFile " + source + " > " + destination +
                             (existing == Existing::Replace ? " (replace)" : ""));
  Entry& from = Require(source);
  const Place to = Parse(destination);
  Entry& folder = ParentOf(to);
  const auto root_of = [](const Entry* e) {
    while (e->parent != nullptr) e = e->parent;
    return e;
  };
  if (from.parent == nullptr || root_of(&from) != root_of(&folder)) {
    throw PlatformError("cannot move " + source + " to another drive");
  }
  Entry* old = Walk(to, to.parts.size());
  const bool replaces = old != nullptr && old != &from && existing == Existing::Replace &&
                        !old->IsFolder() && !(old->attributes & (kReadOnly | kHidden | kSystem)) &&
                        !old->in_use && !from.IsFolder();
  if ((old != nullptr && old != &from && !replaces) || from.in_use) {
    throw PlatformError("cannot rename");
  }
  for (const Entry* e = &folder; e != nullptr; e = e->parent) {
    if (e == &from) throw PlatformError("cannot move a folder into itself");
  }
  const std::string name = replaces ? old->name : to.parts.back();
  if (replaces) {
    // The old file goes in the step that puts the new one in its place.
    auto& olds = folder.children;
    olds.erase(
        std::find_if(olds.begin(), olds.end(), [&](const auto& c) { return c.get() == old; }));
  }
  if (!EqualsIgnoreCase(from.name, name) || from.parent != &folder) from.alias.clear();
  from.name = name;
  if (from.parent == &folder) return CopyOutcome::Done;  // a new name in place
  auto& siblings = from.parent->children;
  const auto it = std::find_if(siblings.begin(), siblings.end(),
                               [&](const auto& c) { return c.get() == &from; });
  std::unique_ptr<Entry> moved = std::move(*it);
  siblings.erase(it);
  moved->parent = &folder;
  folder.children.push_back(std::move(moved));
  return CopyOutcome::Done;
}

MessageBoxResult SimulatedPlatform::ShowMessage(const std::string& text, MessageBoxStyle style) {
  Begin("ShowMessage");
  messages_.push_back({text, style});
  MessageBoxResult result;
  if (!answers_.empty()) {
    Scripted next = std::move(answers_.front());
    answers_.pop_front();
    if (next.then) next.then();
    result = next.result;
  } else if (unscripted_) {
    result = unscripted_(messages_.back());
  } else {
    ADD_FAILURE() << "unscripted message box: \"" << Printable(text) << "\"";
    throw UnscriptedMessage("unscripted message box: " + Printable(text));
  }
  if (!Fits(result, style)) {
    ADD_FAILURE() << "answer " << static_cast<int>(result) << " is no button of box \""
                  << Printable(text) << "\" (style " << static_cast<int>(style) << ")";
    throw UnscriptedMessage("answer does not fit the box");
  }
  return result;
}

void SimulatedPlatform::ShowHelp(WindowHandle owner, const std::string& file, int command,
                                 int data) {
  Begin("ShowHelp");
  help_.push_back({owner, file, command, data});
}

int SimulatedPlatform::MeasureTextWidth(const std::string& text) {
  Begin("MeasureTextWidth");
  return measure_ ? measure_(text) : char_width_ * static_cast<int>(CharCount(text));
}

void SimulatedPlatform::Terminate() {
  Begin("Terminate");
  ended_ = true;
  throw ProgramEnded{};
}

std::vector<DriveInfo> SimulatedPlatform::DriveList() {
  Begin("DriveList");
  std::vector<DriveInfo> list;
  for (const auto& [letter, drive] : drives_) list.push_back({letter, drive.label});
  return list;
}

std::string SimulatedPlatform::OpenFolder(const std::string& folder) {
  Begin("OpenFolder");
  const Place place = Parse(folder);
  const Entry* at = Walk(place, place.parts.size());
  if (at == nullptr || !at->IsFolder()) throw PlatformError("cannot open " + folder);
  std::vector<std::string> names;
  for (; at != place.root; at = at->parent) names.insert(names.begin(), at->name);
  std::string path = place.letter != 0 ? std::string{place.letter, ':'} : place.root->name;
  for (const std::string& name : names) path += "\\" + name;
  return place.letter != 0 && names.empty() ? path + "\\" : path;
}

std::vector<std::string> SimulatedPlatform::SubFolders(const std::string& folder) {
  Begin("SubFolders");
  const Place place = Parse(folder);
  const Entry* at = Walk(place, place.parts.size());
  if (at == nullptr || !at->IsFolder()) throw PlatformError("cannot list " + folder);
  std::vector<std::string> names;
  for (const auto& child : at->children) {
    if (child->IsFolder() && !(child->attributes & kHidden)) names.push_back(child->name);
  }
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return Folded(a) < Folded(b); });
  return names;
}

bool SimulatedPlatform::SameFile(const std::string& a, const std::string& b) {
  Begin("SameFile");
  const Entry* x = Find(a);
  const Entry* y = Find(b);
  return x != nullptr && x == y;
}

}  // namespace tarnivo::test
