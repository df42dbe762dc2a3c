// The -lh5- compressor. Matches are found through hash chains over the last 8191 bytes. The
// normal parse is lazy with one step of look-ahead; the best parse is an optimal one by price:
// for each stretch of input it finds every match worth having and picks the cheapest way
// through, priced by the codes of the blocks the previous pass gave. Symbols gather in a store
// and go out in blocks (of up to 65535 symbols, the most a block's size field counts) whose
// bounds are chosen by the size they code to, so that a change in the data starts a block with
// codes of its own.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "codecs/codec_io.h"
#include "codecs/huffman.h"
#include "codecs/lzh5_tables.h"

namespace zuv::codecs {

namespace {

using namespace lh5;

constexpr int kMaxMatch = 256;
constexpr int kMinMatch = 3;
constexpr int kMaxDistance = kDicSize - 1;  // 8191 back; distance values 0..8190
constexpr int kNPT = kNT;                   // the larger of the two short alphabets

// Text buffer: the input is read in behind the window until the buffer is full; then the
// window (8192 bytes before the position) and what follows it slide down to the start. The
// finder reads up to kMaxMatch bytes past the position and compares 8 bytes at a time, so
// bytes past the input are kept as spaces for that far.
constexpr int kBufferFill = 1 << 16;
constexpr int kPad = kMaxMatch + 16;
constexpr int kTextSize = kBufferFill + kPad;
static_assert(kBufferFill > kDicSize + 2 * kMaxMatch, "a slide must gain room");

// Hash chains: a head per hash of three bytes, and for each position of the window the
// previous position with the same hash. Positions are buffer offsets; kNone lies below any
// window's start, also after the offsets are lowered by a slide.
constexpr int kHashBits = 15;
constexpr int kHashSize = 1 << kHashBits;
constexpr int kNone = -(1 << 30);

// The normal parse: up to kChain candidates per position, a quarter of that once the match in
// hand is kGoodMatch long, none past kLazyMatch; a three-byte match farther back than kTooFar
// costs more than its literals.
constexpr int kChain = 160;
constexpr int kGoodMatch = 32;
constexpr int kLazyMatch = 128;
constexpr int kTooFar = 4096;

// The best parse: deeper chains, a match of kNiceMatch or more taken as found, stretches of
// kChunk positions, each parsed kBestPasses times with the prices of the pass before.
constexpr int kBestChain = 1024;
constexpr int kNiceMatch = kMaxMatch;
constexpr int kChunk = 1 << 16;
constexpr int kBestPasses = 3;

// Blocks: the size field counts up to 65535 symbols; a stretch is split in two down to
// kMinBlock symbols where the parts code to fewer bits than the whole: in halves, or for the
// best level at the one of kSplitTries - 1 evenly spaced points where the parts' counts carry
// the least information, and for the way sent, at the one of those and of kExactTries - 1
// others where they code to the fewest bits. The best level's store holds the last block of
// the stretch before when it has up to kMaxCarried symbols (it may go on into the next
// stretch), and the stretch: up to kMaxStore symbols.
constexpr int kMaxBlock = 65535;
constexpr int kMinBlock = 1024;
constexpr int kSplitTries = 64;
constexpr int kExactTries = 8;
static_assert(kSplitTries % kExactTries == 0, "the coded points are among the tried ones");
constexpr int kMaxCarried = 32768;
constexpr int kMaxStore = kMaxCarried + kChunk;

// The distance class of a distance value: its count of significant bits (0 for 0).
inline int DistanceClass(unsigned d) { return d == 0 ? 0 : 32 - __builtin_clz(d); }

// Bytes that agree at a and b, up to `limit`.
inline int MatchLength(const uint8_t* a, const uint8_t* b, int limit) {
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the first differing byte is the lowest");
    int n = 0;
    while (n + 8 <= limit) {
        uint64_t x;
        uint64_t y;
        std::memcpy(&x, a + n, 8);
        std::memcpy(&y, b + n, 8);
        if (x != y) return n + (__builtin_ctzll(x ^ y) >> 3);
        n += 8;
    }
    while (n < limit && a[n] == b[n]) ++n;
    return n;
}

struct Match {
    uint16_t length;
    uint16_t distance;  // 1..8191
};

class Lzh5Encoder {
public:
    Lzh5Encoder(CodecIO& io, bool best) : io_(io), best_(best) {
        std::fill(head_, head_ + kHashSize, kNone);
        std::fill(prev_, prev_ + kDicSize, kNone);
        symbols_.reserve(kMaxBlock);
        values_.reserve(kMaxBlock);
    }

