// The persistent sequence's forms: a small sequence is one leaf with room
// for about its elements, possibly in its holder's memory; the tree forms
// beyond a leaf and goes again.
#include <gtest/gtest.h>

#include "pb/pb_pseq.hpp"

namespace {

struct Element {
    int value = 0;
};
using Seq = pb::PSeq<Element>;

TEST(PbPSeq, SmallFormFitsItsElementsAndTheTreeComesAndGoes) {
    Seq s;
    for (int i = 0; i < 8; ++i) {
        s.append(Element{i});
        EXPECT_EQ(s.rootLeafCapacity(), i + 1);  // no free slot up to eight
    }
    Seq shared = s;
    for (int i = 8; i < 40; ++i) s.insert(0, Element{i});
    EXPECT_GT(s.height(), 1);
    EXPECT_EQ(shared.rootLeafCapacity(), 8);
    EXPECT_EQ(shared.at(7).value, 7);

    Seq tree = s;
    while (s.size() > 3) s.erase(s.size() / 2);
    EXPECT_EQ(s.height(), 1);
    EXPECT_EQ(s.rootLeafCapacity(), 4);
    EXPECT_EQ(tree.size(), 40);
    EXPECT_EQ(tree.height(), 2);
    EXPECT_EQ(s.at(0).value, 39);
    EXPECT_EQ(s.at(2).value, 7);
}

// A root embedded in its holder's memory is changed in place and never
// shared: copies and moves take leaves of their own, and outgrowing it
// moves the elements out. roomFor asks for an exact fit up to eight.
TEST(PbPSeq, EmbeddedRootIsNeverSharedAndMovesOutWhenOutgrown) {
    alignas(void*) unsigned char memory[2][256];
    ASSERT_LE(Seq::embeddedBytes(Seq::kEmbedMax), sizeof memory[0]);
    Seq s;
    s.embed(memory[0], 3);
    for (int i = 0; i < 3; ++i) s.append(Element{i});
    EXPECT_TRUE(s.isEmbedded());
    EXPECT_EQ(s.roomFor(3, 3), -1);
    EXPECT_EQ(s.roomFor(4, 3), 4);
    EXPECT_EQ(s.roomFor(2, 3), -1);  // one free slot may stay
    EXPECT_EQ(s.roomFor(1, 3), 1);
    EXPECT_EQ(s.roomFor(9, 3), -1);  // beyond eight: the tree
    EXPECT_EQ(s.roomFor(0, 3), 0);

    Seq copy = s;
    EXPECT_FALSE(copy.isEmbedded());
    EXPECT_FALSE(copy.sharesRootWith(s));
    copy.replace(0, Element{7});
    EXPECT_EQ(s.at(0).value, 0);

    Seq small;
    small.embed(memory[1], 3);
    small.takeEmbedded(copy);
    EXPECT_TRUE(small.isEmbedded());
    EXPECT_TRUE(copy.empty());
    EXPECT_EQ(small.at(0).value, 7);

    s.insert(1, Element{9});  // outgrows its memory
    EXPECT_FALSE(s.isEmbedded());
    EXPECT_EQ(s.size(), 4);
    EXPECT_EQ(s.at(1).value, 9);
    EXPECT_EQ(s.at(3).value, 2);
    Seq moved = std::move(small);
    EXPECT_FALSE(moved.isEmbedded());
    EXPECT_EQ(moved.at(2).value, 2);
}

}  // namespace
