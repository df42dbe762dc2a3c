// The LZH method's model, shared by its compressor and decompressor: the constants, the
// fixed prefix code of the match positions' upper six bits, and the adaptive Huffman tree of
// literals and match lengths.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace zuv::codecs::lzh {

constexpr int kN = 4096;          // window size
constexpr int kF = 60;            // look-ahead size, longest match
constexpr int kThreshold = 2;
constexpr int kNChar = 256 - kThreshold + kF;  // 314 leaves
constexpr int kT = kNChar * 2 - 1;             // 627 nodes
constexpr int kR = kT - 1;                     // root
constexpr uint16_t kMaxFreq = 0x8000;

// The position code's lengths for each upper-6-bit value, in order.
inline int PositionCodeLength(int u) {
    if (u < 1) return 3;
    if (u < 4) return 4;
    if (u < 12) return 5;
    if (u < 24) return 6;
    if (u < 48) return 7;
    return 8;
}

struct PositionTables {
    uint8_t code[64];    // left-aligned in 8 bits
    uint8_t len[64];
    uint8_t dCode[256];  // upper 6 bits for an 8-bit prefix
    uint8_t dLen[256];   // code length for an 8-bit prefix
    PositionTables() {
        unsigned next = 0;
        for (int u = 0; u < 64; ++u) {
            int l = PositionCodeLength(u);
            len[u] = static_cast<uint8_t>(l);
            code[u] = static_cast<uint8_t>(next);
            unsigned span = 1u << (8 - l);
            for (unsigned k = 0; k < span; ++k) {
                dCode[next + k] = static_cast<uint8_t>(u);
                dLen[next + k] = static_cast<uint8_t>(l);
            }
            next += span;
        }
    }
};

inline const PositionTables& Positions() {
    static const PositionTables tables;
    return tables;
}

// The adaptive Huffman tree shared by both directions.
struct AdaptiveTree {
    uint16_t freq[kT + 8];  // the root's count, then guards: a scan may read 8 counts at once
    uint16_t prnt[kT + kNChar];
    uint16_t son[kT];

    void ResetAdaptiveTree() {
        for (int i = 0; i < kNChar; ++i) {
            freq[i] = 1;
            son[i] = static_cast<uint16_t>(i + kT);
            prnt[i + kT] = static_cast<uint16_t>(i);
        }
        int i = 0;
        for (int j = kNChar; j <= kR; ++j) {
            freq[j] = static_cast<uint16_t>(freq[i] + freq[i + 1]);
            son[j] = static_cast<uint16_t>(i);
            prnt[i] = prnt[i + 1] = static_cast<uint16_t>(j);
            i += 2;
        }
        for (int g = kT; g < kT + 8; ++g) freq[g] = 0xFFFF;
        prnt[kR] = 0;
    }

    void RebuildAdaptiveTree() {
        int j = 0;
        for (int i = 0; i < kT; ++i) {
            if (son[i] >= kT) {
                freq[j] = static_cast<uint16_t>((freq[i] + 1) / 2);
                son[j] = son[i];
                ++j;
            }
        }
        int i = 0;
        for (j = kNChar; j < kT; ++j) {
            uint16_t f = static_cast<uint16_t>(freq[i] + freq[i + 1]);
            freq[j] = f;
            // The counts below j are in order: f goes after the last that is not larger.
            const int k = static_cast<int>(std::upper_bound(freq, freq + j, f) - freq);
            const int l = j - k;
            std::memmove(&freq[k + 1], &freq[k], sizeof(freq[0]) * l);
            freq[k] = f;
            std::memmove(&son[k + 1], &son[k], sizeof(son[0]) * l);
            son[k] = static_cast<uint16_t>(i);
            i += 2;
        }
        for (i = 0; i < kT; ++i) {
            int k = son[i];
            if (k >= kT) {
                prnt[k] = static_cast<uint16_t>(i);
            } else {
                prnt[k] = prnt[k + 1] = static_cast<uint16_t>(i);
            }
        }
    }

    void UpdateAdaptiveTree(int c) {
        if (freq[kR] == kMaxFreq) RebuildAdaptiveTree();
        c = prnt[c + kT];
        do {
            uint16_t k = ++freq[c];
            int l = c + 1;
            if (k > freq[l]) {
                while (k > freq[++l]) {
                }
                --l;
                freq[c] = freq[l];
                freq[l] = k;
                int i = son[c];
                prnt[i] = static_cast<uint16_t>(l);
                if (i < kT) prnt[i + 1] = static_cast<uint16_t>(l);
                int j = son[l];
                son[l] = static_cast<uint16_t>(i);
                prnt[j] = static_cast<uint16_t>(c);
                if (j < kT) prnt[j + 1] = static_cast<uint16_t>(c);
                son[c] = static_cast<uint16_t>(j);
                c = l;
            }
        } while ((c = prnt[c]) != 0);
    }
};

}  // namespace zuv::codecs::lzh