    void Run() {
        Fill();
        if (end_ == 0) return;  // no input: not even the closing bits
        if (best_) ParseBest();
        else ParseLazy();
        FlushStore(true);
        PutBits(7, 0);  // completes the final byte
    }

private:
    // --- Input and match finding ---

    // Keeps at least kMaxMatch bytes ahead of the position while input lasts, sliding the
    // buffer when it is full.
    void Fill() {
        if (eof_ || end_ - pos_ > kMaxMatch) return;
        if (end_ == kBufferFill) Slide();
        while (end_ < kBufferFill) {
            uint8_t b = io_.CodecReadByte();
            if (io_.InputExhausted) {
                eof_ = true;
                break;
            }
            text_[end_++] = b;
        }
        if (eof_) std::memset(text_ + end_, 0x20, kPad);
    }

    void Slide() {
        const int shift = pos_ - kDicSize;
        std::memmove(text_, text_ + shift, static_cast<size_t>(end_ - shift));
        end_ -= shift;
        pos_ -= shift;
        for (int& h : head_) h = h >= shift ? h - shift : kNone;
        for (int& p : prev_) p = p >= shift ? p - shift : kNone;
    }

    static uint32_t Hash(const uint8_t* p) {
        uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
        return (v * 2654435761u) >> (32 - kHashBits);
    }

    void Insert(int pos) {
        uint32_t h = Hash(text_ + pos);
        prev_[pos & (kDicSize - 1)] = head_[h];
        head_[h] = pos;
    }

    // Walks the chain of the position (not yet inserted) for matches longer than `shorter`,
    // nearest first, up to `maxLen` bytes and `chain` candidates. Each match longer than the
    // ones before it goes to `found` (when given); returns the longest length (or `shorter`)
    // with its distance in `distance`.
    int Search(int maxLen, int chain, int shorter, int& distance, Match* found, int& count) {
        const uint8_t* here = text_ + pos_;
        int best = shorter;
        int cand = head_[Hash(here)];
        const int limit = pos_ - kMaxDistance;
        while (cand >= limit && chain-- > 0) {
            const uint8_t* there = text_ + cand;
            if (there[best] == here[best] && there[0] == here[0] && there[1] == here[1]) {
                int len = MatchLength(here, there, maxLen);
                if (len > best) {
                    best = len;
                    distance = pos_ - cand;
                    if (found) found[count++] = {static_cast<uint16_t>(len), static_cast<uint16_t>(pos_ - cand)};
                    if (len >= maxLen) break;
                }
            }
            cand = prev_[cand & (kDicSize - 1)];
        }
        return best;
    }

    int InputLeft() const { return std::min(kMaxMatch, end_ - pos_); }

    // --- The normal parse ---

    // One step of look-ahead: the match found at the previous position is sent only when the
    // match here is not longer; otherwise the previous byte goes out as a literal.
    void ParseLazy() {
        int prevLen = 0;
        int prevDist = 0;
        bool pending = false;  // the byte before the position is not sent yet
        for (;;) {
            Fill();
            if (pos_ >= end_) break;
            int len = 0;
            int dist = 0;
            if (prevLen < kLazyMatch) {
                int count = 0;
                int shorter = std::max(prevLen, kMinMatch - 1);
                len = Search(InputLeft(), prevLen >= kGoodMatch ? kChain / 4 : kChain, shorter, dist, nullptr, count);
                if (len == shorter) len = 0;
                if (len == kMinMatch && dist > kTooFar) len = 0;
            }
            Insert(pos_);
            if (pending && prevLen >= kMinMatch && len <= prevLen) {
                AddMatch(prevLen, prevDist);
                // pos_ - 1 and pos_ are in the chains; the rest of the match goes in now.
                for (int k = prevLen - 2; k > 0; --k) {
                    ++pos_;
                    Fill();
                    Insert(pos_);
                }
                ++pos_;
                pending = false;
                prevLen = 0;
                continue;
            }
            if (pending) AddLiteral(text_[pos_ - 1]);
            pending = true;
            prevLen = len;
            prevDist = dist;
            ++pos_;
        }
        if (pending) AddLiteral(text_[pos_ - 1]);
    }

    // --- The best parse ---

