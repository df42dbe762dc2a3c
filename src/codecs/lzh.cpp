// The LZH method: LZSS over a 4096-byte window with one adaptive Huffman tree for literals
// and match lengths, and a fixed prefix code for the upper six bits of match positions.
#include <cstring>
#include <memory>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "codecs/codec_io.h"
#include "codecs/lzh_model.h"
#include "codecs/lzh_trees.h"

namespace zuv::codecs {

namespace {

using namespace lzh;

// The decoder's copy of the adaptive tree, with a table that takes the walk from the root
// down through the top of the tree in one step. The table covers the nodes numbered
// kTopFrom and up (those of highest frequency, so nearest the root), at most kTopBits
// levels deep: entry v holds the node reached by the kTopBits-bit string v, read from its
// top bit, and how many of those bits the way there takes (node n's children are son[n]
// and son[n] + 1; a leaf's son is its symbol plus kT). It goes stale only when the
// children of a covered node change: when an update exchanges a node numbered kTopFrom or
// more, and when the tree is rebuilt. Once the frequencies settle this is rare; a stale
// table is filled again once the top has been left alone for a while (TopReady). Each entry
// also names the nodes above the one it reaches (a chain per covered node), so that the
// update can follow the walk's way back up without reading the parent links one by one.
class DecoderTree : public AdaptiveTree {
public:
    static constexpr int kTopBits = 8;
    static constexpr int kTopNodes = 32;
    static constexpr int kTopFrom = kT - kTopNodes;
    static constexpr int kQuiet = 16;
    static_assert(kTopFrom >= kNChar, "the table covers internal nodes only");
    // An entry: the bits taken (bits 0-3), the node reached (bits 4-13), its chain (14 and up).
    static_assert(kTopBits < 16 && kT <= 1 << 10, "an entry holds the bits taken and a node");
    static_assert(kTopNodes <= 64, "an entry's chain index has six bits");

    void Reset() {
        ResetAdaptiveTree();
        stale_ = true;
        quiet_ = 0;
    }

    // Whether the table may be used for the next symbol. A stale table is filled again only
    // once kQuiet symbols have gone by without touching the covered nodes: while the top of
    // the tree is busy the walk goes from the root, and filling costs at most one in kQuiet.
    bool TopReady() {
        if (!stale_) return true;
        if (++quiet_ < kQuiet) return false;
        FillTop();
        return true;
    }

    // The entry for the kTopBits bits v (TopReady first).
    unsigned Top(unsigned v) const { return top_[v]; }
    // The node an entry reaches: a leaf's node, or one whose children the walk goes on to read.
    static unsigned TopNode(unsigned e) { return (e >> 4) & 1023; }

    // UpdateAdaptiveTree, noting exchanges that reach the table's nodes.
    void Update(int s) {
        if (freq[kR] == kMaxFreq) {
            RebuildAdaptiveTree();
            stale_ = true;
            quiet_ = 0;
        }
        Climb(prnt[s + kT]);
    }

    // The same update along the way the walk took down: path[0] is the root, path[length - 1]
    // the symbol's leaf. Up to the first exchange these are the nodes that the parent links
    // would give, read without waiting for each other; after an exchange the way goes on by
    // the parent links from the node's new place. (Not after a rebuild: the way is gone.)
    void UpdateAlong(int s, const uint16_t* path, int length) {
        if (freq[kR] == kMaxFreq) [[unlikely]] {
            Update(s);
            return;
        }
        for (int k = length - 1; k >= 0; --k) {
            const size_t c = path[k];
            const uint16_t f = freq[c];
            freq[c] = static_cast<uint16_t>(f + 1);
            if (f == freq[c + 1]) [[unlikely]] {
                const size_t l = Exchange(c, f + 1u);
                if (k > 0) Climb(prnt[l]);
                return;
            }
        }
    }

    // The nodes above the one the entry e reaches are written to `path` from the root down
    // (always kTopBits of them, the first few being the way); returns how many are the way,
    // which is the count of bits the entry takes.
    int TopPath(unsigned e, uint16_t* path) const {
        std::memcpy(path, chains_[(e >> 14) & 63], sizeof(chains_[0]));
        return static_cast<int>(e & 15);
    }

private:
    // Increments node c and those above it, exchanging where a count overtakes its neighbour.
    // Node 0 may be a leaf, never a parent: the root's parent link, 0, ends the way.
    void Climb(size_t c) {
        do {
            const uint16_t f = freq[c];
            freq[c] = static_cast<uint16_t>(f + 1);
            // Frequencies never fall with the node number, so the count overtakes its right
            // neighbour exactly when the two were equal.
            if (f == freq[c + 1]) [[unlikely]] c = Exchange(c, f + 1u);
            c = prnt[c];
        } while (c != 0);
    }

