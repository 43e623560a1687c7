// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "audio/flac_encoder.h"

#include <algorithm>
#include <bit>
#include <cstdlib>

namespace {

constexpr int kBitsPerSample = 16;
constexpr int kMaxFixedOrder = 4;
// Finer partitions follow speech's changes of level within a block at a
// cost of 4 bits each; 72 instants a partition in a full block.
constexpr int kMaxPartitionOrder = 6;
constexpr uint32_t kMaxRiceParameter = 14;  // 15 is the escape code

constexpr std::array<uint8_t, 256> Crc8Table() {
  std::array<uint8_t, 256> table{};
  for (uint32_t byte = 0; byte < 256; ++byte) {
    uint32_t crc = byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x80) ? (crc << 1) ^ 0x07 : crc << 1;
    table[byte] = uint8_t(crc);
  }
  return table;
}
constexpr auto kCrc8 = Crc8Table();

// CRC-16 eight bytes at a time: table k holds the CRC of a byte followed by
// k zero bytes, so the eight lookups are independent of each other.
constexpr std::array<std::array<uint16_t, 256>, 8> Crc16Tables() {
  std::array<std::array<uint16_t, 256>, 8> tables{};
  for (uint32_t byte = 0; byte < 256; ++byte) {
    uint32_t crc = byte << 8;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? (crc << 1) ^ 0x8005 : crc << 1;
    tables[0][byte] = uint16_t(crc);
  }
  for (size_t k = 1; k < 8; ++k)
    for (size_t byte = 0; byte < 256; ++byte) {
      const uint16_t before = tables[k - 1][byte];
      tables[k][byte] = uint16_t((before << 8) ^ tables[0][before >> 8]);
    }
  return tables;
}
constexpr auto kCrc16 = Crc16Tables();

uint8_t Crc8(const uint8_t* data, size_t size) {
  uint8_t crc = 0;
  for (size_t i = 0; i < size; ++i) crc = kCrc8[crc ^ data[i]];
  return crc;
}

uint16_t Crc16(const uint8_t* data, size_t size) {
  uint16_t crc = 0;
  for (; size >= 8; data += 8, size -= 8)
    crc = kCrc16[7][data[0] ^ (crc >> 8)] ^ kCrc16[6][data[1] ^ (crc & 0xFF)] ^ kCrc16[5][data[2]] ^
          kCrc16[4][data[3]] ^ kCrc16[3][data[4]] ^ kCrc16[2][data[5]] ^ kCrc16[1][data[6]] ^
          kCrc16[0][data[7]];
  for (; size > 0; ++data, --size) crc = uint16_t((crc << 8) ^ kCrc16[0][(crc >> 8) ^ *data]);
  return crc;
}

// Big-endian bits into memory sized beforehand.
class BitSink {
 public:
  explicit BitSink(uint8_t* at) : m_begin(at), m_at(at) {}

  // `value` < 2^bits, bits 0 to 32.
  void Put(uint32_t value, int bits) {
    m_pending = (m_pending << bits) | value;
    m_count += bits;
    if (m_count >= 32) {
      m_count -= 32;
      const auto word = uint32_t(m_pending >> m_count);
      m_at[0] = uint8_t(word >> 24);
      m_at[1] = uint8_t(word >> 16);
      m_at[2] = uint8_t(word >> 8);
      m_at[3] = uint8_t(word);
      m_at += 4;
    }
  }
  void PutSigned(int32_t value, int bits) { Put(uint32_t(value) & ((1u << bits) - 1), bits); }

  // Each of `count` folded residuals as q zeros, a one, then its k low
  // bits. The sink's state is kept in locals: the byte stores could alias
  // the members and would have them reloaded after each one.
  void PutRice(const uint32_t* folded, int count, uint32_t k) {
    uint64_t pending = m_pending;
    int filled = m_count;
    uint8_t* at = m_at;
    const auto put = [&](uint32_t value, int bits) {
      pending = (pending << bits) | value;
      filled += bits;
      if (filled >= 32) {
        filled -= 32;
        const auto word = uint32_t(pending >> filled);
        at[0] = uint8_t(word >> 24), at[1] = uint8_t(word >> 16), at[2] = uint8_t(word >> 8), at[3] = uint8_t(word);
        at += 4;
      }
    };
    const uint32_t lowBits = (1u << k) - 1;
    for (int i = 0; i < count; ++i) {
      uint32_t q = folded[i] >> k;
      const uint32_t tail = (1u << k) | (folded[i] & lowBits);
      if (q + 1 + k <= 32) {
        put(tail, int(q + 1 + k));
        continue;
      }
      for (; q >= 32; q -= 32) put(0, 32);
      put(0, int(q));
      put(tail, int(k + 1));
    }
    m_pending = pending, m_count = filled, m_at = at;
  }

