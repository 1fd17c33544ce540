// The persistent ordered sequence under vectors, dictionaries and stores.
//
// pb::PSeq<E> is a B+-tree of reference-counted nodes. Leaves hold up to
// kLeafFanout elements; inner nodes hold up to kInnerFanout children with
// each child's element count (for positional access) and a pointer to the
// child's first element (for ordered search). Copying a PSeq shares the
// whole tree in O(1); changing a tree whose nodes another holder shares
// copies only the nodes on the path from the root to the changed leaf (plus
// at most one sibling per level when nodes split, merge or rebalance), so a
// change costs O(log n) however large the sequence is.
//
// The fanouts are small (16) because a copied node takes a reference to
// every child or held object, each an atomic change that usually misses
// the cache: a shared change pays for the fanout on every level, while a
// lookup's cost hardly depends on it (it takes about log2 n steps either
// way, most of them decided by the key summaries below).
//
// A node is changed in place only when the tree that is being changed is
// its sole holder (reference count 1, reached through sole-held parents);
// otherwise it is copied first. So a tree may be read by many threads at
// once, and one holder may change its own PSeq while others read theirs.
// Node reference counts are atomic for that reason.
//
// Small sequences: a sequence of up to kLeafFanout elements is a single leaf,
// the root, allocated with room for about as many elements as it holds
// (one allocation of a 16-byte header plus the elements): up to eight
// elements it grows one slot at a time, then by half when full, up to
// a full leaf; the next insert splits it and the sequence becomes a tree. A
// tree that shrinks back to one leaf hands the root to that leaf; a small
// root leaf keeps at most one free slot, a larger one at least half its
// slots in use. Leaves below the root always have room for kLeafFanout elements.
// A container object may hold a sequence of up to kEmbedMax elements in
// its own allocation (see embed).
//
// E is the element type. It must be default-constructible (an empty
// element that holds nothing), copyable (a copy takes its own references,
// e.g. through pb::Ref) and movable; its destructor drops what it holds.
// Elements of a node that is freed are destroyed, so objects held by
// elements go away with the last tree that refers to them.
//
// Ordered use: the containers keep elements ordered by a key of their own
// and find them with lowerBound( cmp ), where cmp( element ) compares the
// element with the sought key (<0: element before the key, 0: equal, >0:
// after). The tree does not know the order; inserting at the position that
// lowerBound gives keeps it.
//
// Hints: an element type with a string key may offer `pb::StringHints
// hints() const`, the summary of its key (pb::stringHints; an empty one
// for other keys). Inner nodes keep the summary of each child's first
// element beside it, and lowerBound( cmp, found, hints ) with the sought
// key's summary decides most steps from the summaries alone
// (pb::compareHints), without reaching the elements (and what they point
// to) in memory.
//
// Invariants: the root is NULL for an empty sequence (or an empty leaf
// that reserve or embed made for elements to come); every other node is
// non-empty; an inner node other than the root has at least
// kInnerFanout/2 children; leaves are at least half full except leaves
// made by appending at the end of the sequence (they fill up before they
// split again).
#pragma once

#include <atomic>
#include <cstdint>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

#include "pb/pb_obj.h"
#include "pb/pb_string.hpp"

