#include <gtest/gtest.h>

#include "link/ticks.h"

namespace nesmo {
namespace {

class FakeClock final : public TickClock {
public:
    qint64 milliseconds() const override { return ms; }
    qint64 ms = 0;
};

TEST(ReplyTimer, LastsBetweenNAndNPlusOneTicks)
{
    FakeClock clock;
    ReplyTimer timer(clock);
    clock.ms = 110;  // tick 2, at its start
    timer.start(45);
    clock.ms = 110 + 45 * 55 + 54;
    EXPECT_FALSE(timer.expired());
    clock.ms = 110 + 46 * 55;
    EXPECT_TRUE(timer.expired());

    clock.ms = 164;  // tick 2, at its end
    timer.start(10);
    clock.ms = 164 + 10 * 55 - 54;
    EXPECT_FALSE(timer.expired());
    clock.ms = 164 + 10 * 55 + 1;
    EXPECT_TRUE(timer.expired());
    EXPECT_EQ(timer.remainingMs(), 0);
}

TEST(ReplyTimer, RemainingTimeReachesTheExpiry)
{
    FakeClock clock;
    ReplyTimer timer(clock);
    clock.ms = 1000;
    timer.start(45);
    clock.ms += timer.remainingMs() - 1;
    EXPECT_FALSE(timer.expired());
    clock.ms += 1;
    EXPECT_TRUE(timer.expired());
}

TEST(ReplyTimer, SurvivesTheWrapOfTheTickCount)
{
    FakeClock clock;
    ReplyTimer timer(clock);
    clock.ms = static_cast<qint64>(kTickWrap - 3) * kTickMs;
    timer.start(10);
    clock.ms += 5 * kTickMs;  // the tick count has wrapped to 2
    EXPECT_EQ(clock.ticks(), 2u);
    EXPECT_FALSE(timer.expired());
    clock.ms += 6 * kTickMs;
    EXPECT_TRUE(timer.expired());
}

}  // namespace
}  // namespace nesmo
