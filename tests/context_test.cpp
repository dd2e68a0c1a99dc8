#include <gtest/gtest.h>

#include "search/context.h"

namespace {

struct Contexts {
    CpuContext* owner = create_context(0);
    CpuContext* other = create_context(1);
    ~Contexts() {
        destroy_context(owner);
        destroy_context(other);
    }
};

int free_count(const CpuContext& c) {
    int n = 0;
    for (Frame* f = c.free_frames; f; f = f->next) ++n;
    return n;
}

// A fresh context holds every frame of its pool. A frame handed back by another thread waits
// until its owner's free list runs dry; the owner's own returns are reused at once. With nothing
// left the program ends.
TEST(FramePool, ReturnedFramesAreReusedOnlyWhenTheFreeListIsEmpty) {
    Contexts c;
    EXPECT_EQ(free_count(*c.owner), FRAME_POOL_SIZE);
    EXPECT_EQ(c.owner->top, -1);
    for (const Frame& f : c.owner->frame_pool) EXPECT_EQ(f.owner, c.owner);
    Frame* lent = get_free_frame(*c.owner);
    return_frame(*c.other, lent);
    EXPECT_EQ(c.owner->returned_frames, lent);
    EXPECT_EQ(free_count(*c.other), FRAME_POOL_SIZE);

    Frame* own = get_free_frame(*c.owner);
    return_frame(*c.owner, own);
    EXPECT_EQ(get_free_frame(*c.owner), own);
    for (int i = 2; i < FRAME_POOL_SIZE; ++i) EXPECT_NE(get_free_frame(*c.owner), lent);
    lent->workers = 7;
    EXPECT_EQ(get_free_frame(*c.owner), lent);
    EXPECT_EQ(lent->workers, 1);  // its split fields start afresh
    EXPECT_EQ(c.owner->returned_frames, nullptr);
    EXPECT_EXIT(get_free_frame(*c.owner), ::testing::ExitedWithCode(1),
                "get_free_frame\\(\\): free list empty!");
}

}  // namespace