namespace pb {

template <class E>
class PSeq {
public:
    static constexpr int kLeafFanout = 16;   // elements of a full leaf
    static constexpr int kInnerFanout = 16;  // children of a full inner node
    static constexpr int kMaxDepth = 24;     // fanout >= 8 below the root: far beyond 2^63 elements

private:
    struct Node {
        Node(bool isLeaf, int cap) : capacity(uint8_t(cap)), leaf(isLeaf) {}
        std::atomic<int32_t> refs{1};  // holders: trees and parent nodes
        uint8_t count = 0;             // elements (leaf) or children (inner) in use
        uint8_t capacity;              // slots allocated: the full fanout, or fewer in a root leaf; set once
        bool leaf;                     // set once at creation
        bool embedded = false;         // a root leaf in its holder's memory (see embed); set once
        PB_INT size = 0;               // elements in the subtree
    };
    static_assert(sizeof(Node) == 16, "a node header is 16 bytes");
    static_assert(kLeafFanout <= 255 && kInnerFanout <= 255, "capacities fit a byte");
    // One child of an inner node: the child, its element count and its first element.
    struct Slot {
        Node* child = nullptr;
        PB_INT size = 0;
        const E* first = nullptr;
        StringHints hints;  // the key summary of *first
    };
    // A leaf (T = E) or an inner node (T = Slot): the header, followed in
    // the same allocation by capacity slots; slots count..capacity-1 are empty.
    template <class T>
    struct Body : Node {
        Body(bool isLeaf, int cap) : Node(isLeaf, cap) {
            for (int i = 0; i < cap; ++i) new (&at()[i]) T();
        }
        // A copy of b, but for slot skip (an element there is left empty, a
        // child is copied without a reference of its own).
        Body(const Body& b, int skip) : Node(b.leaf, b.capacity) {
            this->count = b.count;
            this->size = b.size;
            for (int i = 0; i < b.count; ++i) {
                if (i != skip || std::is_same_v<T, Slot>) new (&at()[i]) T(b.at()[i]);
                else new (&at()[i]) T();
            }
            for (int i = b.count; i < b.capacity; ++i) new (&at()[i]) T();
        }
        ~Body() {
            for (int i = 0; i < this->capacity; ++i) at()[i].~T();
        }
        T* at() { return reinterpret_cast<T*>(this + 1); }
        const T* at() const { return reinterpret_cast<const T*>(this + 1); }
        static size_t bytes(int cap) { return sizeof(Body) + size_t(cap) * sizeof(T); }
    };
    using Leaf = Body<E>;
    using Inner = Body<Slot>;
    // The slots of a full node of each kind, and the fewest a node below the root keeps.
    template <class T>
    static constexpr int kFull = std::is_same_v<T, Slot> ? kInnerFanout : kLeafFanout;
    template <class T>
    static constexpr int kMin = kFull<T> / 2;

public:
    PSeq() = default;
    // An embedded root is not shared: a copy gets a leaf of its own, a
    // move takes the elements into one.
    PSeq(const PSeq& other) : root_(other.root_) {
        if (!root_) return;
        if (root_->embedded) root_ = cloneBody(asLeaf(root_));
        else retainNode(root_);
    }
    PSeq(PSeq&& other) noexcept : root_(std::exchange(other.root_, nullptr)) {
        if (root_ && root_->embedded) resizeLeaf(root_, root_->capacity);
    }
    ~PSeq() { clear(); }
    PSeq& operator=(const PSeq& other) {
        PSeq copy(other);
        std::swap(root_, copy.root_);
        return *this;
    }
    PSeq& operator=(PSeq&& other) noexcept {
        PSeq moved(std::move(other));
        std::swap(root_, moved.root_);
        return *this;
    }

    PB_INT size() const { return root_ ? root_->size : 0; }
    bool empty() const { return size() == 0; }
    // True when both sequences are the same tree (and so hold equal elements).
    bool sharesRootWith(const PSeq& other) const { return root_ == other.root_; }

    void clear() {
        if (Node* r = std::exchange(root_, nullptr)) releaseNode(r);
    }

