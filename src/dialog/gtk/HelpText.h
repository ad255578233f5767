// The help file's HTML as plain text with styled spans, for a text view: the
// small part of HTML that the help file uses (headings, paragraphs, bold,
// typewriter text, indented blocks, a two-column table, line breaks, links
// within the file and their anchors, the common entities). Other tags are
// dropped and their text kept.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarnivo::view {

enum class HelpStyle { Heading, Subheading, Bold, Code, Indent, Table, Link };

// A styled stretch of the text, in bytes from its start; a link's target is
// an anchor's name.
struct HelpSpan {
  HelpStyle style;
  std::size_t begin = 0, end = 0;
  std::string target;
  bool operator==(const HelpSpan&) const = default;
};

struct HelpAnchor {
  std::string name;
  std::size_t at = 0;
  bool operator==(const HelpAnchor&) const = default;
};

struct HelpDocument {
  std::string title;
  // Blanks run together as in HTML; a paragraph or heading stands apart by
  // an empty line, a table row is one line with a tab between its cells.
  std::string text;
  std::vector<HelpSpan> spans;
  std::vector<HelpAnchor> anchors;
};

//   ParseHelp("<title>T</title><p>a <b>b</b></p>") => title "T", text "a b",
//   spans {Bold 2..3}
HelpDocument ParseHelp(std::string_view html);

}  // namespace tarnivo::view
