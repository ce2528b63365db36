#include <gtest/gtest.h>

#include <string>

#include "wordlist/load_failure.h"

namespace pelmo {
namespace {

TEST(LoadFailureMessages, AreTheProgramsCodePage932Texts) {
  EXPECT_EQ(std::string(kErrorCaption), "\x83\x47\x83\x89\x81\x5b");  // エラー
  // The file name is used exactly as passed, even when it is not valid text.
  EXPECT_EQ(CannotOpenMessage("d\x81:\\x.csv"),
            "d\x81:\\x.csv\x82\xaa\x8a\x4a\x82\xaf\x82\xdc\x82\xb9\x82\xf1\x81\x42");
}

#if !defined(_WIN32)
// Elsewhere than Windows the report goes to standard error; the process still ends with 0.
TEST(LoadFailureDeathTest, TheDefaultHandlerEndsTheProcessWithStatusZero) {
  EXPECT_EXIT(ReportLoadFailure(NoDataMessage().c_str()), ::testing::ExitedWithCode(0), "CSV");
}
#endif

}  // namespace
}  // namespace pelmo