    // Moves node c, whose frequency has just become k, past the nodes of frequency k - 1
    // to its right: it changes places with the last of them, l, which is returned.
    size_t Exchange(size_t c, unsigned k) {
        size_t l = c + 1;
#if defined(__SSE2__)
        // Counts equal to k - 1 run from c + 1 up to the first higher one (at the latest the
        // guard after the root); they are compared eight at a time, which may read up to
        // seven guards past it.
        static_assert(sizeof(freq) / sizeof(freq[0]) >= kT + 8, "the guards cover an eight-count read");
        const __m128i old = _mm_set1_epi16(static_cast<short>(k - 1));
        for (;;) {
            const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&freq[l + 1]));
            const unsigned same = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(next, old)));
            if (same != 0xFFFF) {
                l += static_cast<unsigned>(__builtin_ctz(~same)) / 2;
                break;
            }
            l += 8;
        }
#else
        while (k > freq[l + 1]) ++l;
#endif
        freq[c] = freq[l];
        freq[l] = static_cast<uint16_t>(k);
        const unsigned i = son[c];
        // An internal node's two children both take the new parent; a leaf's entry is
        // written twice rather than tested (leaf or not is a coin toss to the predictor).
        prnt[i] = static_cast<uint16_t>(l);
        prnt[i + (i < static_cast<unsigned>(kT))] = static_cast<uint16_t>(l);
        const unsigned j = son[l];
        son[l] = static_cast<uint16_t>(i);
        prnt[j] = static_cast<uint16_t>(c);
        prnt[j + (j < static_cast<unsigned>(kT))] = static_cast<uint16_t>(c);
        son[c] = static_cast<uint16_t>(j);
        if (l >= static_cast<size_t>(kTopFrom)) {
            stale_ = true;
            quiet_ = 0;
        }
        return l;
    }

    void FillTop() {
        chainCount_ = 0;
        uint16_t way[kTopBits] = {};
        Fill(kR, 0, 0, way, 0);
        stale_ = false;
    }

    // Fills the entries of the strings that begin with the `depth` bits `prefix`, which
    // lead to node n by the nodes way[0..depth). The way stops at a leaf, at an uncovered
    // node and after kTopBits bits.
    void Fill(unsigned n, int depth, unsigned prefix, uint16_t* way, unsigned chain) {
        const unsigned first = son[n];
        if (depth == kTopBits || n < static_cast<unsigned>(kTopFrom) || first >= static_cast<unsigned>(kT)) {
            const unsigned from = prefix << (kTopBits - depth);
            const auto entry = (chain << 14) | (n << 4) | static_cast<unsigned>(depth);
            for (unsigned k = 0; k < (1u << (kTopBits - depth)); ++k) top_[from + k] = entry;
            return;
        }
        way[depth] = static_cast<uint16_t>(n);
        const unsigned mine = chainCount_++;
        std::memcpy(chains_[mine], way, sizeof(chains_[0]));
        Fill(first, depth + 1, prefix << 1, way, mine);
        Fill(first + 1, depth + 1, (prefix << 1) | 1, way, mine);
    }

    uint32_t top_[1 << kTopBits];
    uint16_t chains_[kTopNodes][kTopBits];
    unsigned chainCount_ = 0;
    bool stale_ = true;
    int quiet_ = 0;
};

// The decoder keeps the expanded text in one linear buffer: 4096 bytes of history (spaces,
// as the window begins) followed by the bytes decoded since the last hand-over to the byte
// sink, which happens in blocks, always before the next input chunk is read.
constexpr int kSpan = 65536;
constexpr int kSlack = kF + 16;  // a whole match and an over-long 8-byte copy past the span
constexpr int kTopUpAt = 8;      // the bit buffer is topped up when it holds this many or fewer
constexpr int kMaxRead = 8;      // the widest single read: the position code's upper byte

class LzhDecoder {
public:
    explicit LzhDecoder(CodecIO& io) : io_(io) {}

