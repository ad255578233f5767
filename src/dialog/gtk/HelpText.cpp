#include "dialog/gtk/HelpText.h"

#include <cctype>
#include <cstdint>
#include <utility>

namespace tarnivo::view {
namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// The value of attribute `name` in a tag's text ("a href=\"#keys\""), quoted
// or not; empty when it has none.
std::string Attribute(std::string_view tag, std::string_view name) {
  const std::string lower = Lower(tag);
  for (std::size_t at = lower.find(name); at != std::string::npos; at = lower.find(name, at + 1)) {
    std::size_t i = at + name.size();
    if (at == 0 || !std::isspace(static_cast<unsigned char>(lower[at - 1]))) continue;
    while (i < tag.size() && tag[i] == ' ') ++i;
    if (i >= tag.size() || tag[i] != '=') continue;
    ++i;
    while (i < tag.size() && tag[i] == ' ') ++i;
    const char quote = i < tag.size() && (tag[i] == '"' || tag[i] == '\'') ? tag[i] : ' ';
    if (quote != ' ') ++i;
    const std::size_t end = tag.find(quote, i);
    return std::string(tag.substr(i, end == std::string_view::npos ? end : end - i));
  }
  return {};
}

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x110000) {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// "amp" => "&", "#183" => "·"; empty for an entity it does not know.
std::string Entity(std::string_view name) {
  static const std::pair<std::string_view, std::uint32_t> kNamed[] = {
      {"amp", '&'},       {"lt", '<'},       {"gt", '>'},      {"quot", '"'},
      {"apos", '\''},     {"nbsp", 0xA0},    {"middot", 0xB7}, {"copy", 0xA9},
      {"hellip", 0x2026}, {"ndash", 0x2013}, {"mdash", 0x2014}};
  std::uint32_t code = 0;
  if (name.size() > 1 && name[0] == '#') {
    const bool hex = name[1] == 'x' || name[1] == 'X';
    for (char c : name.substr(hex ? 2 : 1)) {
      const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                        : hex && std::isxdigit(static_cast<unsigned char>(c))
                            ? std::tolower(static_cast<unsigned char>(c)) - 'a' + 10
                            : -1;
      if (digit < 0 || code > 0x10FFFF) return {};
      code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
    }
  } else {
    for (const auto& [entity, value] : kNamed) {
      if (name == entity) code = value;
    }
  }
  if (code == 0 || code > 0x10FFFF) return {};
  std::string text;
  AppendUtf8(text, code);
  return text;
}

class Parser {
 public:
  HelpDocument Run(std::string_view html) {
    for (std::size_t i = 0; i < html.size();) {
      if (html[i] == '<') {
        const std::size_t end = html.find('>', i);
        if (end == std::string_view::npos) break;
        Tag(html.substr(i + 1, end - i - 1));
        i = end + 1;
      } else if (html[i] == '&') {
        const std::size_t end = html.find(';', i);
        const std::string entity = end != std::string_view::npos && end - i <= 10
                                       ? Entity(html.substr(i + 1, end - i - 1))
                                       : std::string();
        Text(entity.empty() ? "&" : entity);
        i = entity.empty() ? i + 1 : end + 1;
      } else if (std::isspace(static_cast<unsigned char>(html[i]))) {
        blank_ = true;
        ++i;
      } else {
        Text(html.substr(i, 1));
        ++i;
      }
    }
    while (!doc_.text.empty() && doc_.text.back() == '\n') doc_.text.pop_back();
    for (HelpSpan& span : doc_.spans) span.end = std::min(span.end, doc_.text.size());
    for (HelpAnchor& anchor : doc_.anchors) anchor.at = std::min(anchor.at, doc_.text.size());
    return std::move(doc_);
  }

 private:
  struct Open {
    std::string tag;
    HelpStyle style;
    std::size_t begin;
    std::string target;
  };

  void Text(std::string_view text) {
    if (in_title_) {
      if (blank_ && !doc_.title.empty()) doc_.title += ' ';
      blank_ = false;
      doc_.title += text;
      return;
    }
    if (in_head_) return;
    Blank();
    doc_.text += text;
  }

  // Puts down a blank that came before: one space between words of a line.
  void Blank() {
    if (blank_ && !doc_.text.empty() && doc_.text.back() != '\n' && doc_.text.back() != '\t') {
      doc_.text += ' ';
    }
    blank_ = false;
  }

  // Ends the line, and leaves an empty one when `blank_line`.
  void Break(bool blank_line) {
    blank_ = false;
    if (doc_.text.empty()) return;
    const std::size_t wanted = blank_line ? 2 : 1;
    std::size_t have = 0;
    while (have < doc_.text.size() && doc_.text[doc_.text.size() - 1 - have] == '\n') ++have;
    if (have < wanted) doc_.text.append(wanted - have, '\n');
  }

  void Start(const std::string& tag, HelpStyle style, std::string target = {}) {
    Blank();
    open_.push_back({tag, style, doc_.text.size(), std::move(target)});
  }

  void Finish(const std::string& tag) {
    for (std::size_t i = open_.size(); i-- > 0;) {
      if (open_[i].tag != tag) continue;
      Open span = std::move(open_[i]);
      open_.erase(open_.begin() + static_cast<std::ptrdiff_t>(i));
      std::size_t end = doc_.text.size();
      while (end > span.begin && doc_.text[end - 1] == '\n') --end;
      if (end > span.begin) {
        doc_.spans.push_back({span.style, span.begin, end, std::move(span.target)});
      }
      return;
    }
  }

  void Tag(std::string_view text) {
    const bool closing = !text.empty() && text[0] == '/';
    if (closing) text.remove_prefix(1);
    std::size_t name_end = 0;
    while (name_end < text.size() && std::isalnum(static_cast<unsigned char>(text[name_end]))) {
      ++name_end;
    }
    const std::string name = Lower(text.substr(0, name_end));
    if (name == "head") in_head_ = !closing;
    if (name == "title") in_title_ = !closing;
    if (name == "p" || name == "table") {
      Break(true);
    } else if (name == "h2" || name == "h3") {
      Break(true);
      if (closing) {
        Finish(name);
      } else {
        Start(name, name == "h2" ? HelpStyle::Heading : HelpStyle::Subheading);
      }
    } else if (name == "br") {
      blank_ = false;
      doc_.text += '\n';
    } else if (name == "ul" || name == "tr") {
      Break(false);
      cells_ = 0;
    } else if (name == "td" && !closing) {
      if (cells_++ > 0) doc_.text += '\t';
      blank_ = false;
    }
    if (name == "ul" || name == "table") {
      if (closing) {
        Finish(name);
      } else {
        Start(name, name == "ul" ? HelpStyle::Indent : HelpStyle::Table);
      }
    } else if (name == "b" || name == "strong" || name == "tt" || name == "code") {
      if (closing) {
        Finish(name);
      } else {
        Start(name, name == "b" || name == "strong" ? HelpStyle::Bold : HelpStyle::Code);
      }
    } else if (name == "a") {
      if (closing) {
        Finish(name);
        return;
      }
      const std::string href = Attribute(text, "href");
      const std::string anchor = Attribute(text, "name");
      Blank();
      if (!anchor.empty()) doc_.anchors.push_back({anchor, doc_.text.size()});
      if (!href.empty() && href[0] == '#') Start(name, HelpStyle::Link, href.substr(1));
    }
  }

  HelpDocument doc_;
  std::vector<Open> open_;
  bool blank_ = false;
  bool in_head_ = false;
  bool in_title_ = false;
  int cells_ = 0;
};

}  // namespace

HelpDocument ParseHelp(std::string_view html) { return Parser().Run(html); }

}  // namespace tarnivo::view
