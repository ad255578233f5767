// The one exception of the platform interfaces.
#pragma once

#include <stdexcept>
#include <string>

namespace tarnivo {

// A platform operation failed. The text is for developers only: the user
// never sees it, since each handler shows its own fixed message.
class PlatformError : public std::runtime_error {
 public:
  explicit PlatformError(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace tarnivo
