#include "cli/sha256.h"

#include <algorithm>
#include <array>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <cpuid.h>
#include <immintrin.h>
#define TRIVANE_SHA_NI 1
#endif

namespace trivane::cli {
namespace {

constexpr std::array<std::uint32_t, 64> kRound = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

std::uint32_t Rotr(std::uint32_t x, int n) {
  return x >> n | x << (32 - n);
}

void OneBlock(std::uint32_t* h, const std::uint8_t* p) {
  std::uint32_t w[64];
  for (int i = 0; i < 16; ++i) {
    w[i] = std::uint32_t{p[4 * i]} << 24 | std::uint32_t{p[4 * i + 1]} << 16 |
           std::uint32_t{p[4 * i + 2]} << 8 | p[4 * i + 3];
  }
  for (int i = 16; i < 64; ++i) {
    const std::uint32_t s0 = Rotr(w[i - 15], 7) ^ Rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
    const std::uint32_t s1 = Rotr(w[i - 2], 17) ^ Rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
    w[i] = w[i - 16] + s0 + w[i - 7] + s1;
  }
  std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], k = h[7];
  for (int i = 0; i < 64; ++i) {
    const std::uint32_t t1 =
        k + (Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25)) + ((e & f) ^ (~e & g)) + kRound[i] + w[i];
    const std::uint32_t t2 =
        (Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
    k = g, g = f, f = e, e = d + t1, d = c, c = b, b = a, a = t1 + t2;
  }
  const std::uint32_t add[8] = {a, b, c, d, e, f, g, k};
  for (int i = 0; i < 8; ++i) h[i] += add[i];
}

void Blocks(std::uint32_t* h, const std::uint8_t* p, std::size_t blocks) {
  for (; blocks > 0; --blocks, p += 64) OneBlock(h, p);
}

#ifdef TRIVANE_SHA_NI
// The same rounds with the processor's SHA instructions, four rounds a step,
// the state kept in registers from block to block; the message schedule
// W[t] for t = 16.. is made from W[t-16] .. W[t-1].
__attribute__((target("sha,sse4.1"))) void BlocksShaNi(std::uint32_t* h, const std::uint8_t* p,
                                                       std::size_t blocks) {
  const __m128i order = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
  __m128i tmp = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&h[0])), 0xB1);
  __m128i state1 =
      _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&h[4])), 0x1B);
  __m128i state0 = _mm_alignr_epi8(tmp, state1, 8);  // A B E F
  state1 = _mm_blend_epi16(state1, tmp, 0xF0);       // C D G H
  for (; blocks > 0; --blocks, p += 64) {
    const __m128i abef = state0, cdgh = state1;
    __m128i w[4];
    for (int i = 0; i < 4; ++i) {
      w[i] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i)), order);
    }
#pragma GCC unroll 16
    for (int i = 0; i < 16; ++i) {
      __m128i msg = _mm_add_epi32(
          w[i % 4], _mm_loadu_si128(reinterpret_cast<const __m128i*>(&kRound[4 * i])));
      state1 = _mm_sha256rnds2_epu32(state1, state0, msg);
      msg = _mm_shuffle_epi32(msg, 0x0E);
      state0 = _mm_sha256rnds2_epu32(state0, state1, msg);
      if (i < 12) {
        __m128i next = _mm_sha256msg1_epu32(w[i % 4], w[(i + 1) % 4]);
        next = _mm_add_epi32(next, _mm_alignr_epi8(w[(i + 3) % 4], w[(i + 2) % 4], 4));
        w[i % 4] = _mm_sha256msg2_epu32(next, w[(i + 3) % 4]);
      }
    }
    state0 = _mm_add_epi32(state0, abef);
    state1 = _mm_add_epi32(state1, cdgh);
  }
  tmp = _mm_shuffle_epi32(state0, 0x1B);        // F E B A
  state1 = _mm_shuffle_epi32(state1, 0xB1);     // D C H G
  state0 = _mm_blend_epi16(tmp, state1, 0xF0);  // D C B A
  state1 = _mm_alignr_epi8(state1, tmp, 8);     // H G F E
  _mm_storeu_si128(reinterpret_cast<__m128i*>(&h[0]), state0);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(&h[4]), state1);
}
#endif

#ifdef TRIVANE_SHA_NI
// Asked of the processor directly: not every compiler knows "sha" as a feature name.
bool HasShaInstructions() {
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (__get_cpuid(1, &a, &b, &c, &d) == 0 || (c & bit_SSE4_1) == 0) return false;
  if (__get_cpuid_count(7, 0, &a, &b, &c, &d) == 0) return false;
  return (b & (1u << 29)) != 0;
}
#endif

using BlockFunction = void (*)(std::uint32_t*, const std::uint8_t*, std::size_t);

BlockFunction Fastest(bool allow_instructions) {
#ifdef TRIVANE_SHA_NI
  if (allow_instructions && HasShaInstructions()) return BlocksShaNi;
#endif
  (void)allow_instructions;
  return Blocks;
}

}  // namespace

Sha256::Sha256(bool allow_instructions) {
  static const BlockFunction with = Fastest(true);
  block_ = allow_instructions ? with : Blocks;
}

void Sha256::Add(const std::uint8_t* bytes, std::size_t size) {
  total_ += size;
  if (held_ > 0) {
    const std::size_t take = std::min(size, 64 - held_);
    std::copy_n(bytes, take, pending_ + held_);
    held_ += take, bytes += take, size -= take;
    if (held_ < 64) return;
    block_(h_, pending_, 1);
    held_ = 0;
  }
  block_(h_, bytes, size / 64);
  bytes += size / 64 * 64;
  size %= 64;
  std::copy_n(bytes, size, pending_);
  held_ = size;
}

std::string Sha256::Hex() {
  // The padding: a one bit, zeros, and the length in bits, to a whole block.
  const std::uint64_t bits = total_ * 8;
  std::uint8_t tail[72] = {0x80};
  const std::size_t zeros = (held_ < 56 ? 56 : 120) - held_;
  for (int i = 0; i < 8; ++i) tail[zeros + 7 - i] = static_cast<std::uint8_t>(bits >> (8 * i));
  Add(tail, zeros + 8);
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (std::uint32_t v : h_) {
    for (int shift = 28; shift >= 0; shift -= 4) hex += kDigits[v >> shift & 15];
  }
  return hex;
}

std::string Sha256Hex(const std::vector<std::uint8_t>& bytes, bool allow_instructions) {
  Sha256 sha(allow_instructions);
  sha.Add(bytes);
  return sha.Hex();
}

}  // namespace trivane::cli