    // Symbol prices in sixteenths of a bit, from the symbol counts of the last pass (or a
    // first guess); a distance class's price includes its extra bits.
    static constexpr uint32_t kBit = 16;
    struct Prices {
        uint32_t symbol[kNC];
        uint32_t distanceClass[kNP];
    };

    static void GuessPrices(Prices& p) {
        for (int c = 0; c < 256; ++c) p.symbol[c] = 8 * kBit;
        for (int c = 256; c < kNC; ++c) p.symbol[c] = (c < 256 + 16 ? 6 : 10) * kBit;
        for (int k = 0; k < kNP; ++k) p.distanceClass[k] = (4 + (k > 1 ? k - 1 : 0)) * kBit;
    }

    // Prices from a code's counts: the lengths of the Huffman code they give, which is what a
    // block pays; a symbol not seen is priced a bit above the longest code.
    void CodePrices(int n, const uint16_t* freq, uint32_t* out) {
        uint8_t len[kNC];
        uint16_t code[kNC];
        int root = huff_.MakeTree(n, freq, len, code);
        int longest = 1;
        for (int i = 0; i < n; ++i) longest = std::max<int>(longest, len[i]);
        for (int i = 0; i < n; ++i) {
            // A code of one symbol costs nothing per symbol, but a second symbol would give
            // every one of them a bit: that is what the others are priced at.
            int bits = root < n ? (i == root ? 0 : 16) : (len[i] ? len[i] : std::min(16, longest + 1));
            out[i] = static_cast<uint32_t>(bits) * kBit;
        }
    }

    // The prices of the codes that stored symbols [a, b) get as one block.
    void BlockPrices(int a, int b, Prices& p) {
        CountBlock(a, b);
        CodePrices(kNC, cFreq_, p.symbol);
        CodePrices(kNP, pFreq_, p.distanceClass);
        for (int k = 2; k < kNP; ++k) p.distanceClass[k] += static_cast<uint32_t>(k - 1) * kBit;
    }

    // Where one distance class has nearly all of a block's matches (counted in pFreq_), each
    // of the few others costs every one of its matches a bit, as a code of one symbol costs
    // none; prices that pass by one symbol's price cannot see. Prices the block for a way
    // without them: the one class at its extra bits only, the others with their share of
    // that bit added. Returns whether the block has such a class.
    bool PriceRareClasses(Prices& p) const {
        uint32_t total = 0;
        uint32_t top = 0;
        int most = 0;
        for (int k = 0; k < kNP; ++k) {
            total += pFreq_[k];
            if (pFreq_[k] > top) {
                top = pFreq_[k];
                most = k;
            }
        }
        if (top == total || uint64_t(top) * 8 < uint64_t(total) * 7) return false;
        const uint32_t share = std::min<uint32_t>(16 * kBit, top * kBit / (total - top));
        for (int k = 0; k < kNP; ++k) p.distanceClass[k] += share;
        p.distanceClass[most] = static_cast<uint32_t>(most > 1 ? most - 1 : 0) * kBit;
        return true;
    }

