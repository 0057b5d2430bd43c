// The test program doubles as the second process of the cross-process tests:
// started with kChildFlag it performs one child task instead of the tests.
#include <gtest/gtest.h>

#include <string_view>

#include <QCoreApplication>

#include "tests/platform/registry/registry_child.h"

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  if (argc >= 3 && std::string_view(argv[1]) == cw::kChildFlag) {
    return cw::RunRegistryChild(argv[2]);
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