  // Pads with zeros to a whole byte and writes out what is pending.
  void AlignAndFlush() {
    if (m_count % 8) Put(0, 8 - m_count % 8);
    while (m_count > 0) {
      m_count -= 8;
      *m_at++ = uint8_t(m_pending >> m_count);
    }
  }
  size_t BytesWritten() const { return size_t(m_at - m_begin); }
  uint8_t* begin() const { return m_begin; }

 private:
  uint8_t* m_begin;
  uint8_t* m_at;
  uint64_t m_pending = 0;  // its low m_count bits are not yet written
  int m_count = 0;
};

// The block size's 4-bit code, and the bits that follow the header for the
// codes that carry it there (0 for none).
int BlockSizeCode(int count, int& extraBits) {
  extraBits = 0;
  if (count == 192) return 1;
  for (int code = 2; code <= 5; ++code)
    if (count == 576 << (code - 2)) return code;
  for (int code = 8; code <= 15; ++code)
    if (count == 256 << (code - 8)) return code;
  extraBits = count <= 256 ? 8 : 16;
  return extraBits == 8 ? 6 : 7;
}

int SampleRateCode(int rate, int& extraBits, uint32_t& extra) {
  extraBits = 0;
  static constexpr int kCommon[][2] = {{8000, 4},  {16000, 5}, {22050, 6}, {24000, 7},
                                       {32000, 8}, {44100, 9}, {48000, 10}, {96000, 11}};
  for (const auto& [hz, code] : kCommon)
    if (rate == hz) return code;
  if (rate % 1000 == 0 && rate <= 255000) {
    extraBits = 8, extra = uint32_t(rate / 1000);
    return 12;
  }
  if (rate <= 65535) {
    extraBits = 16, extra = uint32_t(rate);
    return 13;
  }
  if (rate % 10 == 0) {
    extraBits = 16, extra = uint32_t(rate / 10);
    return 14;
  }
  return 0;  // only in the STREAMINFO
}

// The frame number as FLAC codes it, in the manner of UTF-8.
void PutFrameNumber(BitSink& sink, uint32_t number) {
  if (number < 0x80) return sink.Put(number, 8);
  int bytes = 2;
  while (bytes < 6 && number >= (1u << (5 * bytes + 1))) ++bytes;
  sink.Put(((0xFF00u >> bytes) & 0xFF) | (number >> (6 * (bytes - 1))), 8);
  for (int i = bytes - 2; i >= 0; --i) sink.Put(0x80 | ((number >> (6 * i)) & 0x3F), 8);
}

uint32_t Fold(int32_t residual) { return (uint32_t(residual) << 1) ^ uint32_t(residual >> 31); }

// The residual of instant i under fixed predictor `Order`.
template <int Order>
int32_t FixedResidual(const int32_t* x, int i) {
  if constexpr (Order == 0) return x[i];
  if constexpr (Order == 1) return x[i] - x[i - 1];
  if constexpr (Order == 2) return x[i] - 2 * x[i - 1] + x[i - 2];
  if constexpr (Order == 3) return x[i] - 3 * x[i - 1] + 3 * x[i - 2] - x[i - 3];
  if constexpr (Order == 4) return x[i] - 4 * x[i - 1] + 6 * x[i - 2] - 4 * x[i - 3] + x[i - 4];
}

// The fixed predictor order (0 to 4) whose residuals are smallest. The sums
// fit 32 bits: residuals of 16-bit samples stay below 2^19, and a block
// holds at most 4608 of them.
int BestFixedOrder(const int32_t* x, int n) {
  uint32_t total[kMaxFixedOrder + 1] = {};
  for (int i = kMaxFixedOrder; i < n; ++i) {
    total[0] += uint32_t(std::abs(FixedResidual<0>(x, i)));
    total[1] += uint32_t(std::abs(FixedResidual<1>(x, i)));
    total[2] += uint32_t(std::abs(FixedResidual<2>(x, i)));
    total[3] += uint32_t(std::abs(FixedResidual<3>(x, i)));
    total[4] += uint32_t(std::abs(FixedResidual<4>(x, i)));
  }
  return int(std::min_element(total, total + kMaxFixedOrder + 1) - total);
}