    // Each stretch is parsed kBestPasses times (and once more where a block's distances were
    // nearly all of one class, priced for a way without the others). The first pass is priced by the codes of the
    // last block before (or a guess); the way each pass finds is split into blocks as it would
    // be sent, and the next pass prices each position by the codes of the block it fell in, so
    // that a block's own statistics steer the matches chosen inside it. The pass whose blocks
    // code to the fewest bits is sent.
    void ParseBest() {
        std::vector<Prices> tables(1);
        GuessPrices(tables[0]);
        std::vector<int> starts{0};  // the first position each table prices
        std::vector<uint8_t> bytes(kChunk);
        std::vector<uint32_t> first(kChunk + 1);  // where each position's matches start
        std::vector<Match> matches;
        std::vector<uint32_t> cost(kChunk + 1);
        std::vector<Match> step(kChunk + 1);  // the last step on the cheapest way to each position
        std::vector<int> at;                  // the position of each stored symbol
        std::vector<int> cuts;
        std::vector<uint16_t> bestSymbols;
        std::vector<uint16_t> bestValues;
        std::vector<int> bestCuts;
        Match found[kMaxMatch];
        for (;;) {
            // Gather the stretch's bytes and matches. A match of kNiceMatch or more is taken
            // as it is: the positions it covers are entered without a search.
            matches.clear();
            int n = 0;
            int skip = 0;
            for (; n < kChunk; ++n, ++pos_) {
                Fill();
                if (pos_ >= end_) break;
                bytes[size_t(n)] = text_[pos_];
                first[size_t(n)] = static_cast<uint32_t>(matches.size());
                if (skip > 0) {
                    --skip;
                } else {
                    int count = 0;
                    int dist = 0;
                    int len = Search(InputLeft(), kBestChain, kMinMatch - 1, dist, found, count);
                    matches.insert(matches.end(), found, found + count);
                    if (len >= kNiceMatch) skip = len - 1;
                }
                Insert(pos_);
            }
            first[size_t(n)] = static_cast<uint32_t>(matches.size());
            if (n == 0) break;
            Fill();
            const bool last = pos_ >= end_;
            const size_t carried = symbols_.size();
            uint64_t bestBits = UINT64_MAX;
            int passes = kBestPasses;
            for (int pass = 0; pass < passes; ++pass) {
                CheapestWay(n, bytes, first, matches, tables, starts, cost, step);
                // The way found, front to back, into the store.
                symbols_.resize(carried);
                values_.resize(carried);
                at.assign(carried, 0);
                for (int i = n; i > 0;) {
                    const Match& m = step[size_t(i)];
                    if (m.length == 0) {
                        symbols_.push_back(bytes[size_t(i - 1)]);
                        values_.push_back(0);
                        --i;
                    } else {
                        symbols_.push_back(static_cast<uint16_t>(m.length + 253));
                        values_.push_back(static_cast<uint16_t>(m.distance - 1));
                        i -= m.length;
                    }
                    at.push_back(i);
                }
                std::reverse(symbols_.begin() + long(carried), symbols_.end());
                std::reverse(values_.begin() + long(carried), values_.end());
                std::reverse(at.begin() + long(carried), at.end());
                cuts.clear();
                uint64_t bits = PlanStore(cuts, false);
                if (bits < bestBits) {
                    bestBits = bits;
                    bestSymbols = symbols_;
                    bestValues = values_;
                    bestCuts = cuts;
                }
                // The next pass's prices, block by block.
                tables.resize(cuts.size() + 1);
                starts.resize(cuts.size() + 1);
                int from = 0;
                for (size_t k = 0; k <= cuts.size(); ++k) {
                    const int to = k < cuts.size() ? cuts[k] : static_cast<int>(symbols_.size());
                    BlockPrices(from, to, tables[k]);
                    if (pass == kBestPasses - 1 && PriceRareClasses(tables[k])) passes = kBestPasses + 1;
                    starts[k] = at[size_t(from)];
                    from = to;
                }
            }
            symbols_.swap(bestSymbols);
            values_.swap(bestValues);
            // The passes chose their blocks by the information of the parts alone; the way sent
            // gets blocks chosen by their coded sizes too, where that is smaller.
            cuts.clear();
            if (PlanStore(cuts, true) < bestBits) bestCuts.swap(cuts);
            if (last) {
                SendStore(bestCuts, true);
                break;
            }
            // The last block stays in the store when it is short: it may go on into the next
            // stretch. A long one goes out, so that planning does not go over it again.
            int from = 0;
            for (int to : bestCuts) {
                SendBlock(from, to);
                from = to;
            }
            if (static_cast<int>(symbols_.size()) - from > kMaxCarried) {
                SendBlock(from, static_cast<int>(symbols_.size()));
                from = static_cast<int>(symbols_.size());
            }
            symbols_.erase(symbols_.begin(), symbols_.begin() + from);
            values_.erase(values_.begin(), values_.begin() + from);
            // The next stretch starts from the codes of the last block.
            tables.front() = tables.back();
            tables.resize(1);
            starts.assign(1, 0);
        }
    }

    // The cheapest way through the stretch's n positions: cost[i] bits to reach position i,
    // step[i] the literal (length 0) or match that ends there. A step is priced by the table
    // whose stretch of positions it starts in (tables[r] from starts[r] on). Matches are
    // clipped to the stretch; for each length the nearest match that long is used.
    static void CheapestWay(int n, const std::vector<uint8_t>& bytes, const std::vector<uint32_t>& first,
                            const std::vector<Match>& matches, const std::vector<Prices>& tables,
                            const std::vector<int>& starts, std::vector<uint32_t>& cost, std::vector<Match>& step) {
        std::fill(cost.begin(), cost.begin() + n + 1, UINT32_MAX);
        cost[0] = 0;
        size_t r = 0;
        for (int i = 0; i < n; ++i) {
            while (r + 1 < starts.size() && starts[r + 1] <= i) ++r;
            const Prices& prices = tables[r];
            const uint32_t here = cost[size_t(i)];
            uint32_t lit = here + prices.symbol[bytes[size_t(i)]];
            if (lit < cost[size_t(i + 1)]) {
                cost[size_t(i + 1)] = lit;
                step[size_t(i + 1)] = {0, 0};
            }
            int len = kMinMatch;
            for (uint32_t k = first[size_t(i)]; k < first[size_t(i + 1)]; ++k) {
                const Match& m = matches[k];
                const int top = std::min<int>(m.length, n - i);
                const uint32_t distPrice = prices.distanceClass[DistanceClass(m.distance - 1u)];
                for (; len <= top; ++len) {
                    uint32_t c = here + distPrice + prices.symbol[len + 253];
                    if (c < cost[size_t(i + len)]) {
                        cost[size_t(i + len)] = c;
                        step[size_t(i + len)] = {static_cast<uint16_t>(len), m.distance};
                    }
                }
            }
        }
    }

