#include "common/center_dialog.h"
#include "common/length_text.h"
#include "common/plugin_api.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string LengthText(uint32_t ms)
{
    char text[64];
    FormatLengthText(text, ms);
    return text;
}

TEST(LengthText, MinutesUnderAnHourHoursFromOneHourOn)
{
    EXPECT_EQ(LengthText(0), "0:00");
    EXPECT_EQ(LengthText(59999), "0:59");
    EXPECT_EQ(LengthText(60000), "1:00");
    EXPECT_EQ(LengthText(3599999), "59:59");
    EXPECT_EQ(LengthText(3600000), "1:00:00");
    EXPECT_EQ(LengthText(90061000), "25:01:01");
    EXPECT_EQ(LengthText(0xFFFFFFFEu), "1193:02:47");
    EXPECT_EQ(LengthText(PLUGIN_NO_LENGTH), "N/A");
}

RECT R(LONG l, LONG t, LONG r, LONG b) { return RECT{l, t, r, b}; }

TEST(CenteredOrigin, CentresOverOwnerInsideWorkArea)
{
    const RECT work = R(0, 0, 1024, 768);
    const RECT owner = R(100, 100, 500, 400);
    const DialogOrigin at = CenteredOrigin(R(0, 0, 200, 100), &owner, work);
    EXPECT_EQ(at.x, 200);
    EXPECT_EQ(at.y, 200);
}

TEST(CenteredOrigin, OwnerCrossingRightEdgePutsDialogOnTheEdge)
{
    const RECT work = R(0, 0, 1024, 768);
    const RECT owner = R(900, 600, 1300, 900);
    const DialogOrigin at = CenteredOrigin(R(0, 0, 300, 200), &owner, work);
    EXPECT_EQ(at.x, 1024 - 300);
    EXPECT_EQ(at.y, 768 - 200);
}

TEST(CenteredOrigin, OwnerLeftOfWorkAreaPutsDialogOnLeftEdge)
{
    const RECT work = R(0, 30, 1024, 768);
    const RECT owner = R(-500, -400, -100, 0);
    const DialogOrigin at = CenteredOrigin(R(0, 0, 100, 50), &owner, work);
    EXPECT_EQ(at.x, 0);
    EXPECT_EQ(at.y, 30);
}

TEST(CenteredOrigin, DialogWiderThanWorkAreaGetsOnlyOneCorrection)
{
    const RECT work = R(0, 0, 1024, 768);
    /* Centring leaves the left edge inside: the right edge goes onto the
     * work-area edge and the left one ends up outside. */
    const RECT owner = R(500, 0, 1300, 768);
    EXPECT_EQ(CenteredOrigin(R(0, 0, 1034, 10), &owner, work).x, -10);
    /* Centring puts the left edge outside: it goes onto the work-area edge. */
    const RECT leftOwner = R(0, 0, 800, 768);
    EXPECT_EQ(CenteredOrigin(R(0, 0, 1034, 10), &leftOwner, work).x, 0);
    /* Without an owner centring a too-wide dialog always starts left of it. */
    EXPECT_EQ(CenteredOrigin(R(0, 0, 1034, 10), nullptr, work).x, 0);
}

TEST(CenteredOrigin, NoOwnerCentresInWorkAreaNotScreen)
{
    const RECT work = R(100, 50, 1100, 750); /* e.g. a task bar on the left and top */
    const DialogOrigin at = CenteredOrigin(R(10, 10, 210, 110), nullptr, work);
    EXPECT_EQ(at.x, 500);
    EXPECT_EQ(at.y, 350);
}

TEST(CenteredOrigin, OddSpareTruncatesTowardZero)
{
    const RECT work = R(-2000, -2000, 2000, 2000);
    const RECT owner = R(-301, -301, 0, 0); /* spare -301 + 100 = ... */
    const DialogOrigin at = CenteredOrigin(R(0, 0, 100, 100), &owner, work);
    EXPECT_EQ(at.x, -301 + (301 - 100) / 2);
    const RECT small = R(0, 0, 99, 99); /* spare -1: -1 / 2 truncates to 0 */
    EXPECT_EQ(CenteredOrigin(R(0, 0, 100, 100), &small, work).x, 0);
}

TEST(MulDivStandIn, RoundsHalfAwayFromZeroAndRefusesOverflow)
{
    EXPECT_EQ(MulDiv(8000, 100, 352800), 2);
    EXPECT_EQ(MulDiv(8000, 200, 352800), 5);
    EXPECT_EQ(MulDiv(1, 3, 2), 2);
    EXPECT_EQ(MulDiv(-1, 3, 2), -2);
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
    EXPECT_EQ(MulDiv(0x7FFFFFFF, 4, 1), -1);
}

} // namespace
