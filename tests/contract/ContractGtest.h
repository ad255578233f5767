// Runs the contract tables under GoogleTest: one test per family, one failure
// per case that does not hold.
#pragma once

#include <gtest/gtest.h>

#include "PlatformContract.h"

namespace tarnivo::contract {

inline void ExpectHolds(const std::string& name, const std::string& failure) {
  if (!failure.empty()) ADD_FAILURE() << name << ": " << failure;
}

inline void ExpectFamily(Impl impl, const std::function<std::unique_ptr<World>()>& make,
                         const std::string& family) {
  Run(impl, make, family, ExpectHolds);
}

inline std::string FamilyName(const ::testing::TestParamInfo<std::string>& info) {
  return info.param;
}

}  // namespace tarnivo::contract
