#include "check_agreement.h"

#include <gtest/gtest.h>

namespace ormidal {
namespace {

TEST(CheckAgainstEngine, GeneratedDay) {
  const AgreementCase c = GenerateCase("\x03\x10\x20\x30\x40\x50\x60\x70\x80\x90\xa0\xb0\xc0\xd0\xe0\xf0\x11\x22\x33\x44\x55\x66\x77\x88\x99", 86400);
  std::printf("%s\n", c.schedule.c_str());
  EXPECT_EQ(CompareWithEngine(c), "");
}

}  // namespace
}  // namespace ormidal
