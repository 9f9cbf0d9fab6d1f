#include "recorder_protocol.h"

#include <gtest/gtest.h>

#include <string>

namespace ormidal {
namespace {

// Every side takes these from the header, so only this test would see them
// change under the recording programs in use.
TEST(RecorderProtocol, TheWireValuesAreThoseRecordingProgramsRead) {
  EXPECT_EQ(kStartRequestCode, 707u);
  EXPECT_EQ(kStartRequestData, 0u);
  EXPECT_EQ(std::string(kStopMessageName), "Fendrel schedule");
  EXPECT_EQ(kStopRequestCode, 7u);
  EXPECT_EQ(std::string(kMouseClickMessageName), "mouse click");
}

}  // namespace
}  // namespace ormidal
