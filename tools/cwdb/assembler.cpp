#include "tools/cwdb/assembler.h"

#include <utility>

#include "tools/cwdb/record_builder.h"
#include "tools/cwdb/source_preprocessor.h"

namespace cw {

AssembleResult AssembleSource(std::string_view text, const std::string& file,
                              const std::filesystem::path& includeDirectory) {
  AssembleResult result;
  try {
    TokenizeResult tokens = Tokenize(text, file);
    if (tokens.error) throw AssemblyFailure{*tokens.error};
    DefinitionRecord record = BuildRecord(PreprocessSource(tokens.tokens, includeDirectory));
    std::string error;
    auto bytes = EncodeRecord(record, &error);
    if (!bytes) {
      result.error = SourceError{file, 0, "the record cannot be encoded: " + error};
      return result;
    }
    result.bytes = std::move(*bytes);
    result.record = std::move(record);
  } catch (const AssemblyFailure& failure) {
    result.error = failure.error;
  }
  return result;
}

AssembleResult AssembleFile(const std::filesystem::path& path) {
  const auto text = ReadTextFile(path);
  if (!text) {
    AssembleResult result;
    result.error = SourceError{path.string(), 0, "cannot read the file"};
    return result;
  }
  return AssembleSource(*text, path.string(), path.parent_path());
}

}  // namespace cw