    // Small sequences in their holder's allocation. A holder (a container
    // object) may give an empty sequence embeddedBytes( cap ) bytes of its
    // own allocation (aligned for a pointer) for a root leaf of cap
    // elements, so that a small container is a single allocation. The
    // embedded root is changed in place and never shared; when the
    // sequence outgrows it, or a copy or move of the sequence is made, the
    // elements go to a leaf of their own. roomFor tells the holder when to
    // move into a new holder of the right size instead.
    static constexpr int kEmbedMax = 8;
    static size_t embeddedBytes(int cap) { return Leaf::bytes(cap); }
    void embed(void* memory, int cap) {
        PB_ASSERT(!root_ && cap >= 1 && cap <= kEmbedMax);
        root_ = new (memory) Leaf(true, cap);
        root_->embedded = true;
    }
    bool isEmbedded() const { return root_ && root_->embedded; }
    // The room (in elements) that a holder with room for `room` embedded
    // elements should move to when it holds n elements now or after an
    // insert: n elements exactly up to kEmbedMax (none when empty), while
    // the room in use may keep one free slot; -1 when it may stay. Larger
    // sequences are trees that need no room (the holder keeps what it has).
    int roomFor(PB_INT n, int room) const {
        if (n > kEmbedMax) return -1;
        if (n == 0) return room == 0 ? -1 : 0;
        return isEmbedded() && room >= n && room <= n + 1 ? -1 : int(n);
    }
    // Fills an empty embedded root (with room for them) with the elements
    // of from, which is left empty: moved when from alone holds its leaf,
    // else copied.
    void takeEmbedded(PSeq& from) {
        Leaf* to = emptyEmbedded(from.size());
        if (from.root_ && from.root_->leaf && from.root_->refs.load(std::memory_order_acquire) == 1) {
            Leaf* leaf = asLeaf(from.root_);
            for (int i = 0; i < leaf->count; ++i) to->at()[i] = std::move(leaf->at()[i]);
            to->count = leaf->count;
            to->size = to->count;
        } else {
            copyEmbedded(from);
        }
        from.clear();
    }
    // Fills an empty embedded root (with room for them) with copies of the elements of from.
    void copyEmbedded(const PSeq& from) {
        Leaf* to = emptyEmbedded(from.size());
        int i = 0;
        for (Cursor c(from); !c.done(); c.next()) to->at()[i++] = *c;
        to->count = uint8_t(i);
        to->size = i;
    }

    // The element at pos. The caller has checked 0 <= pos < size().
    const E& at(PB_INT pos) const {
        const Node* n = root_;
        while (!n->leaf) {
            const Inner* in = asInner(n);
            int c = childFor(in, pos, false);
            n = in->at()[c].child;
        }
        return asLeaf(n)->at()[pos];
    }

    // The first position whose element does not order before the key that
    // cmp compares with (size() when there is none). *found (when not NULL)
    // receives that element, or NULL at the end. O(log n) comparisons.
    template <class F>
    PB_INT lowerBound(F&& cmp, const E** found = nullptr, const StringHints& hints = {}) const {
        const E* e = nullptr;
        PB_INT pos = search<true>(cmp, &e, hints);
        if (found) *found = e;
        return pos;
    }

    // The element lowerBound finds (NULL at the end), without its position.
    template <class F>
    const E* lowerBoundElement(F&& cmp, const StringHints& hints = {}) const {
        const E* e = nullptr;
        search<false>(cmp, &e, hints);
        return e;
    }

    // Room for n elements in a sequence that is empty (or a single leaf),
    // so that n appends allocate once. Beyond a leaf this does nothing.
    void reserve(PB_INT n) {
        if (n > kLeafFanout) return;
        if (!root_) {
            if (n > 0) root_ = newBody<E>(true, int(n));
        } else if (root_->leaf && root_->capacity < n) {
            resizeLeaf(root_, int(n));
        }
    }

    // Inserts value before position pos (0 <= pos <= size(), checked by the caller).
    void insert(PB_INT pos, E value) {
        if (!root_) root_ = newBody<E>(true, 1);
        bool atEnd = pos == root_->size;
        // A full small root grows (once, straight into a private copy when shared).
        if (root_->leaf && root_->count == root_->capacity && root_->capacity < kLeafFanout)
            resizeLeaf(root_, grownCapacity(root_->count));
        own(root_);
        if (Node* right = insertInto(root_, pos, std::move(value), atEnd)) {
            Inner* top = newBody<Slot>(false);
            top->at()[0] = slotOf(root_);
            top->at()[1] = slotOf(right);
            top->count = 2;
            top->size = root_->size + right->size;
            root_ = top;
        }
    }

    // Appends value. A root leaf of this sequence alone with a free slot
    // (the common case while a container is being built) takes it at once.
    void append(E value) {
        if (root_ && root_->leaf && root_->count < root_->capacity &&
            (root_->embedded || root_->refs.load(std::memory_order_acquire) == 1)) {
            Leaf* leaf = asLeaf(root_);
            leaf->at()[leaf->count++] = std::move(value);
            leaf->size += 1;
            return;
        }
        insert(size(), std::move(value));
    }

