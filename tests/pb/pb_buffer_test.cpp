// Buffers: copy-on-write, appends (also of a buffer to itself) and order.
#include <gtest/gtest.h>

#include <string>

#include "pb/pb.h"
#include "pb/pb_ref.hpp"
#include "support/live_objects.hpp"
#include "support/text.hpp"

namespace {

using vtest::bytes;

pb::Ref<PB_BUFFER> buf(const std::string& s) {
    return pb::adopt(pbBufferCreateFromBytes(s.data(), PB_INT(s.size())));
}

TEST(PbBuffer, MutatorsCopyOnlyWhenShared) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto a = buf(std::string("ab\0c", 4));
    PB_BUFFER* held = a.get();
    pbBufferSetByteAt(a.out(), 0, 'X');
    EXPECT_EQ(a.get(), held);  // sole holder: changed in place
    auto b = a;
    pbBufferAppendByte(b.out(), 0xFF);
    EXPECT_NE(b.get(), a.get());
    EXPECT_EQ(bytes(a.get()), std::string("Xb\0c", 4));
    EXPECT_EQ(bytes(b.get()), std::string("Xb\0c\xFF", 5));
    EXPECT_EQ(pbBufferByteAt(b.get(), 4), 0xFF);

    auto c = b;
    pbBufferClear(c.out());
    EXPECT_EQ(pbBufferLength(c.get()), 0);
    EXPECT_EQ(pbBufferLength(b.get()), 5);
    pbBufferClear(c.out());  // unshared and empty
    EXPECT_EQ(pbBufferLength(c.get()), 0);
}

TEST(PbBuffer, AppendsGrowAndMayReadTheirOwnBytes) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto a = buf("0123456789");
    pbBufferAppend(a.out(), a.get());
    EXPECT_EQ(bytes(a.get()), "01234567890123456789");
    // Bytes taken from the buffer's own backing survive the growth.
    for (int i = 0; i < 5; ++i) pbBufferAppendBytes(a.out(), pbBufferBacking(a.get()), pbBufferLength(a.get()));
    EXPECT_EQ(pbBufferLength(a.get()), 640);
    EXPECT_EQ(bytes(a.get()).substr(600, 20), "01234567890123456789");
    auto empty = pb::adopt(pbBufferCreate());
    pbBufferAppendBytes(empty.out(), nullptr, 0);
    pbBufferAppend(empty.out(), empty.get());
    EXPECT_EQ(pbBufferLength(empty.get()), 0);
    auto copy = pb::adopt(pbBufferCreateFrom(a.get()));
    EXPECT_TRUE(pbBufferEquals(copy.get(), a.get()));
}

TEST(PbBuffer, OrdersByUnsignedBytesThenLength) {
    VTEST_NO_LEAKS_IN_SCOPE();
    auto empty = buf(""), a = buf("a"), ab = buf("ab"), b = buf("b"), high = buf("\x80");
    EXPECT_LT(pbBufferCompare(empty.get(), a.get()), 0);
    EXPECT_LT(pbBufferCompare(a.get(), ab.get()), 0);
    EXPECT_LT(pbBufferCompare(ab.get(), b.get()), 0);
    EXPECT_GT(pbBufferCompare(high.get(), b.get()), 0);
    EXPECT_TRUE(pbBufferEquals(buf("ab").get(), ab.get()));
}

TEST(PbBufferDeathTest, ChecksIndexesAndLengths) {
    auto a = buf("ab");
    EXPECT_DEATH(pbBufferByteAt(a.get(), 2), "index >= 0 && index < buffer->length");
    EXPECT_DEATH(pbBufferSetByteAt(a.out(), -1, 0), "index >= 0 && index < \\(\\*buffer\\)->length");
    EXPECT_DEATH(pbBufferCreateFromBytes("x", -1), "source/pb/pb_buffer.cpp:[0-9]+: length >= 0");
}

}  // namespace