    void Run(int32_t expandedSize) {
        tree_.Reset();
        // Window bytes beyond the spaces have no defined content; they read as spaces.
        std::memset(text_, 0x20, kN);
        uint8_t* pos = text_ + kN;
        pos_ = emitted_ = pos;
        uint8_t* const limit = text_ + kN + kSpan;
        int64_t left = expandedSize;
        // The bit reader's state lives in registers while the loop runs; the bytes the loop
        // writes to the text could otherwise be any member, which would then be read back from
        // memory after every literal. Anything that is not the common case goes through the
        // members.
        Hot hot{bits_, bitCount_, in_};
        while (left > 0) {
            if (pos >= limit) {
                pos_ = pos;
                Emit();
                std::memmove(text_, pos - kN, kN);
                pos = emitted_ = text_ + kN;
            }
            pos_ = pos;
            int c = FastSymbol(hot);
            if (c < 256) {
                *pos++ = static_cast<uint8_t>(c);
                --left;
            } else {
                const uint32_t back = FastPosition(hot) + 1;
                const int length = c - 253;
                const uint8_t* from = pos - back;
                // A match starts before `limit`, is at most kF long, and 8-byte steps write
                // up to 7 bytes past it; the first 16 bytes are copied whatever the length,
                // as most matches are that short.
                static_assert(kSlack >= kF + 7 && kSlack >= 16, "the text buffer's slack must hold a whole match and its overrun");
                static_assert(256 + kF - kThreshold - 1 - 253 == kF, "the longest match is kF bytes");
                if (back >= 8) {
                    std::memcpy(pos, from, 8);
                    std::memcpy(pos + 8, from + 8, 8);
                    for (int k = 16; k < length; k += 8) std::memcpy(pos + k, from + k, 8);
                } else {
                    for (int k = 0; k < length; ++k) pos[k] = from[k];
                }
                pos += length;
                left -= length;
            }
        }
        Store(hot);
        pos_ = pos;
        Emit();
    }

private:
    struct Hot {
        uint64_t bits;
        int count;
        const uint8_t* in;
    };
    void Store(const Hot& h) {
        bits_ = h.bits;
        bitCount_ = h.count;
        in_ = h.in;
    }
    void Load(Hot& h) const {
        h.bits = bits_;
        h.count = bitCount_;
        h.in = in_;
    }
    // With eight bytes of the chunk ahead the buffer is topped up to 56 bits or more by one
    // load: the whole word goes in below the bits held, and only the whole bytes that fit
    // are counted. The bits below the count are thus the very bytes the next top-up puts
    // there again (or zeros once the chunk's bytes are all counted).
    bool WordAhead(const Hot& h) const { return inEnd_ - h.in >= 8 && !zeroChunk_; }
    static void TakeWord(Hot& h) {
        static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the load is turned to big-endian");
        uint64_t word;
        std::memcpy(&word, h.in, 8);
        h.bits |= __builtin_bswap64(word) >> h.count;  // the count is below 64 while bytes are left
        const int take = (63 - h.count) >> 3;
        h.in += take;
        h.count += 8 * take;
    }

    // DecodeAdaptiveSymbol on the registers' state.
    inline int FastSymbol(Hot& h) {
        if (WordAhead(h)) [[likely]] {
            TakeWord(h);
            if (h.count >= kFastBits) [[likely]] return Walk(h.bits, h.count);
        }
        Store(h);
        const int s = DecodeAdaptiveSymbol();
        Load(h);
        return s;
    }

    // DecodeLZHPosition on the registers' state.
    inline uint32_t FastPosition(Hot& h) {
        if (h.count < kWholePosition && WordAhead(h)) TakeWord(h);
        if (h.count >= kWholePosition) [[likely]] {
            const PositionTables& t = positions_;
            const unsigned prefix = static_cast<unsigned>(h.bits >> 56);
            const int n = t.dLen[prefix] + 6;
            const auto low = static_cast<unsigned>(h.bits >> (64 - n)) & 0x3F;
            h.bits <<= n;
            h.count -= n;
            return (static_cast<unsigned>(t.dCode[prefix]) << 6) | low;
        }
        Store(h);
        const uint32_t p = DecodeLZHPosition();
        Load(h);
        return p;
    }

