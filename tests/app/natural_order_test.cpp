#include "app/natural_order.h"

#include <gtest/gtest.h>

using namespace pdt::app;

// Names are compared as people read them; folders do not count; equal names keep their
// order.
TEST(NaturalOrder, NumbersCountByValueAndLettersInAnyCase) {
    const struct {
        QStringList in;
        QStringList sorted;
    } cases[] = {
        {{"p10.bmp", "p2.bmp", "p1.bmp"}, {"p1.bmp", "p2.bmp", "p10.bmp"}},
        {{"b.bmp", "A.bmp", "a2.bmp"}, {"A.bmp", "a2.bmp", "b.bmp"}},
        {{"x/p007.jpg", "y/p7.gif", "p06.bmp"}, {"p06.bmp", "y/p7.gif", "x/p007.jpg"}},
        {{"b/p07.bmp", "a/p7.bmp"}, {"b/p07.bmp", "a/p7.bmp"}}, // equal names keep their order
        {{"z/b.bmp", "a/c.bmp", "y/B.bmp"}, {"z/b.bmp", "y/B.bmp", "a/c.bmp"}},
        {{"img12a", "img12", "img1b"}, {"img1b", "img12", "img12a"}},
        {{"写真10.jpg", "写真9.jpg"}, {"写真9.jpg", "写真10.jpg"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in.join(' ').toStdString());
        EXPECT_EQ(SortedByName(c.in), c.sorted);
    }
}
