// Huffman codes for the -lh5- encoder: built from symbol frequencies with a heap, lengths
// limited to 16 bits by folding the excess back, codes assigned canonically.
#pragma once

#include <cstdint>

namespace zuv::codecs {

class HuffmanBuilder {
public:
    static constexpr int kMaxSymbols = 510;

    // Builds the code for `n` symbols (at most kMaxSymbols) from `freqIn`; fills `lenOut`
    // and `codeOut` (right-aligned codes). Returns the root: a node (n or above) when two
    // or more symbols are used; otherwise the only used symbol (or 0), whose length is 0.
    // The frequency of the returned root is the total of all frequencies.
    int MakeTree(int n, const uint16_t* freqIn, uint8_t* lenOut, uint16_t* codeOut);
    uint32_t Frequency(int node) const { return freq_[node]; }

    // Canonical codes for the lengths: by increasing length, then by symbol number.
    static void MakeCode(int n, const uint8_t* len, uint16_t* code) {
        uint32_t count[17] = {0};
        for (int i = 0; i < n; ++i) count[len[i]]++;
        uint16_t start[18];
        start[1] = 0;
        for (int i = 1; i <= 16; ++i) start[i + 1] = static_cast<uint16_t>((start[i] + count[i]) << 1);
        for (int i = 0; i < n; ++i) code[i] = len[i] ? start[len[i]]++ : 0;
    }

private:
    void DownHeap(int i) {
        int k = heap_[i];
        int j;
        while ((j = 2 * i) <= heapSize_) {
            if (j < heapSize_ && freq_[heap_[j]] > freq_[heap_[j + 1]]) ++j;
            if (freq_[k] <= freq_[heap_[j]]) break;
            heap_[i] = heap_[j];
            i = j;
        }
        heap_[i] = static_cast<int16_t>(k);
    }

    void CountLen(int i) {
        if (i < n_) {
            lenCnt_[depth_ < 16 ? depth_ : 16]++;
        } else {
            ++depth_;
            CountLen(left_[i]);
            CountLen(right_[i]);
            --depth_;
        }
    }

    void MakeLen(int root) {
        for (int i = 0; i <= 16; ++i) lenCnt_[i] = 0;
        depth_ = 0;
        CountLen(root);
        uint32_t cum = 0;
        for (int i = 16; i > 0; --i) cum += lenCnt_[i] << (16 - i);
        while (cum != (1u << 16)) {
            lenCnt_[16]--;
            for (int i = 15; i > 0; --i) {
                if (lenCnt_[i] != 0) {
                    lenCnt_[i]--;
                    lenCnt_[i + 1] += 2;
                    break;
                }
            }
            --cum;
        }
        int s = 0;
        for (int i = 16; i > 0; --i) {
            for (uint32_t k = lenCnt_[i]; k > 0; --k) len_[sort_[s++]] = static_cast<uint8_t>(i);
        }
    }


    uint32_t freq_[2 * kMaxSymbols];
    int16_t left_[2 * kMaxSymbols];
    int16_t right_[2 * kMaxSymbols];
    int16_t heap_[kMaxSymbols + 1];
    int16_t sort_[kMaxSymbols];
    uint8_t* len_ = nullptr;
    uint32_t lenCnt_[17];
    int heapSize_ = 0;
    int n_ = 0;
    int depth_ = 0;
};

inline int HuffmanBuilder::MakeTree(int n, const uint16_t* freqIn, uint8_t* lenOut, uint16_t* codeOut) {
        n_ = n;
        for (int i = 0; i < n; ++i) freq_[i] = freqIn[i];
        len_ = lenOut;
        heapSize_ = 0;
        heap_[1] = 0;
        for (int i = 0; i < n; ++i) {
            lenOut[i] = 0;
            if (freq_[i]) heap_[++heapSize_] = static_cast<int16_t>(i);
        }
        if (heapSize_ < 2) {
            codeOut[heap_[1]] = 0;
            return heap_[1];
        }
        for (int i = heapSize_ / 2; i >= 1; --i) DownHeap(i);
        int sorted = 0;
        int avail = n;
        int k;
        do {
            int i = heap_[1];
            if (i < n) sort_[sorted++] = static_cast<int16_t>(i);
            heap_[1] = heap_[heapSize_--];
            DownHeap(1);
            int j = heap_[1];
            if (j < n) sort_[sorted++] = static_cast<int16_t>(j);
            k = avail++;
            freq_[k] = freq_[i] + freq_[j];
            heap_[1] = static_cast<int16_t>(k);
            DownHeap(1);
            left_[k] = static_cast<int16_t>(i);
            right_[k] = static_cast<int16_t>(j);
        } while (heapSize_ > 1);
        MakeLen(k);
        MakeCode(n, lenOut, codeOut);
        return k;
    }

}  // namespace zuv::codecs