    void Emit() {
        if (pos_ > emitted_) io_.CodecWriteBlock(emitted_, static_cast<uint32_t>(pos_ - emitted_));
        emitted_ = pos_;
    }

    // The bit reader: the next bits at bit 63 of a 64-bit buffer. Each read operation first
    // tops the buffer up when 8 bits or fewer are left, as the method's 16-bit reader does,
    // taking as many bytes of the current chunk as fit; the next chunk is read only when
    // the current one is used up, so chunks are read exactly when byte by byte they would
    // be. Bytes delivered while a progress handler's abort stands, and bytes past the end of
    // the input, count as zero.
    inline void TopUp() {
        // A buffer left alone holds more than kTopUpAt bits; a topped-up one gains at least
        // one whole byte (or 64 zero bits once the input has ended). Either covers a read.
        static_assert(kTopUpAt + 1 >= kMaxRead, "a buffer not topped up must hold the widest read");
        static_assert(kMaxRead <= 8, "a top-up must add enough for the widest read");
        // Bytes go in while fewer than 56 bits are held: never more than 63 bits.
        static_assert(56 + 8 <= 64, "a top-up must fit the 64-bit buffer");
        if (bitCount_ <= kTopUpAt) TopUpSlow();
    }

    void TopUpSlow() {
        if (in_ == inEnd_) {
            if (ended_) {
                bitCount_ = 64;  // zeros for ever; nothing more is read
                return;
            }
            Emit();
            CodecIO::ChunkResult r = io_.NextChunk();
            if (r == CodecIO::ChunkResult::Ended) {
                ended_ = true;
                bitCount_ = 64;
                return;
            }
            uint32_t n = io_.TakeChunk(in_);
            inEnd_ = in_ + n;
            zeroChunk_ = r == CodecIO::ChunkResult::Aborted;
            // The read that meets an abort delivers a zero byte of its own before the
            // chunk's bytes.
            if (zeroChunk_) bitCount_ += 8;
        }
        Refill();
    }

    inline unsigned ReadBitByte() {
        TopUp();
        unsigned v = static_cast<unsigned>(bits_ >> 56);
        bits_ <<= 8;
        bitCount_ -= 8;
        return v;
    }

    inline unsigned ReadBitGroup(int n) {
        TopUp();
        unsigned v = static_cast<unsigned>(bits_ >> (64 - n));
        bits_ <<= n;
        bitCount_ -= n;
        return v;
    }

    // The same word load on the members, for the rarer ways.
    bool WordAhead() const { return inEnd_ - in_ >= 8 && !zeroChunk_; }
    void TakeWord() {
        Hot h;
        Load(h);
        TakeWord(h);
        Store(h);
    }

    // Before each symbol, without a test of the count where a word is ahead.
    inline void TopUpWithinChunk() {
        if (WordAhead()) [[likely]] {
            TakeWord();
        } else if (bitCount_ < kFastBits) {
            Refill();
        }
    }

    // Takes bytes of the current chunk into the bit buffer while fewer than 56 bits are held;
    // never reads the next chunk (that waits until the buffer runs down to kTopUpAt bits).
    void Refill() {
        if (bitCount_ < 56 && WordAhead()) [[likely]] {
            TakeWord();
            return;
        }
        while (bitCount_ < 56 && in_ < inEnd_) {
            uint64_t b = zeroChunk_ ? 0 : *in_;
            ++in_;
            bits_ |= b << (56 - bitCount_);
            bitCount_ += 8;
        }
    }

    // A symbol of the adaptive tree. The way down reads one bit per level; when the buffer
    // holds enough bits for the deepest leaf without running down to kTopUpAt, the top of
    // the way is taken from the tree's table and the rest walked without looking at the
    // count. The deepest leaf: a node's uncle weighs at least as much as the node (the
    // nodes are numbered by weight, siblings side by side), so weights grow at least as
    // the Fibonacci numbers from a leaf (1) up to the root, whose weight stays at most
    // kMaxFreq = 32768 < F(24): no leaf is more than 21 levels down.
    static constexpr int kMaxDepth = 21;
    static constexpr int kFastBits = kTopUpAt + 1 + kMaxDepth;
    static_assert(kFastBits <= 56 - 7, "a refill within a chunk must reach the fast walk's bits");
    static_assert(DecoderTree::kTopBits <= kMaxDepth, "the table takes no more bits than a whole walk");

