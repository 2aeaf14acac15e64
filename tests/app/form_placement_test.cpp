// Stored placements, sound and odd, put on the screen: the whole window on it, no larger.
#include "app/form_placement.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

TEST(KeptOnScreen, TheWholeWindowLandsOnTheScreenWhateverWasStored) {
    const QSize screen(1024, 768);
    const QSize designed(618, 423);
    struct Case {
        const char* name;
        StoredEdges stored;
        QRect expected;
    };
    const std::vector<Case> cases = {
        {"on the screen: as stored", {10, 20, 610, 420}, QRect(10, 20, 600, 400)},
        {"off the right and bottom: moved in", {1500, 700, 2300, 900}, QRect(224, 568, 800, 200)},
        {"off the left and top: moved in", {-20, -5, 80, 95}, QRect(0, 0, 100, 100)},
        {"far to the left", {-5000, 10, -4400, 410}, QRect(0, 10, 600, 400)},
        {"at the largest 16-bit edge", {32767, 32767, 33367, 33167}, QRect(424, 368, 600, 400)},
        {"wider and taller than the screen: cut to it", {0, 0, 4000, 3000}, QRect(0, 0, 1024, 768)},
        {"negative size: the designed one", {100, 100, 50, -200}, QRect(100, 100, 618, 423)},
        {"no size: the designed one", {100, 100, 100, 100}, QRect(100, 100, 618, 423)},
        {"edges at the ends of the integers",
         {INT_MIN, INT_MIN, INT_MAX, INT_MAX},
         QRect(0, 0, 1024, 768)},
        {"right and bottom at the smallest integer",
         {0, 0, INT_MIN, INT_MIN},
         QRect(0, 0, 618, 423)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QRect kept = KeptOnScreen(c.stored, screen, designed);
        EXPECT_EQ(kept, c.expected);
        EXPECT_TRUE(QRect(QPoint(0, 0), screen).contains(kept));
    }
}

}  // namespace