template <int Order>
void FoldedResiduals(const int32_t* x, int n, uint32_t* folded) {
  for (int i = Order; i < n; ++i) folded[i] = Fold(FixedResidual<Order>(x, i));
}

void FixedResiduals(const int32_t* x, int n, int order, uint32_t* folded) {
  switch (order) {
    case 0: return FoldedResiduals<0>(x, n, folded);
    case 1: return FoldedResiduals<1>(x, n, folded);
    case 2: return FoldedResiduals<2>(x, n, folded);
    case 3: return FoldedResiduals<3>(x, n, folded);
    default: return FoldedResiduals<4>(x, n, folded);
  }
}

// The Rice parameter for `count` residuals that add up to `sum`, and the
// bits they take: an upper bound, since the floors of the parts add up to
// no more than the floor of the whole.
uint64_t RiceBits(uint64_t count, uint64_t sum, uint32_t& parameter) {
  if (count == 0) {
    parameter = 0;
    return 0;
  }
  uint32_t guess = 0;
  while (guess < kMaxRiceParameter && (count << (guess + 1)) <= sum) ++guess;
  uint64_t best = UINT64_MAX;
  for (uint32_t k = guess ? guess - 1 : 0; k <= std::min(guess + 1, kMaxRiceParameter); ++k) {
    const uint64_t bits = count * (k + 1) + (sum >> k);
    if (bits < best) best = bits, parameter = k;
  }
  return best;
}

struct Partitioning {
  int order = 0;
  uint64_t bits = UINT64_MAX;
  uint32_t parameters[1 << kMaxPartitionOrder] = {};
};

// The partition order and Rice parameters that code the residuals of
// instants [order, n) in the fewest bits.
Partitioning BestPartitioning(const uint32_t* folded, int n, int predictorOrder) {
  int finest = 0;
  while (finest < kMaxPartitionOrder && n % (2 << finest) == 0 && (n >> (finest + 1)) > predictorOrder)
    ++finest;
  uint64_t sums[1 << kMaxPartitionOrder] = {};
  const int span = n >> finest;
  for (int p = 0, i = predictorOrder; p < (1 << finest); ++p)
    for (const int end = (p + 1) * span; i < end; ++i) sums[p] += folded[i];
  Partitioning best;
  for (int order = finest;; --order) {
    const int parts = 1 << order;
    uint64_t bits = 4 * uint64_t(parts);
    uint32_t parameters[1 << kMaxPartitionOrder];
    for (int p = 0; p < parts; ++p) {
      const int count = (n >> order) - (p == 0 ? predictorOrder : 0);
      bits += RiceBits(uint64_t(count), sums[p], parameters[p]);
    }
    if (bits < best.bits) {
      best.order = order;
      best.bits = bits;
      std::copy(parameters, parameters + parts, best.parameters);
    }
    if (order == 0) return best;
    for (int p = 0; p < parts / 2; ++p) sums[p] = sums[2 * p] + sums[2 * p + 1];
  }
}

// One channel's subframe. Low bits that are zero in every sample (the
// AMR decoders' 13-bit sound comes out in steps of 8) are left out: FLAC's
// wasted bits. `x` is changed.
void PutSubframe(BitSink& sink, int32_t* x, int n, uint32_t* folded) {
  int32_t low = x[0], high = x[0];
  uint32_t allBits = 0;
  for (int i = 0; i < n; ++i) {
    low = std::min(low, x[i]);
    high = std::max(high, x[i]);
    allBits |= uint32_t(x[i]);
  }
  if (low == high) {
    sink.Put(0x00, 8);  // constant
    return sink.PutSigned(x[0], kBitsPerSample);
  }
  const int wasted = std::countr_zero(allBits);
  if (wasted)
    for (int i = 0; i < n; ++i) x[i] >>= wasted;
  const int sampleBits = kBitsPerSample - wasted;
  const auto putType = [&](uint32_t type) {
    sink.Put(type << 1 | (wasted ? 1 : 0), 8);
    if (wasted) sink.Put(1, wasted);  // wasted - 1 zeros, then a one
  };
  const uint64_t verbatimBits = uint64_t(n) * uint64_t(sampleBits);
  if (n > kMaxFixedOrder) {
    const int order = BestFixedOrder(x, n);
    FixedResiduals(x, n, order, folded);
    const Partitioning rice = BestPartitioning(folded, n, order);
    if (uint64_t(order * sampleBits) + 6 + rice.bits < verbatimBits) {
      putType(0x08 | uint32_t(order));  // fixed
      for (int i = 0; i < order; ++i) sink.PutSigned(x[i], sampleBits);
      sink.Put(0, 2);  // Rice parameters of 4 bits
      sink.Put(uint32_t(rice.order), 4);
      const int span = n >> rice.order;
      for (int p = 0, i = order; p < (1 << rice.order); ++p) {
        const uint32_t k = rice.parameters[p];
        sink.Put(k, 4);
        const int end = (p + 1) * span;
        sink.PutRice(folded + i, end - i, k);
        i = end;
      }
      return;
    }
  }
  putType(0x01);  // verbatim
  for (int i = 0; i < n; ++i) sink.PutSigned(x[i], sampleBits);
}

}  // namespace

