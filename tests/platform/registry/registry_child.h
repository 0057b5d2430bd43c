// Tasks the test program performs as a second process on the registry named
// by CARDWRIGHT_REGISTRY.
#pragma once

namespace cw {

inline constexpr const char* kChildFlag = "--registry-child";

// Runs the task named `task`; answers 0 when it did all it should.
int RunRegistryChild(const char* task);

}  // namespace cw
