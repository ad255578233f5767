// Small helpers of the POSIX layer: its failures, native path joins and the
// split of drive-form text into folder and name.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "platform/PlatformError.h"

namespace tarnivo::posix {

[[noreturn]] void Fail(const std::string& what);
[[noreturn]] void Fail(const std::string& what, int err);  // what: strerror(err)

// A control character (below 0x20, or 0x7F) anywhere in `text`.
bool HasControl(const std::string& text);

// '\' and '/' both separate drive-form path parts.
inline bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// "/" + name below the root, folder + "/" + name elsewhere.
std::string NativeChild(const std::string& folder, const std::string& name);

// The parts joined with `separator`, from part `from` on.
std::string Join(const std::vector<std::string>& parts, const std::string& separator,
                 std::size_t from = 0);

// Splits drive-form text into the folder part and the last name:
// "C:\a\b.txt" => {"C:\a", "b.txt"}, "C:x" => {"C:", "x"}, "x" => {"", "x"},
// "C:\x" => {"C:\", "x"}, "\\server\share" => {"\\server\share", ""}.
std::pair<std::string, std::string> SplitLast(const std::string& text);

}  // namespace tarnivo::posix