    // --- The symbol store ---

    void AddLiteral(uint8_t b) {
        symbols_.push_back(b);
        values_.push_back(0);
        if (symbols_.size() == kMaxBlock) FlushStore();
    }

    void AddMatch(int length, int distance) {
        symbols_.push_back(static_cast<uint16_t>(length + 253));
        values_.push_back(static_cast<uint16_t>(distance - 1));
        if (symbols_.size() == kMaxBlock) FlushStore();
    }

    // Sends the stored symbols as blocks, chosen by Plan.
    void FlushStore(bool last = false) {
        std::vector<int> cuts;
        PlanStore(cuts);
        SendStore(cuts, last);
    }

    // Chooses the blocks of the whole store: appends the inner bounds to `cuts` and returns the
    // bits the blocks code to. A store of more than kMaxBlock symbols (the best parse's
    // stretch) is always split.
    uint64_t PlanStore(std::vector<int>& cuts, bool exact = true) {
        const int n = static_cast<int>(symbols_.size());
        if (n == 0) return 0;
        if (!best_) return Plan(0, n, BlockBits(0, n), cuts);
        SymbolCounts all;
        Count(0, n, all);
        return PlanBest(0, n, all, CountedBits(all, n), cuts, exact);
    }

    // Sends the stored symbols as blocks with inner bounds `cuts`, and empties the store. The
    // last flush sees to it that the stream's last code does not end on a byte boundary: jlha
    // reads a stream only up to its last byte and drops a symbol that ends there, while 7-Zip
    // and bsdtar refuse a stream with a byte after the last code. When it would, the last block's distance lengths are sent with one zero length more
    // (three bits; readers take trailing zero lengths as the count says), or where that code has
    // no room for it, the last block gives its last few symbols to a block of their own.
    void SendStore(const std::vector<int>& cuts, bool last) {
        const int n = static_cast<int>(symbols_.size());
        if (n == 0) return;
        int from = 0;
        for (int to : cuts) {
            SendBlock(from, to);
            from = to;
        }
        if (last && (bitsOut_ + BlockBits(from, n)) % 8 == 0) {
            padDistances_ = true;
            if ((bitsOut_ + BlockBits(from, n)) % 8 == 0) {
                padDistances_ = false;
                for (int k = 1; k <= 16 && n - k > from; ++k) {
                    if ((bitsOut_ + BlockBits(from, n - k) + BlockBits(n - k, n)) % 8 != 0) {
                        SendBlock(from, n - k);
                        from = n - k;
                        break;
                    }
                }
            }
        }
        SendBlock(from, n);
        padDistances_ = false;
        symbols_.clear();
        values_.clear();
    }

    // Chooses the blocks for symbols [a, b), whose bits as one block are `whole`: appends the
    // inner bounds to `cuts` and returns the bits they code to. Splits in halves and looks into
    // them further only when splitting pays already.
    uint64_t Plan(int a, int b, uint64_t whole, std::vector<int>& cuts) {
        if (b - a < 2 * kMinBlock) return whole;
        int mid = a + (b - a) / 2;
        uint64_t left = BlockBits(a, mid);
        uint64_t right = BlockBits(mid, b);
        if (left + right >= whole) return whole;
        std::vector<int> inner;
        left = Plan(a, mid, left, inner);
        inner.push_back(mid);
        right = Plan(mid, b, right, inner);
        if (left + right >= whole) return whole;
        cuts.insert(cuts.end(), inner.begin(), inner.end());
        return left + right;
    }

