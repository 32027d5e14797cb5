#include <gtest/gtest.h>

#include "tests/fake_host.h"

namespace vantorel {
namespace {

TEST(ConversionRun, RefusesWithoutFileNames) {
    ColourTable picture(2, 2, Rgb(255, 255, 255));
    testing::FakeHost host(picture);
    EXPECT_EQ(ConversionRun(host, NcFormat()), RunOutcome::Aborted);
    ASSERT_EQ(host.events.size(), 2u);
    EXPECT_EQ(host.events[0], "warning:Need two file names\n\nConversion Aborted.");
    EXPECT_EQ(host.events[1], "status:Conversion Aborted");
}

}  // namespace
}  // namespace vantorel
