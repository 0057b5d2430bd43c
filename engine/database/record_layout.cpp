#include "engine/database/record_layout.h"

#include <algorithm>
#include <limits>
#include <string>

#include "engine/database/byte_io.h"
#include "engine/database/record_schema.h"

namespace cw {
namespace {

std::optional<std::string> ReadString(ByteReader& in) {
  std::string text;
  for (;;) {
    std::uint8_t c = 0;
    if (!in.U8(c)) return std::nullopt;
    if (c == 0) return text;
    text.push_back(static_cast<char>(c));
  }
}

template <typename Element>
bool Read(ByteReader& in, Element& e) {
  for (const auto& field : FieldsOf<Element>()) {
    const bool read = field.width == FieldWidth::kU8    ? in.U8(e.*field.u8)
                      : field.width == FieldWidth::kU16 ? in.U16(e.*field.u16)
                                                        : in.I16(e.*field.i16);
    if (!read) return false;
  }
  return true;
}

bool Read(ByteReader& in, std::uint8_t& e) { return in.U8(e); }

bool Read(ByteReader& in, std::vector<std::uint8_t>& program) {
  std::int16_t length = 0;
  if (!in.I16(length) || length < 0) return false;
  return in.Bytes(program, static_cast<std::size_t>(length));
}

template <typename T>
bool ReadTable(ByteReader& in, std::uint16_t count, std::vector<T>& table) {
  // Counts are untrusted: never reserve more than the bytes left could hold.
  table.clear();
  table.reserve(std::min<std::size_t>(count, in.Remaining()));
  for (std::uint16_t i = 0; i < count; ++i) {
    T element{};
    if (!Read(in, element)) return false;
    table.push_back(std::move(element));
  }
  return true;
}

template <typename Element>
void Write(ByteWriter& out, const Element& e) {
  for (const auto& field : FieldsOf<Element>()) {
    switch (field.width) {
      case FieldWidth::kU8: out.U8(e.*field.u8); break;
      case FieldWidth::kU16: out.U16(e.*field.u16); break;
      case FieldWidth::kI16: out.I16(e.*field.i16); break;
    }
  }
}

void Write(ByteWriter& out, std::uint8_t e) { out.U8(e); }

void Write(ByteWriter& out, const std::vector<std::uint8_t>& program) {
  out.I16(static_cast<std::int16_t>(program.size()));
  out.Bytes(program);
}

std::array<std::size_t, kTableCount> TableSizes(const DefinitionRecord& r) {
  std::array<std::size_t, kTableCount> sizes{};
  ForEachTable(r, [&](const TableInfo& info, const auto& table) {
    sizes[static_cast<std::size_t>(info.table)] = table.size();
  });
  return sizes;
}

}  // namespace

DecodeResult DecodeRecord(std::span<const std::uint8_t> bytes) {
  DecodeResult result;
  ByteReader in(bytes);
  std::array<std::uint16_t, kRecordHeaderFieldCount> header{};
  for (auto& field : header) {
    if (!in.U16(field)) {
      result.error = "record shorter than its 42-byte header";
      return result;
    }
  }

  DefinitionRecord record;
  for (std::size_t f = 0; f < kHeaderFields.size(); ++f) kHeaderFields[f].Set(record, header[f]);

  auto name = ReadString(in);
  if (!name) {
    result.error = "name is not terminated";
    return result;
  }
  record.name = std::move(*name);
  if (!in.Bytes(record.extraCategories, header[kHeaderExtraCategoryCount])) {
    result.error = "extra categories run past the end of the record";
    return result;
  }
  auto rules = ReadString(in);
  if (!rules) {
    result.error = "rules text is not terminated";
    return result;
  }
  record.rulesText = std::move(*rules);

  const bool complete = ForEachTable(record, [&](const TableInfo& info, auto& table) {
    return ReadTable(in, header[kHeaderFirstTableCount + static_cast<std::size_t>(info.table)], table);
  });
  if (!complete) {
    // Name the first table that did not fit, so an author sees where it broke.
    const auto sizes = TableSizes(record);
    for (std::size_t t = 0; t < kTableCount; ++t) {
      if (sizes[t] < header[kHeaderFirstTableCount + t]) {
        result.error = "table of " + std::string(TableInfos()[t].name) + " runs past the end of the record";
        break;
      }
    }
    return result;
  }
  if (in.Remaining() != 0) {
    result.error = std::to_string(in.Remaining()) + " bytes follow the last table";
    return result;
  }
  result.record = std::move(record);
  return result;
}

std::optional<std::vector<std::uint8_t>> EncodeRecord(const DefinitionRecord& record, std::string* error) {
  auto fail = [&](std::string why) -> std::optional<std::vector<std::uint8_t>> {
    if (error) *error = std::move(why);
    return std::nullopt;
  };
  const auto sizes = TableSizes(record);
  constexpr std::size_t kMaxCount = std::numeric_limits<std::uint16_t>::max();
  for (std::size_t t = 0; t < kTableCount; ++t) {
    if (sizes[t] > kMaxCount) return fail("too many " + std::string(TableInfos()[t].name));
  }
  if (record.extraCategories.size() > kMaxCount) return fail("too many extra categories");
  for (const auto& program : record.programs) {
    if (program.size() > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max())) {
      return fail("a program is longer than 32767 bytes");
    }
  }
  if (record.name.find('\0') != std::string::npos) return fail("the name holds a zero byte");
  if (record.rulesText.find('\0') != std::string::npos) return fail("the rules text holds a zero byte");

  ByteWriter out;
  Write(out, record);
  out.U16(static_cast<std::uint16_t>(record.extraCategories.size()));
  for (std::size_t size : sizes) out.U16(static_cast<std::uint16_t>(size));
  out.String(record.name);
  out.Bytes(record.extraCategories);
  out.String(record.rulesText);
  ForEachTable(record, [&](const TableInfo&, const auto& table) {
    for (const auto& element : table) Write(out, element);
  });
  return out.Take();
}

}  // namespace cw