    // The symbol counts of a part of the store: literals and lengths, then distance classes.
    static constexpr int kNCounts = kNC + kNP;
    struct SymbolCounts {
        uint32_t f[kNCounts];
    };

    void Count(int a, int b, SymbolCounts& counts) const {
        std::fill(counts.f, counts.f + kNCounts, 0u);
        Add(a, b, counts);
    }

    void Add(int a, int b, SymbolCounts& counts) const {
        for (int i = a; i < b; ++i) {
            unsigned c = symbols_[size_t(i)];
            counts.f[c]++;
            if (c >= 256) counts.f[kNC + DistanceClass(values_[size_t(i)])]++;
        }
    }

    // The best level's blocks for symbols [a, b), counted in `counts`, whose bits as one block
    // are `whole`: splits at the point BestSplit chooses and always looks into both parts,
    // since a split that does not pay may let one of them split where it does.
    uint64_t PlanBest(int a, int b, const SymbolCounts& counts, uint64_t whole, std::vector<int>& cuts, bool exact) {
        if (b - a < 2 * kMinBlock) return whole;
        SymbolCounts left;
        SymbolCounts right;
        const int mid = BestSplit(a, b, counts, left, exact);
        for (int k = 0; k < kNCounts; ++k) right.f[k] = counts.f[k] - left.f[k];
        std::vector<int> inner;
        uint64_t bits = PlanBest(a, mid, left, CountedBits(left, mid - a), inner, exact);
        inner.push_back(mid);
        bits += PlanBest(mid, b, right, CountedBits(right, b - mid), inner, exact);
        if (bits >= whole) return whole;
        cuts.insert(cuts.end(), inner.begin(), inner.end());
        return bits;
    }

    // The split point for symbols [a, b), counted in `counts`: of kSplitTries - 1 evenly
    // spaced points, the one where the two parts carry the least information by their own
    // counts (the entropy, which their codes come close to). With `exact`, the two points of
    // least information and every (kSplitTries / kExactTries)-th point are coded, and the one
    // of fewest bits is taken: on data that hardly compresses the codes' whole-bit lengths and
    // headers decide, which the information does not see. Leaves the counts before the point
    // in `left`.
    int BestSplit(int a, int b, const SymbolCounts& counts, SymbolCounts& left, bool exact) {
        static const std::vector<float> xlog = [] {  // x log2 x
            std::vector<float> t(kMaxStore + 1);
            for (size_t x = 1; x < t.size(); ++x) t[x] = float(double(x) * std::log2(double(x)));
            return t;
        }();
        // The information in n symbols counted f: n log n - sum f log f, for each alphabet.
        auto info = [&](const uint32_t* f) {
            double sum = 0;
            uint32_t n[2] = {0, 0};
            for (int k = 0; k < kNCounts; ++k) {
                sum -= double(xlog[f[k]]);
                n[k >= kNC] += f[k];
            }
            return sum + double(xlog[n[0]]) + double(xlog[n[1]]);
        };
        SymbolCounts part;
        SymbolCounts rest;
        std::fill(part.f, part.f + kNCounts, 0u);
        int best = -1;
        uint64_t bestBits = UINT64_MAX;
        int least[2] = {-1, -1};
        double leastInfo[2] = {0, 0};
        SymbolCounts leastLeft[2];
        int from = a;
        for (int j = 1; j < kSplitTries; ++j) {
            const int m = a + int(int64_t(b - a) * j / kSplitTries);
            Add(from, m, part);
            from = m;
            if (m - a < kMinBlock || b - m < kMinBlock) continue;
            for (int k = 0; k < kNCounts; ++k) rest.f[k] = counts.f[k] - part.f[k];
            const double bits = info(part.f) + info(rest.f);
            if (least[0] < 0 || bits < leastInfo[0]) {
                least[1] = least[0];
                leastInfo[1] = leastInfo[0];
                leastLeft[1] = leastLeft[0];
                least[0] = m;
                leastInfo[0] = bits;
                leastLeft[0] = part;
            } else if (exact && (least[1] < 0 || bits < leastInfo[1])) {
                least[1] = m;
                leastInfo[1] = bits;
                leastLeft[1] = part;
            }
            if (exact && j % (kSplitTries / kExactTries) == 0) {
                const uint64_t coded = CountedBits(part, m - a) + CountedBits(rest, b - m);
                if (coded < bestBits) {
                    bestBits = coded;
                    best = m;
                    left = part;
                }
            }
        }
        if (least[0] < 0) {
            const int mid = a + (b - a) / 2;
            Count(a, mid, left);
            return mid;
        }
        if (!exact) {
            left = leastLeft[0];
            return least[0];
        }
        for (int k = 0; k < 2 && least[k] >= 0; ++k) {
            if (least[k] == best) continue;
            for (int x = 0; x < kNCounts; ++x) rest.f[x] = counts.f[x] - leastLeft[k].f[x];
            const uint64_t coded = CountedBits(leastLeft[k], least[k] - a) + CountedBits(rest, b - least[k]);
            if (coded < bestBits) {
                bestBits = coded;
                best = least[k];
                left = leastLeft[k];
            }
        }
        return best;
    }

