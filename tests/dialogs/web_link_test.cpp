// Open web with a stand-in URL opener on PATH.
#include "dialogs/web_link.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "support/fake_program.h"
#include "support/test_support.h"

namespace vandrel {
namespace {

using testing::FakeProgram;
using testing::ScopedVariable;
using testing::TestDirectory;
using testing::WaitFor;

class WebLinkTest : public ::testing::Test {
 protected:
  TestDirectory folder_;
};

TEST_F(WebLinkTest, HandsTheMakersAddressToTheOpenerWithoutWaitingForIt) {
  // Alive far longer than the bound below, which a busy machine's fork and
  // exec stay well inside.
  FakeProgram opener(folder_, "xdg-open", "10");
  const char* old = std::getenv("PATH");
  ScopedVariable path("PATH", (folder_.path() + ":" + (old ? old : "/usr/bin:/bin")).c_str());

  const auto start = std::chrono::steady_clock::now();
  OpenWeb();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  ASSERT_TRUE(WaitFor([&] { return opener.lines().size() == 1; }));
  const std::string line = opener.lines()[0];
  const std::string args = " [https://brassholt.example/vandrel/] pid=";
  EXPECT_NE(line.find(args), std::string::npos) << line;
}

}  // namespace
}  // namespace vandrel
