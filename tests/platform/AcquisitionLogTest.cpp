// The acquisition log: appended in GBK like the line's other files, each line in the file as
// soon as it is written.

#include <gtest/gtest.h>

#include <string>

#include "TestFiles.h"
#include "platform/AcquisitionLog.h"

namespace kova {
namespace {

TEST(AcquisitionLogTest, LinesAppendInGbkAndAreInTheFileAtOnce) {
    const test::TempDir dir;
    const auto file = dir / "AcqData.log";
    test::writeBytes(file, "earlier\r\n");

    AcquisitionLog log;
    EXPECT_FALSE(log);
    log.write("not open\r\n");  // dropped, not an error
    ASSERT_TRUE(log.open(file));
    log.write("通道 1 volt: 1.500000\r\n");
    // Read while the log is still open: nothing waits in a buffer.
    EXPECT_EQ(test::readBytes(file), "earlier\r\n\xCD\xA8\xB5\xC0 1 volt: 1.500000\r\n");

    log.close();
    EXPECT_FALSE(log);
    ASSERT_TRUE(log.open(file));
    log.write("again\r\n");
    EXPECT_EQ(test::readBytes(file), "earlier\r\n\xCD\xA8\xB5\xC0 1 volt: 1.500000\r\nagain\r\n");

    EXPECT_FALSE(log.open(dir / "missing" / "AcqData.log"));
    EXPECT_FALSE(log);
}

}  // namespace
}  // namespace kova