    // The fast way down from the tree's table (the buffer holds kFastBits or more).
    inline int Walk(uint64_t& bitsHeld, int& count) {
        uint64_t bits = bitsHeld;
        unsigned n = kR;
        int depth = 0;
        // The way down, root first: at most kMaxDepth levels below the root, and the
        // table's chain is copied whole.
        uint16_t path[kMaxDepth + 1 + DecoderTree::kTopBits];
        if (tree_.TopReady()) {
            const unsigned e = tree_.Top(static_cast<unsigned>(bits >> (64 - DecoderTree::kTopBits)));
            n = DecoderTree::TopNode(e);
            depth = tree_.TopPath(e, path);
            bits <<= depth;
        }
        int k = depth;
        path[k++] = static_cast<uint16_t>(n);
        unsigned c = tree_.son[n];
        while (c < static_cast<unsigned>(kT)) {
            const unsigned next = c + static_cast<unsigned>(bits >> 63);
            path[k++] = static_cast<uint16_t>(next);
            c = tree_.son[next];
            bits <<= 1;
        }
        bitsHeld = bits;
        count -= k - 1;
        const int s = static_cast<int>(c) - kT;
        tree_.UpdateAlong(s, path, k);
        return s;
    }

    inline int DecodeAdaptiveSymbol() {
        TopUpWithinChunk();
        unsigned c;
        if (bitCount_ >= kFastBits) return Walk(bits_, bitCount_);
        {
            c = tree_.son[kR];
            uint64_t bits = bits_;  // in registers for the walk
            int count = bitCount_;
            while (c < static_cast<unsigned>(kT)) {
                if (count <= kTopUpAt) {
                    bits_ = bits;
                    bitCount_ = count;
                    TopUpSlow();
                    bits = bits_;
                    count = bitCount_;
                }
                c = tree_.son[c + static_cast<unsigned>(bits >> 63)];
                bits <<= 1;
                --count;
            }
            bits_ = bits;
            bitCount_ = count;
        }
        int s = static_cast<int>(c) - kT;
        tree_.Update(s);
        return s;
    }

    // A match position: a prefix code of 3 to 8 bits for the upper six bits, then the lower
    // six as they stand. With 17 bits or more in the buffer neither of the two reads below
    // would top it up, so the whole code is taken at once.
    static constexpr int kWholePosition = kTopUpAt + 8 + 1;
    static_assert(kWholePosition >= 8 + 6, "the buffer holds the longest position code");
    uint32_t DecodeLZHPosition() {
        const PositionTables& t = positions_;
        if (bitCount_ < kWholePosition) Refill();
        if (bitCount_ >= kWholePosition) [[likely]] {
            const unsigned prefix = static_cast<unsigned>(bits_ >> 56);
            const int n = t.dLen[prefix] + 6;
            const auto low = static_cast<unsigned>(bits_ >> (64 - n)) & 0x3F;
            bits_ <<= n;
            bitCount_ -= n;
            return (static_cast<unsigned>(t.dCode[prefix]) << 6) | low;
        }
        unsigned i = ReadBitByte();
        unsigned u = t.dCode[i];
        int l = t.dLen[i];
        unsigned extra = ReadBitGroup(l - 2);
        return (u << 6) | (((i << (l - 2)) | extra) & 0x3F);
    }

    CodecIO& io_;
    const PositionTables& positions_ = Positions();
    DecoderTree tree_;
    uint8_t text_[kN + kSpan + kSlack];
    uint8_t* pos_ = nullptr;
    uint8_t* emitted_ = nullptr;
    const uint8_t* in_ = nullptr;
    const uint8_t* inEnd_ = nullptr;
    uint64_t bits_ = 0;
    int bitCount_ = 0;
    bool ended_ = false;
    bool zeroChunk_ = false;
};

// Match search over the window: binary search trees of window positions, ordered by the
// 60 bytes from each position. A position's tree is chosen by its first byte and a 4-bit
// hash of the next two. Each node keeps how many leading bytes it shares with its parent,
// so that a descent compares from the first byte that may differ.
class LzhTrees {
public:
    static constexpr int kNil = kN;
    static constexpr int kRoots = 4096;

    explicit LzhTrees(LzhRoots roots) : hashed_(roots == LzhRoots::Hashed) {
        for (int i = kN + 1; i <= kN + kRoots; ++i) rson_[i] = kNil;
        for (int i = 0; i < kN; ++i) dad_[i] = kNil;
    }

