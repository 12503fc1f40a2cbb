#include "app/drop_routing.h"

#include <gtest/gtest.h>

using namespace pdt::app;

// Where a drop lands and what the files are decide alone what it does.
TEST(DropRouting, EachPlaceTakesWhatItCanAndLeavesTheRestToTheWindow) {
    const DroppedFile set{true, false};
    const DroppedFile picture{false, true};
    const DroppedFile other{false, false};
    const struct {
        DropPlace place;
        std::vector<DroppedFile> files;
        DropAction action;
    } cases[] = {
        {DropPlace::Window, {}, DropAction::RefuseCount},
        {DropPlace::Window, {picture}, DropAction::Open},
        {DropPlace::Window, {set, set}, DropAction::RefuseCount},
        {DropPlace::Frame, {picture}, DropAction::Attach},
        {DropPlace::Frame, {set}, DropAction::Open},
        {DropPlace::Frame, {other}, DropAction::Open},
        {DropPlace::Frame, {picture, picture}, DropAction::RefuseCount},
        {DropPlace::List, {picture}, DropAction::AddPatterns},
        {DropPlace::List, {picture, other}, DropAction::AddPatterns}, // named as refused later
        {DropPlace::List, {other}, DropAction::Open},
        {DropPlace::List, {picture, set}, DropAction::RefuseCount},
        {DropPlace::List, {set}, DropAction::Open},
        {DropPlace::List, {}, DropAction::RefuseCount},
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(RouteDrop(cases[k].place, cases[k].files), cases[k].action);
    }
}