    // Fills an empty sequence with n elements, each taken from next() in
    // order: a tree built bottom-up in one pass, its leaves and inner nodes
    // filled evenly (so at least half full). Sequences of up to a leaf are
    // left to reserve and append.
    template <class F>
    void build(PB_INT n, F&& next) {
        PB_ASSERT(!root_ && n > kLeafFanout);
        std::vector<Slot> level(size_t((n + kLeafFanout - 1) / kLeafFanout));
        for (size_t i = 0, m = level.size(); i < m; ++i) {
            Leaf* leaf = newBody<E>(true);
            int count = int(n / PB_INT(m) + (PB_INT(i) < n % PB_INT(m)));
            for (int k = 0; k < count; ++k) leaf->at()[k] = next();
            leaf->count = uint8_t(count);
            leaf->size = count;
            level[i] = slotOf(leaf);
        }
        while (level.size() > 1) {
            size_t k = level.size(), m = (k + kInnerFanout - 1) / kInnerFanout;
            std::vector<Slot> up(m);
            for (size_t i = 0, from = 0; i < m; ++i) {
                Inner* in = newBody<Slot>(false);
                int count = int(k / m + (i < k % m));
                for (int c = 0; c < count; ++c) in->at()[c] = level[from++];
                in->count = uint8_t(count);
                recount(in);
                up[i] = slotOf(in);
            }
            level.swap(up);
        }
        root_ = level[0].child;
    }

    // Replaces the element at pos (0 <= pos < size(), checked by the caller).
    void replace(PB_INT pos, E value) { replaceIn(root_, pos, std::move(value), false); }

    // The element at pos (0 <= pos < size(), checked by the caller) for a
    // change in place that keeps its order, when this tree alone holds every
    // node on the way to it; else NULL (replace then copies what is shared).
    E* soleAt(PB_INT pos) {
        for (Node* n = root_;;) {
            if (n->refs.load(std::memory_order_acquire) != 1) return nullptr;
            if (n->leaf) return &asLeaf(n)->at()[pos];
            Inner* in = asInner(n);
            n = in->at()[childFor(in, pos, false)].child;
        }
    }

    // Removes the element at pos (0 <= pos < size(), checked by the caller).
    void erase(PB_INT pos) {
        own(root_);
        eraseFrom(root_, pos);
        // A root left with one child hands over to it; an empty leaf root goes;
        // a small root leaf keeps at most one free slot, a larger one at
        // least half its slots in use.
        while (!root_->leaf && root_->count == 1) {
            Node* child = asInner(root_)->at()[0].child;
            retainNode(child);
            releaseNode(root_);
            root_ = child;
        }
        if (root_->count == 0) clear();
        else if (root_->leaf && !root_->embedded && root_->capacity > grownCapacity(root_->count) &&
                 (root_->capacity <= 8 || root_->count * 2 < root_->capacity))
            resizeLeaf(root_, grownCapacity(root_->count));
    }

    // The capacity of the root leaf (0 when empty); tells the small form
    // from the tree, for tests.
    int rootLeafCapacity() const { return root_ && root_->leaf ? root_->capacity : 0; }
    // The height of the tree: 0 empty, 1 a single leaf, more for a tree.
    int height() const {
        int h = 0;
        for (const Node* n = root_; n; n = n->leaf ? nullptr : asInner(n)->at()[0].child) ++h;
        return h;
    }

    // Calls fn( element ) for every element in order.
    template <class F>
    void forEach(F&& fn) const {
        if (root_) forEachIn(root_, fn);
    }

    // Steps through the elements in order: for (Cursor c(seq); !c.done(); c.next()) use(*c);
    class Cursor {
    public:
        explicit Cursor(const PSeq& seq) {
            if (seq.size() > 0) descend(seq.root_);
        }
        bool done() const { return depth_ == 0; }
        const E& operator*() const { return asLeaf(path_[depth_ - 1])->at()[index_[depth_ - 1]]; }
        void next() {
            while (depth_ > 0) {
                int d = depth_ - 1;
                if (++index_[d] < path_[d]->count) {
                    if (!path_[d]->leaf) descend(asInner(path_[d])->at()[index_[d]].child);
                    return;
                }
                --depth_;
            }
        }