    void CountBlock(int a, int b) {
        std::memset(cFreq_, 0, sizeof(cFreq_));
        std::memset(pFreq_, 0, sizeof(pFreq_));
        for (int i = a; i < b; ++i) {
            unsigned c = symbols_[size_t(i)];
            cFreq_[c]++;
            if (c >= 256) pFreq_[DistanceClass(values_[size_t(i)])]++;
        }
    }

    // The bits that symbols [a, b) take as one block, its header included; more than kMaxBlock
    // symbols are no block, priced at kTooLong.
    static constexpr uint64_t kTooLong = uint64_t(1) << 48;
    uint64_t BlockBits(int a, int b) {
        if (b - a > kMaxBlock) return kTooLong;
        CountBlock(a, b);
        return HeaderAndBodyBits();
    }

    // The same for `n` symbols counted in `counts`.
    uint64_t CountedBits(const SymbolCounts& counts, int n) {
        if (n > kMaxBlock) return kTooLong;
        for (int c = 0; c < kNC; ++c) cFreq_[c] = static_cast<uint16_t>(counts.f[c]);
        for (int k = 0; k < kNP; ++k) pFreq_[k] = static_cast<uint16_t>(counts.f[kNC + k]);
        return HeaderAndBodyBits();
    }

    // The bits of a block of the symbols counted in cFreq_/pFreq_.
    uint64_t HeaderAndBodyBits() {
        counting_ = true;
        counted_ = 0;
        SendHeader();
        counting_ = false;
        uint64_t bits = counted_;
        for (int c = 0; c < kNC; ++c) bits += uint64_t(cFreq_[c]) * cLen_[c];
        for (int k = 0; k < kNP; ++k) bits += uint64_t(pFreq_[k]) * (ptLen_[k] + (k > 1 ? k - 1 : 0));
        return bits;
    }

    // --- Block output ---

    void PutBits(int n, unsigned x) {
        if (n == 0) return;
        if (counting_) {
            counted_ += static_cast<uint64_t>(n);
            return;
        }
        bitsOut_ += static_cast<uint64_t>(n);
        bitBuf_ = (bitBuf_ << n) | (x & ((1u << n) - 1));
        bitCount_ += n;
        while (bitCount_ >= 8) {
            bitCount_ -= 8;
            io_.CodecWriteByte(static_cast<uint8_t>(bitBuf_ >> bitCount_));
        }
    }

    void CountTFreq() {
        for (int i = 0; i < kNT; ++i) tFreq_[i] = 0;
        int n = kNC;
        while (n > 0 && cLen_[n - 1] == 0) --n;
        int i = 0;
        while (i < n) {
            int k = cLen_[i++];
            if (k == 0) {
                int count = 1;
                while (i < n && cLen_[i] == 0) {
                    ++i;
                    ++count;
                }
                if (count <= 2) tFreq_[0] = static_cast<uint16_t>(tFreq_[0] + count);
                else if (count <= 18) tFreq_[1]++;
                else if (count == 19) {
                    tFreq_[0]++;
                    tFreq_[1]++;
                } else tFreq_[2]++;
            } else {
                tFreq_[k + 2]++;
            }
        }
    }

    // Writes the lengths of a short code: the count (trailing zeros dropped, `extra` zeros
    // kept where there is room for them) and the lengths.
    void WritePtLen(int nn, int nbit, int special, int extra = 0) {
        int n = nn;
        while (n > 0 && ptLen_[n - 1] == 0) --n;
        n = std::min(nn, n + extra);
        PutBits(nbit, static_cast<unsigned>(n));
        int i = 0;
        while (i < n) {
            int k = ptLen_[i++];
            if (k <= 6) PutBits(3, static_cast<unsigned>(k));
            else PutBits(k - 3, (1u << (k - 3)) - 2);
            if (i == special) {
                while (i < 6 && ptLen_[i] == 0) ++i;
                PutBits(2, static_cast<unsigned>((i - 3) & 3));
            }
        }
    }

