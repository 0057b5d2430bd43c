#include "engine/database/record_loader.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace cw {

namespace {

constexpr std::size_t kRecordsPerBlock = 64;

std::uint16_t ReadU16(std::span<const std::uint8_t> bytes, std::size_t element) {
  return static_cast<std::uint16_t>(bytes[2 * element] | (bytes[2 * element + 1] << 8));
}

// Owns an inflate stream so that every way out of the loader closes it.
class InflateStream {
 public:
  explicit InflateStream(std::span<const std::uint8_t> input) {
    stream_.next_in = const_cast<Bytef*>(input.data());  // zlib never writes its input
    stream_.avail_in = static_cast<uInt>(input.size());
    open_ = inflateInit(&stream_) == Z_OK;
  }
  ~InflateStream() {
    if (open_) inflateEnd(&stream_);
  }
  InflateStream(const InflateStream&) = delete;
  InflateStream& operator=(const InflateStream&) = delete;

  bool IsOpen() const { return open_; }

  // Inflates into `out` (room out.size()); answers zlib's result and the
  // number of bytes produced.
  int Inflate(std::span<std::uint8_t> out, std::size_t& produced) {
    stream_.next_out = out.data();
    stream_.avail_out = static_cast<uInt>(out.size());
    const int result = inflate(&stream_, Z_NO_FLUSH);
    produced = out.size() - stream_.avail_out;
    return result;
  }

 private:
  z_stream stream_{};
  bool open_ = false;
};

}  // namespace

std::optional<std::vector<std::uint8_t>> LoadDefinitionRecord(const ResourceSource& resources,
                                                              std::uint16_t recordIndex) {
  const std::size_t block = recordIndex / kRecordsPerBlock;
  const std::size_t slot = recordIndex % kRecordsPerBlock;

  const auto database = resources.FindResource("SOLDB", kResourceSolDbFirst + static_cast<int>(block));
  const auto sizes = resources.FindResource("SOLSIZE", kResourceSolSize);
  if (!database || !sizes) return std::nullopt;
  if (database->size() > std::numeric_limits<uInt>::max()) return std::nullopt;

  const std::size_t first = kRecordsPerBlock * block;
  if (first + slot >= sizes->size() / 2) return std::nullopt;
  std::size_t skip = 0;
  for (std::size_t s = 0; s < slot; ++s) skip += ReadU16(*sizes, first + s);
  const std::size_t size = ReadU16(*sizes, first + slot);
  if (size == 0) return std::nullopt;

  std::vector<std::uint8_t> record(size);
  InflateStream stream(*database);
  if (!stream.IsOpen()) return std::nullopt;

  // The records before the wanted one are inflated into the same buffer and
  // discarded, so no buffer of the whole block is ever held.
  std::size_t produced = 0;
  while (skip > 0) {
    const std::size_t room = std::min(skip, size);
    if (stream.Inflate(std::span(record).first(room), produced) != Z_OK) return std::nullopt;
    skip -= produced;
  }

  // The record counts only when it fills its buffer: a stream that ends or
  // runs out of input early gives no record.
  const int result = stream.Inflate(record, produced);
  if ((result != Z_OK && result != Z_STREAM_END) || produced != size) return std::nullopt;
  return record;
}

}  // namespace cw