    private:
        // Pushes n and its leftmost descendants.
        void descend(const Node* n) {
            for (;;) {
                PB_ASSERT(depth_ < kMaxDepth);
                path_[depth_] = n;
                index_[depth_] = 0;
                ++depth_;
                if (n->leaf) return;
                n = asInner(n)->at()[0].child;
            }
        }
        const Node* path_[kMaxDepth];
        int index_[kMaxDepth];
        int depth_ = 0;
    };

private:
    // lowerBound's walk; the position (the sizes of the subtrees passed on
    // the way) is summed only when kPosition.
    template <bool kPosition, class F>
    PB_INT search(F& cmp, const E** found, const StringHints& hints) const {
        // Whether an element (with summary h) orders before the key.
        auto before = [&](const E& e, const StringHints& h) {
            int told = compareHints(h, hints);
            return told != kHintsUntold ? told < 0 : cmp(e) < 0;
        };
        const E* next = nullptr;  // first element after the current subtree
        PB_INT base = 0;
        const Node* n = root_;
        if (!n) {
            *found = nullptr;
            return 0;
        }
        while (!n->leaf) {
            const Inner* in = asInner(n);
            int lo = 0, hi = in->count;
            while (lo < hi) {
                int mid = (lo + hi) / 2;
                const Slot& slot = in->at()[mid];
                if (before(*slot.first, slot.hints)) lo = mid + 1;
                else hi = mid;
            }
            if (lo == 0) {  // the whole subtree is at or after the key
                *found = in->at()[0].first;
                return base;
            }
            int c = lo - 1;
            if constexpr (kPosition)
                for (int k = 0; k < c; ++k) base += in->at()[k].size;
            if (c + 1 < in->count) next = in->at()[c + 1].first;
            n = in->at()[c].child;
        }
        const Leaf* leaf = asLeaf(n);
        int lo = 0, hi = leaf->count;
        while (lo < hi) {
            int mid = (lo + hi) / 2;
            if (before(leaf->at()[mid], hintsOf(leaf->at()[mid]))) lo = mid + 1;
            else hi = mid;
        }
        *found = lo < leaf->count ? &leaf->at()[lo] : next;
        return base + lo;
    }

    Leaf* emptyEmbedded(PB_INT n) {
        PB_ASSERT(isEmbedded() && root_->count == 0 && n <= root_->capacity);
        return asLeaf(root_);
    }

    static Leaf* asLeaf(Node* n) { return static_cast<Leaf*>(n); }
    static const Leaf* asLeaf(const Node* n) { return static_cast<const Leaf*>(n); }
    static Inner* asInner(Node* n) { return static_cast<Inner*>(n); }
    static const Inner* asInner(const Node* n) { return static_cast<const Inner*>(n); }

    static PB_INT weight(const E&) { return 1; }
    static PB_INT weight(const Slot& s) { return s.size; }

    // Freed full-size node memory is kept for reuse by the same thread (a
    // few dozen nodes of each kind), which spares the allocator and fresh
    // pages when large containers are changed and dropped again.
    template <class T>
    struct NodeCache {
        static constexpr int kKeep = 64;
        void* memory[kKeep];
        int count = 0;
        ~NodeCache() {
            while (count > 0) pb___MemFree(memory[--count]);
        }
    };
    template <class T>
    static NodeCache<T>& nodeCache() {
        thread_local NodeCache<T> cache;
        return cache;
    }

    template <class T>
    static Body<T>* newBody(bool isLeaf, int cap = kFull<T>) {
        return new (bodyMemory<T>(cap)) Body<T>(isLeaf, cap);
    }

    template <class T>
    static void* bodyMemory(int cap) {
        if (cap == kFull<T>) {
            NodeCache<T>& cache = nodeCache<T>();
            if (cache.count > 0) return cache.memory[--cache.count];
        }
        return pb___MemAlloc(Body<T>::bytes(cap));
    }