    // Enters position r (whose 60 bytes are in `text`) and returns the longest match
    // among the positions met on the way down, 0 when it is shorter than 3. Among equally
    // long matches the smallest position value (the nearest) is kept. A 60-byte match
    // takes the older node's place.
    int Insert(const uint8_t* text, int r, unsigned& matchPosition) {
        const uint8_t* key = text + r;
        unsigned h = static_cast<unsigned>(key[1] ^ key[2]);
        h = hashed_ ? (h ^ (h >> 4)) & 15 : 0;
        int p = kN + 1 + key[0] + 256 * static_cast<int>(h);
        int cmp = 1;
        int i = 1;  // bytes known equal between the key and p
        int matchLength = 0;
        rson_[r] = lson_[r] = kNil;
        for (;;) {
            int next = cmp >= 0 ? rson_[p] : lson_[p];
            if (next == kNil) {
                if (cmp >= 0) rson_[p] = static_cast<uint16_t>(r);
                else lson_[p] = static_cast<uint16_t>(r);
                dad_[r] = static_cast<uint16_t>(p);
                same_[r] = static_cast<uint8_t>(p > kN ? 1 : i);
                return matchLength;
            }
            if (same_[next] < i) i = same_[next];
            p = next;
            for (; i < kF; ++i) {
                if ((cmp = key[i] - text[p + i]) != 0) break;
            }
            if (i > kThreshold) {
                unsigned c = ((static_cast<unsigned>(r - p)) & (kN - 1)) - 1;
                if (i > matchLength) {
                    matchPosition = c;
                    if ((matchLength = i) >= kF) break;
                } else if (i == matchLength && c < matchPosition) {
                    matchPosition = c;
                }
            }
        }
        // r replaces p, which holds the same 60 bytes.
        dad_[r] = dad_[p];
        lson_[r] = lson_[p];
        rson_[r] = rson_[p];
        same_[r] = same_[p];
        dad_[lson_[p]] = static_cast<uint16_t>(r);
        dad_[rson_[p]] = static_cast<uint16_t>(r);
        if (rson_[dad_[p]] == p) rson_[dad_[p]] = static_cast<uint16_t>(r);
        else lson_[dad_[p]] = static_cast<uint16_t>(r);
        dad_[p] = kNil;
        return matchLength;
    }

    // Takes position p out of its tree (nothing when it is not in one).
    void Delete(const uint8_t* text, int p) {
        if (dad_[p] == kNil) return;
        int q;
        int moved = kNil;  // a node that went up to q's old parent
        if (rson_[p] == kNil) {
            q = lson_[p];
        } else if (lson_[p] == kNil) {
            q = rson_[p];
        } else {
            // Both children: p's predecessor takes its place.
            q = lson_[p];
            if (rson_[q] != kNil) {
                do {
                    q = rson_[q];
                } while (rson_[q] != kNil);
                moved = lson_[q];
                rson_[dad_[q]] = lson_[q];
                dad_[lson_[q]] = dad_[q];
                lson_[q] = lson_[p];
                dad_[lson_[p]] = static_cast<uint16_t>(q);
            }
            rson_[q] = rson_[p];
            dad_[rson_[p]] = static_cast<uint16_t>(q);
        }
        dad_[q] = dad_[p];
        if (rson_[dad_[p]] == p) rson_[dad_[p]] = static_cast<uint16_t>(q);
        else lson_[dad_[p]] = static_cast<uint16_t>(q);
        dad_[p] = kNil;
        if (q != kNil) {
            Share(text, q);
            Share(text, lson_[q]);
            Share(text, rson_[q]);
        }
        Share(text, moved);
    }

private:
    // Recounts the leading bytes node x shares with its parent.
    void Share(const uint8_t* text, int x) {
        if (x == kNil) return;
        int d = dad_[x];
        if (d > kN) {
            same_[x] = 1;
            return;
        }
        int i = 1;
        while (i < kF && text[x + i] == text[d + i]) ++i;
        same_[x] = static_cast<uint8_t>(i);
    }

    uint16_t lson_[kN + 1];
    uint16_t rson_[kN + 1 + kRoots];
    uint16_t dad_[kN + 1];
    uint8_t same_[kN + 1];
    bool hashed_;
};

