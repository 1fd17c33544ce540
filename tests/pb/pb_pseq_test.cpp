// The persistent sequence's two forms: a small sequence is one leaf with
// room for about its elements; the tree forms beyond a leaf and goes again.
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

}  // namespace