    template <class T>
    static void freeBody(Body<T>* body) {
        bool full = body->capacity == kFull<T>;
        bool embedded = body->embedded;
        body->~Body<T>();
        if (embedded) return;  // the holder's memory
        NodeCache<T>& cache = nodeCache<T>();
        if (full && cache.count < NodeCache<T>::kKeep) cache.memory[cache.count++] = body;
        else pb___MemFree(body);
    }

    // The capacity a small leaf of count elements grows to: by one up to
    // eight (the common container has a handful of entries and pays for no
    // empty slot), then by half, at most a full leaf.
    static int grownCapacity(int count) {
        int cap = count < 8 ? count + 1 : count + count / 2;
        return cap < kLeafFanout ? cap : kLeafFanout;
    }

    // Gives the leaf in slot room for cap elements (cap >= its count): a
    // solely held leaf has its elements moved, a shared one copied. An
    // embedded leaf always moves to memory of its own.
    static void resizeLeaf(Node*& slot, int cap) {
        Leaf* old = asLeaf(slot);
        if (old->capacity == cap && !old->embedded) return;
        Leaf* fresh = newBody<E>(true, cap);
        bool sole = old->refs.load(std::memory_order_acquire) == 1;
        for (int i = 0; i < old->count; ++i) {
            if (sole) fresh->at()[i] = std::move(old->at()[i]);
            else fresh->at()[i] = old->at()[i];
        }
        fresh->count = old->count;
        fresh->size = old->size;
        releaseNode(old);
        slot = fresh;
    }

    static void retainNode(Node* n) { n->refs.fetch_add(1, std::memory_order_relaxed); }