    void WriteCLen() {
        int n = kNC;
        while (n > 0 && cLen_[n - 1] == 0) --n;
        PutBits(kCBit, static_cast<unsigned>(n));
        int i = 0;
        while (i < n) {
            int k = cLen_[i++];
            if (k == 0) {
                int count = 1;
                while (i < n && cLen_[i] == 0) {
                    ++i;
                    ++count;
                }
                if (count <= 2) {
                    for (k = 0; k < count; ++k) PutBits(ptLen_[0], ptCode_[0]);
                } else if (count <= 18) {
                    PutBits(ptLen_[1], ptCode_[1]);
                    PutBits(4, static_cast<unsigned>(count - 3));
                } else if (count == 19) {
                    PutBits(ptLen_[0], ptCode_[0]);
                    PutBits(ptLen_[1], ptCode_[1]);
                    PutBits(4, 15);
                } else {
                    PutBits(ptLen_[2], ptCode_[2]);
                    PutBits(kCBit, static_cast<unsigned>(count - 20));
                }
            } else {
                PutBits(ptLen_[k + 2], ptCode_[k + 2]);
            }
        }
    }

    // Builds the block's three codes from cFreq_/pFreq_ and writes its header: the size
    // field, the code-length code with the literal/length lengths, and the distance lengths.
    // Leaves the literal/length code in cLen_/cCode_ and the distance code in ptLen_/ptCode_.
    void SendHeader() {
        int root = huff_.MakeTree(kNC, cFreq_, cLen_, cCode_);
        unsigned size = root >= kNC ? huff_.Frequency(root) : cFreq_[root];
        PutBits(16, size);
        if (root >= kNC) {
            CountTFreq();
            int troot = huff_.MakeTree(kNT, tFreq_, ptLen_, ptCode_);
            if (troot >= kNT) {
                WritePtLen(kNT, kTBit, 3);
            } else {
                PutBits(kTBit, 0);
                PutBits(kTBit, static_cast<unsigned>(troot));
            }
            WriteCLen();
        } else {
            PutBits(kTBit, 0);
            PutBits(kTBit, 0);
            PutBits(kCBit, 0);
            PutBits(kCBit, static_cast<unsigned>(root));
        }
        int proot = huff_.MakeTree(kNP, pFreq_, ptLen_, ptCode_);
        if (proot >= kNP) {
            WritePtLen(kNP, kPBit, -1, padDistances_ ? 1 : 0);
        } else {
            PutBits(kPBit, 0);
            PutBits(kPBit, static_cast<unsigned>(proot));
        }
    }

    void SendBlock(int a, int b) {
        CountBlock(a, b);
        SendHeader();
        for (int i = a; i < b; ++i) {
            unsigned c = symbols_[size_t(i)];
            PutBits(cLen_[c], cCode_[c]);
            if (c >= 256) {
                unsigned d = values_[size_t(i)];
                int k = DistanceClass(d);
                PutBits(ptLen_[k], ptCode_[k]);
                if (k > 1) PutBits(k - 1, d);
            }
        }
    }

    CodecIO& io_;
    const bool best_;
    uint8_t text_[kTextSize];
    int head_[kHashSize];
    int prev_[kDicSize];
    int pos_ = 0;
    int end_ = 0;
    bool eof_ = false;
    std::vector<uint16_t> symbols_;  // 0..255 literals, 256..509 lengths + 253
    std::vector<uint16_t> values_;   // a match's distance value (distance - 1)
    uint16_t cFreq_[kNC];
    uint16_t pFreq_[kNP];
    uint16_t tFreq_[kNT];
    uint8_t cLen_[kNC];
    uint16_t cCode_[kNC];
    uint8_t ptLen_[kNPT];
    uint16_t ptCode_[kNPT];
    uint64_t bitBuf_ = 0;
    int bitCount_ = 0;
    bool counting_ = false;
    uint64_t counted_ = 0;
    uint64_t bitsOut_ = 0;         // bits written so far
    bool padDistances_ = false;    // one zero distance length more in the next header
    HuffmanBuilder huff_;
};

}  // namespace

void CompressLZH5(CodecIO& io, bool best) {
    auto encoder = std::make_unique<Lzh5Encoder>(io, best);
    encoder->Run();
}

}  // namespace zuv::codecs