class LzhEncoder {
public:
    LzhEncoder(CodecIO& io, LzhRoots roots) : io_(io), trees_(std::make_unique<LzhTrees>(roots)) {}

    void Run() {
        // The window starts as spaces; what follows the first input bytes, and the copy of
        // the window's start behind its end, start as zeros.
        std::memset(text_, 0, sizeof(text_));
        std::memset(text_, 0x20, kN - kF);
        int r = kN - kF;
        int s = 0;
        int len = 0;
        uint8_t c;
        while (len < kF && ReadByte(c)) text_[r + len++] = c;
        if (len == 0) return;
        tree_.ResetAdaptiveTree();
        for (int i = 1; i <= kF; ++i) trees_->Insert(text_, r - i, matchPosition_);
        int matchLength = trees_->Insert(text_, r, matchPosition_);
        do {
            if (matchLength > len) matchLength = len;
            if (matchLength <= kThreshold) {
                matchLength = 1;
                EncodeChar(text_[r]);
            } else {
                EncodeChar(static_cast<unsigned>(255 - kThreshold + matchLength));
                EncodePosition(matchPosition_);
            }
            int last = matchLength;
            int i = 0;
            for (; i < last && ReadByte(c); ++i) {
                trees_->Delete(text_, s);
                text_[s] = c;
                if (s < kF - 1) text_[s + kN] = c;
                s = (s + 1) & (kN - 1);
                r = (r + 1) & (kN - 1);
                matchLength = trees_->Insert(text_, r, matchPosition_);
            }
            while (i++ < last) {
                trees_->Delete(text_, s);
                s = (s + 1) & (kN - 1);
                r = (r + 1) & (kN - 1);
                if (--len) matchLength = trees_->Insert(text_, r, matchPosition_);
            }
        } while (len > 0);
        if (bitCount_ > 0) io_.CodecWriteByte(static_cast<uint8_t>(bitBuf_ << (8 - bitCount_)));
    }

private:
    bool ReadByte(uint8_t& c) {
        if (io_.InputExhausted) return false;
        c = io_.CodecReadByte();
        return !io_.InputExhausted;
    }

    void PutBits(int n, unsigned x) {
        bitBuf_ = (bitBuf_ << n) | (x & ((1u << n) - 1));
        bitCount_ += n;
        while (bitCount_ >= 8) {
            bitCount_ -= 8;
            io_.CodecWriteByte(static_cast<uint8_t>(bitBuf_ >> bitCount_));
        }
        bitBuf_ &= (1u << bitCount_) - 1;
    }

    // The path from the leaf to the root, written root side first and whole, however deep.
    void EncodeChar(unsigned c) {
        uint8_t bits[kT];
        int depth = 0;
        unsigned k = tree_.prnt[c + kT];
        do {
            bits[depth++] = static_cast<uint8_t>(k & 1);
            k = tree_.prnt[k];
        } while (k != kR && depth < kT);
        while (depth > 0) {
            int n = depth > 16 ? 16 : depth;
            unsigned v = 0;
            for (int i = 0; i < n; ++i) v = (v << 1) | bits[--depth];
            PutBits(n, v);
        }
        tree_.UpdateAdaptiveTree(static_cast<int>(c));
    }

    void EncodePosition(unsigned c) {
        const PositionTables& t = Positions();
        unsigned u = c >> 6;
        PutBits(t.len[u], static_cast<unsigned>(t.code[u]) >> (8 - t.len[u]));
        PutBits(6, c & 0x3F);
    }

    CodecIO& io_;
    AdaptiveTree tree_;
    std::unique_ptr<LzhTrees> trees_;
    uint8_t text_[kN + kF - 1];
    unsigned matchPosition_ = 0;
    uint32_t bitBuf_ = 0;
    int bitCount_ = 0;
};

}  // namespace

void ExpandLZH(CodecIO& io, int32_t expandedSize) {
    if (expandedSize <= 0) return;
    auto decoder = std::make_unique<LzhDecoder>(io);
    decoder->Run(expandedSize);
}

void CompressLZHWithRoots(CodecIO& io, LzhRoots roots) {
    auto encoder = std::make_unique<LzhEncoder>(io, roots);
    encoder->Run();
}

void CompressLZH(CodecIO& io) { CompressLZHWithRoots(io, LzhRoots::Hashed); }

}  // namespace zuv::codecs