    // Drops one reference; the last one frees the node and what it holds.
    static void releaseNode(Node* n) {
        if (n->refs.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
        if (n->leaf) {
            freeBody(asLeaf(n));
        } else {
            Inner* in = asInner(n);
            for (int i = 0; i < in->count; ++i) releaseNode(in->at()[i].child);
            freeBody(in);
        }
    }

    static const E* firstOf(const Node* n) {
        return n->leaf ? &asLeaf(n)->at()[0] : asInner(n)->at()[0].first;
    }
    static Slot slotOf(Node* n) {
        const E* first = firstOf(n);
        return Slot{n, n->size, first, hintsOf(*first)};
    }

    static StringHints hintsOf(const E& e) {
        if constexpr (requires { e.hints(); }) return e.hints();
        else return {};
    }

    // Refreshes the cached size of a node after its slots changed.
    template <class T>
    static void recount(Body<T>* b) {
        PB_INT total = 0;
        for (int i = 0; i < b->count; ++i) total += weight(b->at()[i]);
        b->size = total;
    }

    // A private copy of n: copied elements take their own references,
    // copied children gain one holder; but for slot skip (see Body).
    template <class T>
    static Body<T>* cloneBody(const Body<T>* b, int skip = -1) {
        Body<T>* c = new (bodyMemory<T>(b->capacity)) Body<T>(*b, skip);
        if constexpr (std::is_same_v<T, Slot>) {
            for (int i = 0; i < b->count; ++i) {
                if (i != skip) retainNode(c->at()[i].child);
            }
        }
        return c;
    }

    // Makes the node in slot solely held by the caller, copying it when shared.
    static Node* own(Node*& slot) {
        if (slot->refs.load(std::memory_order_acquire) != 1) {
            Node* copy = slot->leaf ? static_cast<Node*>(cloneBody(asLeaf(slot)))
                                    : static_cast<Node*>(cloneBody(asInner(slot)));
            releaseNode(slot);
            slot = copy;
        }
        return slot;
    }

    // The child of in that holds position pos; pos becomes relative to it.
    // For an insert, a position at the end of a child goes to that child.
    static int childFor(const Inner* in, PB_INT& pos, bool forInsert) {
        int c = 0;
        for (; c < in->count - 1; ++c) {
            PB_INT s = in->at()[c].size;
            if (pos < s || (forInsert && pos == s)) break;
            pos -= s;
        }
        return c;
    }

    // Slot-array moves shared by leaves and inner nodes.
    template <class T>
    static void putAt(Body<T>* b, int at, T&& v) {
        for (int i = b->count; i > at; --i) b->at()[i] = std::move(b->at()[i - 1]);
        b->at()[at] = std::move(v);
        ++b->count;
    }
    template <class T>
    static void takeAt(Body<T>* b, int at) {
        for (int i = at; i + 1 < b->count; ++i) b->at()[i] = std::move(b->at()[i + 1]);
        b->at()[--b->count] = T{};
    }
    // Moves the last n slots of a to the front of b.
    template <class T>
    static void shiftRight(Body<T>* a, Body<T>* b, int n) {
        for (int i = b->count - 1; i >= 0; --i) b->at()[i + n] = std::move(b->at()[i]);
        for (int i = 0; i < n; ++i) b->at()[i] = std::move(a->at()[a->count - n + i]);
        a->count -= n;
        b->count += n;
    }
    // Moves the first n slots of b to the end of a.
    template <class T>
    static void shiftLeft(Body<T>* a, Body<T>* b, int n) {
        for (int i = 0; i < n; ++i) a->at()[a->count + i] = std::move(b->at()[i]);
        for (int i = n; i < b->count; ++i) b->at()[i - n] = std::move(b->at()[i]);
        for (int i = b->count - n; i < b->count; ++i) b->at()[i] = T{};
        a->count += n;
        b->count -= n;
    }

    // Splits a full node before inserting at index at. Appends at the very
    // end of the sequence keep the left leaf full; other splits halve.
    // Returns the new right node; 'at' becomes relative to the node it
    // falls in and *into tells which one that is.
    template <class T>
    static Body<T>* split(Body<T>* b, int& at, bool atEnd, Body<T>** into) {
        Body<T>* right = newBody<T>(b->leaf);
        int keep = (atEnd && b->leaf && at == b->count) ? b->count : b->count / 2;
        shiftRight(b, right, b->count - keep);
        recount(b);
        recount(right);
        if (at <= b->count && !(atEnd && at == b->count && keep == kFull<T>)) {
            *into = b;
        } else {
            at -= b->count;
            *into = right;
        }
        return right;
    }

    // Inserts into a solely held node; returns a new right sibling when it split.
    static Node* insertInto(Node* n, PB_INT pos, E&& value, bool atEnd) {
        if (n->leaf) {
            Leaf* leaf = asLeaf(n);
            int at = int(pos);
            Leaf* into = leaf;
            Leaf* right = leaf->count == kLeafFanout ? split(leaf, at, atEnd, &into) : nullptr;
            putAt(into, at, std::move(value));
            into->size += 1;
            return right;
        }
        Inner* in = asInner(n);
        int c = childFor(in, pos, true);
        Node* child = own(in->at()[c].child);
        Node* extra = insertInto(child, pos, std::move(value), atEnd);
        in->at()[c] = slotOf(child);
        Inner* right = nullptr;
        if (extra) {
            int at = c + 1;
            Inner* into = in;
            if (in->count == kInnerFanout) right = split(in, at, false, &into);
            putAt(into, at, slotOf(extra));
            recount(into);
        }
        recount(in);
        return right;
    }

    // Replaces the element at pos below the node in slot. A shared node is
    // copied without what the change replaces (the element, or the child
    // on the path, which is then copied in turn): so the path pays no
    // reference for what it drops at once. lent: slot holds no reference
    // of its own (its node is held by the node the parent was copied
    // from) and must be copied. A copied node's original is let go only
    // after the levels below are done, so that it keeps the path alive
    // even if its other holders drop it meanwhile.
    static void replaceIn(Node*& slot, PB_INT pos, E&& value, bool lent) {
        Node* original = slot;
        bool copy = lent || original->refs.load(std::memory_order_acquire) != 1;
        if (original->leaf) {
            if (copy) slot = cloneBody(asLeaf(original), int(pos));
            asLeaf(slot)->at()[pos] = std::move(value);
        } else {
            int c = childFor(asInner(original), pos, false);
            if (copy) slot = cloneBody(asInner(original), c);
            Inner* in = asInner(slot);
            replaceIn(in->at()[c].child, pos, std::move(value), copy);
            in->at()[c] = slotOf(in->at()[c].child);  // the child may be a new copy, its first element new
        }
        if (copy && !lent) releaseNode(original);
    }

    static void eraseFrom(Node* n, PB_INT pos) {
        if (n->leaf) {
            takeAt(asLeaf(n), int(pos));
            n->size -= 1;
            return;
        }
        Inner* in = asInner(n);
        int c = childFor(in, pos, false);
        Node* child = own(in->at()[c].child);
        eraseFrom(child, pos);
        in->at()[c] = slotOf(child);
        int least = child->leaf ? kMin<E> : kMin<Slot>;
        if (child->count < least && in->count > 1) rebalance(in, c);
        recount(in);
    }

    // Restores the fill of child c (below its kind's minimum) with a neighbour: the two
    // merge when they fit in one node, else they share their slots evenly.
    static void rebalance(Inner* in, int c) {
        int l = c > 0 ? c - 1 : c;
        Node* a = own(in->at()[l].child);
        Node* b = own(in->at()[l + 1].child);
        if (a->leaf) balancePair(asLeaf(a), asLeaf(b));
        else balancePair(asInner(a), asInner(b));
        in->at()[l] = slotOf(a);
        if (b->count == 0) {
            releaseNode(b);
            takeAt(in, l + 1);
        } else {
            in->at()[l + 1] = slotOf(b);
        }
    }

    template <class T>
    static void balancePair(Body<T>* a, Body<T>* b) {
        int total = a->count + b->count;
        if (total <= kFull<T>) {
            shiftLeft(a, b, b->count);
        } else {
            int want = total / 2;
            if (a->count < want) shiftLeft(a, b, want - a->count);
            else shiftRight(a, b, a->count - want);
        }
        recount(a);
        recount(b);
    }

    template <class F>
    static void forEachIn(const Node* n, F& fn) {
        if (n->leaf) {
            const Leaf* leaf = asLeaf(n);
            for (int i = 0; i < leaf->count; ++i) fn(leaf->at()[i]);
            return;
        }
        const Inner* in = asInner(n);
        for (int i = 0; i < in->count; ++i) forEachIn(in->at()[i].child, fn);
    }

    Node* root_ = nullptr;  // NULL when empty; one reference held by this tree
};

// For a container object H that embeds its small sequence (H::*seq, see
// PSeq::embed) and records its room in H::room; make( like, room ) creates
// an empty container like `like` with that room.
//
// A new container H of the sort given, its sequence empty, with room for
// `room` elements in its own allocation (right after H).
template <class H, class E>
H* createWithRoom(PB_SORT* sort, PSeq<E> H::*seq, int room) {
    size_t bytes = sizeof(H) + (room > 0 ? PSeq<E>::embeddedBytes(room) : 0);
    H* holder = reinterpret_cast<H*>(pb___ObjCreate(bytes, sort));
    holder->room = uint8_t(room);
    new (&(holder->*seq)) PSeq<E>();
    if (room > 0) (holder->*seq).embed(holder + 1, room);
    return holder;
}

// Gives the solely held container *holder, which will hold n elements,
// the room that fits them: it is replaced by a new container when its own
// allocation does not fit (the handle changes, as in a copy-on-write step).
template <class H, class E>
void fitRoom(H** holder, PSeq<E> H::*seq, PB_INT n, H* (*make)(H* like, int room)) {
    H* old = *holder;
    int room = (old->*seq).roomFor(n, old->room);
    if (room < 0) return;
    H* fresh = make(old, room);
    if (room > 0) (fresh->*seq).takeEmbedded(old->*seq);
    else fresh->*seq = std::move(old->*seq);
    pbObjRelease(reinterpret_cast<PB_OBJ*>(old));
    *holder = fresh;
}

// A copy of a container: a small one's few elements are copied into the
// new one's own allocation, a larger one's tree is shared.
template <class H, class E>
H* copyWithRoom(H* source, PSeq<E> H::*seq, H* (*make)(H* like, int room)) {
    PB_INT n = (source->*seq).size();
    H* copy = make(source, n <= PSeq<E>::kEmbedMax ? int(n) : 0);
    if (copy->room > 0) (copy->*seq).copyEmbedded(source->*seq);
    else copy->*seq = source->*seq;
    return copy;
}

}  // namespace pb