FlacEncoder::FlacEncoder(int channels, int sampleRate)
    : m_channels(std::clamp(channels, 1, kMaxChannels)),
      m_sampleRate(std::clamp(sampleRate, 1, 655350)),
      m_channel(kBlockSize),
      m_folded(kBlockSize) {}

void FlacEncoder::EncodeFrame(const int16_t* interleaved, int count, std::vector<uint8_t>& frame) {
  count = std::clamp(count, 1, kBlockSize);
  // Header, a verbatim subframe a channel at most (a Rice subframe is only
  // chosen when smaller), the CRC.
  frame.resize(16 + size_t(m_channels) * (2 + 2 * size_t(count)) + 2);
  BitSink sink(frame.data());
  int sizeBits = 0, rateBits = 0;
  uint32_t rateExtra = 0;
  const int sizeCode = BlockSizeCode(count, sizeBits);
  const int rateCode = SampleRateCode(m_sampleRate, rateBits, rateExtra);
  sink.Put(0xFFF8, 16);  // sync code, fixed block size
  sink.Put(uint32_t(sizeCode << 4 | rateCode), 8);
  sink.Put(uint32_t((m_channels - 1) << 4 | 0x4 << 1), 8);  // independent channels, 16 bits
  PutFrameNumber(sink, m_frameNumber);
  if (sizeBits) sink.Put(uint32_t(count - 1), sizeBits);
  if (rateBits) sink.Put(rateExtra, rateBits);
  sink.AlignAndFlush();
  sink.Put(Crc8(sink.begin(), sink.BytesWritten()), 8);
  for (int c = 0; c < m_channels; ++c) {
    const int16_t* from = interleaved + c;
    if (m_channels == 1)
      std::copy(from, from + count, m_channel.begin());
    else
      for (int i = 0; i < count; ++i) m_channel[size_t(i)] = from[size_t(i) * size_t(m_channels)];
    PutSubframe(sink, m_channel.data(), count, m_folded.data());
  }
  sink.AlignAndFlush();
  sink.Put(Crc16(sink.begin(), sink.BytesWritten()), 16);
  sink.AlignAndFlush();
  frame.resize(sink.BytesWritten());

  const auto bytes = uint32_t(frame.size());
  m_minFrameBytes = m_frameNumber == 0 ? bytes : std::min(m_minFrameBytes, bytes);
  m_maxFrameBytes = std::max(m_maxFrameBytes, bytes);
  m_samples += uint64_t(count);
  ++m_frameNumber;
}

std::array<uint8_t, kFlacStreamInfoBytes> FlacEncoder::StreamInfo() const {
  std::array<uint8_t, kFlacStreamInfoBytes> info{};
  BitSink sink(info.data());
  sink.Put(kBlockSize, 16);  // the smallest block but the last, and the largest
  sink.Put(kBlockSize, 16);
  sink.Put(m_minFrameBytes, 24);
  sink.Put(m_maxFrameBytes, 24);
  sink.Put(uint32_t(m_sampleRate), 20);
  sink.Put(uint32_t(m_channels - 1), 3);
  sink.Put(kBitsPerSample - 1, 5);
  sink.Put(uint32_t(m_samples >> 32) & 0xF, 4);
  sink.Put(uint32_t(m_samples), 32);
  sink.AlignAndFlush();  // the MD5 that follows stays zero
  return info;
}
