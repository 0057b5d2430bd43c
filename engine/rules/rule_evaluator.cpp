#include "engine/rules/rule_evaluator.h"

#include <array>
#include <utility>

#include "engine/rules/instruction_set.h"

namespace cw {
namespace {

// Work an evaluation may do before it is taken for an endless loop: one unit
// per instruction executed, per instruction or byte a skip or a LOOP scan
// passes over, and per entry SINK, RAISE, SAVEFRAME and LOAD move. The
// shipped programs stay far below it (at most about 3,100 units in play).
constexpr std::size_t kStepBudget = 100'000;

constexpr std::size_t kVariableCount = 2;

std::int16_t Wrap(std::int32_t value) { return static_cast<std::int16_t>(value); }

// Values read from a list are cut to 16 bits.
std::int16_t Wrap(std::uint32_t value) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
}

// A list as the evaluator walks it: a cursor that stops at the end entry.
// An empty vector reads as a list holding only the end entry.
struct ListCursor {
  const CardList* list = nullptr;
  std::size_t position = 0;

  std::size_t EndPosition() const { return list->empty() ? 0 : list->size() - 1; }
  CardListEntry Current() const { return list->empty() ? CardListEntry{} : (*list)[position]; }
};

struct Variable {
  std::array<std::int16_t, kEvaluatorVariableSize> entries{};
  std::size_t length = 0;
};

enum class Status { kRunning, kEnded, kFailed };

// Where a forward skip stopped.
enum class SkipEnd { kFound, kProgramEnd, kRanOff };

class Evaluation {
 public:
  Evaluation(std::span<const std::uint8_t> program, const CardList& listA, const CardList* listB)
      : program_(program), end_(program.size()) {
    // The zero byte loading appends is no part of the program's own bytes: a
    // PUSH running into it is cut off.
    if (end_ > 0 && program_[end_ - 1] == 0) --end_;
    lists_[0].list = &listA;
    lists_[1].list = listB;
  }

  bool Run();

 private:
  // Bytes beyond the program read as the zero byte that ends it.
  std::uint8_t ByteAt(std::size_t at) const { return at < end_ ? program_[at] : 0; }
  bool Spend(std::size_t units = 1);

  bool Push(std::int16_t value);
  bool Pop(std::int16_t& value);
  bool HasEntries(std::size_t count) const { return size_ >= count; }
  std::int16_t& Top() { return stack_[size_ - 1]; }
  std::int16_t& Second() { return stack_[size_ - 2]; }
  bool PopVariable(Variable*& variable);

  bool Arithmetic(Opcode opcode);
  bool Sink();
  bool Raise();
  bool Save2();
  bool SaveFrame();
  bool Load();
  ListCursor* CurrentList();
  bool PushFromList(bool rank);
  bool Next();

  // Scans. Each answers where execution goes on, or why it cannot.
  SkipEnd NextInstruction(std::size_t& at);
  SkipEnd SkipIf(std::size_t& at);
  SkipEnd SkipElse(std::size_t& at);
  SkipEnd SkipBreak(std::size_t& at);
  SkipEnd SkipLeave(std::size_t& at);
  bool ScanBackToDo(std::size_t& at);

  Status Step();
  bool Result() const { return size_ > 0 && stack_[size_ - 1] == 0; }

  std::span<const std::uint8_t> program_;
  std::size_t end_ = 0;
  std::size_t pc_ = 0;
  std::size_t spent_ = 0;
  std::array<std::int16_t, kEvaluatorStackSize> stack_{};
  std::size_t size_ = 0;
  std::array<Variable, kVariableCount> variables_{};
  std::array<ListCursor, 2> lists_{};
  std::size_t current_ = 0;
};

bool Evaluation::Spend(std::size_t units) {
  spent_ += units;
  return spent_ <= kStepBudget;
}

bool Evaluation::Push(std::int16_t value) {
  if (size_ >= kEvaluatorStackSize) return false;
  stack_[size_++] = value;
  return true;
}

bool Evaluation::Pop(std::int16_t& value) {
  if (size_ == 0) return false;
  value = stack_[--size_];
  return true;
}

bool Evaluation::PopVariable(Variable*& variable) {
  std::int16_t number = 0;
  if (!Pop(number) || number < 0 || static_cast<std::size_t>(number) >= kVariableCount) {
    return false;
  }
  variable = &variables_[static_cast<std::size_t>(number)];
  return true;
}

// ADD, SUB, MUL and DIV leave a stack of fewer than two entries alone.
// Answers false on a division by zero.
bool Evaluation::Arithmetic(Opcode opcode) {
  if (!HasEntries(2)) return true;
  const std::int32_t top = Top();
  const std::int32_t second = Second();
  std::int32_t result = 0;
  switch (opcode) {
    case Opcode::kAdd: result = second + top; break;
    case Opcode::kSub: result = second - top; break;
    case Opcode::kMul: result = second * top; break;
    default:
      if (top == 0) return false;
      result = second / top;
      break;
  }
  --size_;
  Top() = Wrap(result);
  return true;
}

bool Evaluation::Sink() {
  if (!HasEntries(1) || !Spend(size_)) return false;
  const std::int16_t top = Top();
  for (std::size_t i = size_ - 1; i > 0; --i) stack_[i] = stack_[i - 1];
  stack_[0] = top;
  return true;
}

bool Evaluation::Raise() {
  if (!HasEntries(1) || !Spend(size_)) return false;
  const std::int16_t bottom = stack_[0];
  for (std::size_t i = 0; i + 1 < size_; ++i) stack_[i] = stack_[i + 1];
  Top() = bottom;
  return true;
}

bool Evaluation::Save2() {
  Variable* variable = nullptr;
  if (!PopVariable(variable) || !HasEntries(2)) return false;
  variable->entries[0] = Top();
  variable->entries[1] = Second();
  variable->length = 2;
  return true;
}

// Saves the frame from the 0 on top down to the next 0 below it, both zeros
// included, top first.
bool Evaluation::SaveFrame() {
  Variable* variable = nullptr;
  if (!PopVariable(variable) || !HasEntries(1)) return false;
  if (Top() != 0) return true;
  std::size_t length = 1;
  bool closed = false;
  while (!closed) {
    if (length >= size_ || length >= kEvaluatorVariableSize) return false;
    closed = stack_[size_ - 1 - length] == 0;
    ++length;
  }
  if (!Spend(length)) return false;
  for (std::size_t i = 0; i < length; ++i) variable->entries[i] = stack_[size_ - 1 - i];
  variable->length = length;
  return true;
}

// The first saved entry ends on top, so the frame reads as it did when saved.
bool Evaluation::Load() {
  Variable* variable = nullptr;
  if (!PopVariable(variable) || !Spend(variable->length)) return false;
  for (std::size_t i = variable->length; i > 0; --i) {
    if (!Push(variable->entries[i - 1])) return false;
  }
  return true;
}

// None when the current list is B and no list B was given.
ListCursor* Evaluation::CurrentList() {
  ListCursor& cursor = lists_[current_];
  return cursor.list != nullptr ? &cursor : nullptr;
}

bool Evaluation::PushFromList(bool rank) {
  const ListCursor* cursor = CurrentList();
  if (cursor == nullptr) return false;
  const CardListEntry entry = cursor->Current();
  return Push(Wrap(rank ? entry.rank : entry.suit));
}

bool Evaluation::Next() {
  ListCursor* cursor = CurrentList();
  if (cursor == nullptr || cursor->position >= cursor->EndPosition()) return false;
  ++cursor->position;
  return true;
}

// Steps `at` over the instruction there; a PUSH cut off by the end of the
// program has no next instruction.
SkipEnd Evaluation::NextInstruction(std::size_t& at) {
  if (!Spend()) return SkipEnd::kRanOff;
  if (ByteAt(at) != static_cast<std::uint8_t>(Opcode::kPush)) {
    ++at;
    return SkipEnd::kFound;
  }
  if (at + kPushLength > end_) return SkipEnd::kRanOff;
  at += kPushLength;
  return SkipEnd::kFound;
}

// From the instruction after an IF whose value was not 0: on after the
// ELSE of this IF, or after its ENDIF. Reaching the program's end ends it.
SkipEnd Evaluation::SkipIf(std::size_t& at) {
  std::size_t depth = 1;
  while (true) {
    const std::uint8_t byte = ByteAt(at);
    if (byte == 0) return SkipEnd::kProgramEnd;
    if (NextInstruction(at) == SkipEnd::kRanOff) return SkipEnd::kRanOff;
    if (byte == static_cast<std::uint8_t>(Opcode::kIf)) {
      ++depth;
    } else if (byte == static_cast<std::uint8_t>(Opcode::kElse) && depth == 1) {
      return SkipEnd::kFound;
    } else if (byte == static_cast<std::uint8_t>(Opcode::kEndIf) && --depth == 0) {
      return SkipEnd::kFound;
    }
  }
}

// From the instruction after an ELSE: on after the matching ENDIF.
SkipEnd Evaluation::SkipElse(std::size_t& at) {
  std::size_t depth = 1;
  while (true) {
    const std::uint8_t byte = ByteAt(at);
    if (byte == 0) return SkipEnd::kRanOff;
    if (NextInstruction(at) == SkipEnd::kRanOff) return SkipEnd::kRanOff;
    if (byte == static_cast<std::uint8_t>(Opcode::kIf)) {
      ++depth;
    } else if (byte == static_cast<std::uint8_t>(Opcode::kEndIf) && --depth == 0) {
      return SkipEnd::kFound;
    }
  }
}

// From the instruction after a BREAK: on after the LOOP closing the loop.
SkipEnd Evaluation::SkipBreak(std::size_t& at) {
  std::size_t depth = 1;
  while (true) {
    const std::uint8_t byte = ByteAt(at);
    if (byte == 0) return SkipEnd::kRanOff;
    if (NextInstruction(at) == SkipEnd::kRanOff) return SkipEnd::kRanOff;
    if (byte == static_cast<std::uint8_t>(Opcode::kDo)) {
      ++depth;
    } else if (byte == static_cast<std::uint8_t>(Opcode::kLoop) && --depth == 0) {
      return SkipEnd::kFound;
    }
  }
}

// From the instruction after a LEAVE: on after the next END. A BEGIN or the
// program's end met first ends the program. Blocks do not nest.
SkipEnd Evaluation::SkipLeave(std::size_t& at) {
  while (true) {
    const std::uint8_t byte = ByteAt(at);
    if (byte == 0 || byte == static_cast<std::uint8_t>(Opcode::kBegin)) {
      return SkipEnd::kProgramEnd;
    }
    if (NextInstruction(at) == SkipEnd::kRanOff) return SkipEnd::kRanOff;
    if (byte == static_cast<std::uint8_t>(Opcode::kEnd)) return SkipEnd::kFound;
  }
}

// From a LOOP at `at` back to its DO, byte by byte. A byte of value 1 is the
// marker closing a PUSH, so the scan steps over the PUSH's value byte: a
// pushed 4 or 5 is never taken for DO or LOOP. Answers false when the scan
// runs off the start of the program.
bool Evaluation::ScanBackToDo(std::size_t& at) {
  std::size_t depth = 1;
  while (at > 0) {
    if (!Spend()) return false;
    --at;
    const std::uint8_t byte = program_[at];
    if (byte == kPushMarker && at > 0) {
      if (at < kPushLength - 1) return false;
      at -= kPushLength - 1;
    } else if (byte == static_cast<std::uint8_t>(Opcode::kLoop)) {
      ++depth;
    } else if (byte == static_cast<std::uint8_t>(Opcode::kDo) && --depth == 0) {
      ++at;
      return true;
    }
  }
  return false;
}

Status Evaluation::Step() {
  if (!Spend()) return Status::kFailed;
  const std::uint8_t byte = ByteAt(pc_);
  if (byte == 0) return Status::kEnded;
  const InstructionInfo* instruction = FindInstruction(byte);
  std::size_t next = pc_ + 1;
  bool ok = true;
  SkipEnd skip = SkipEnd::kFound;
  std::int16_t value = 0;
  if (instruction != nullptr) {
    switch (instruction->opcode) {
      case Opcode::kPush:
        ok = pc_ + kPushLength <= end_ && Push(program_[pc_ + 1]);
        next = pc_ + kPushLength;
        break;
      case Opcode::kBegin:
      case Opcode::kEnd:
      case Opcode::kDo:
      case Opcode::kEndIf: break;
      case Opcode::kLoop: next = pc_; ok = ScanBackToDo(next); break;
      case Opcode::kAdd:
      case Opcode::kSub:
      case Opcode::kMul:
      case Opcode::kDiv:
        ok = Arithmetic(instruction->opcode);
        break;
      case Opcode::kAbs:
        ok = HasEntries(1);
        if (ok) Top() = Wrap(Top() < 0 ? -std::int32_t{Top()} : std::int32_t{Top()});
        break;
      case Opcode::kDup: ok = HasEntries(1) && Push(Top()); break;
      case Opcode::kParity:
        ok = HasEntries(1);
        if (ok) Top() = Wrap(std::int32_t{Top()} % 2);
        break;
      case Opcode::kDrop: ok = Pop(value); break;
      case Opcode::kSink: ok = Sink(); break;
      case Opcode::kRaise: ok = Raise(); break;
      case Opcode::kSwap:
        if (HasEntries(2)) std::swap(Top(), Second());
        break;
      case Opcode::kSave2: ok = Save2(); break;
      case Opcode::kSaveFrame: ok = SaveFrame(); break;
      case Opcode::kBreak: skip = SkipBreak(next); break;
      case Opcode::kElse: skip = SkipElse(next); break;
      case Opcode::kIf:
        ok = Pop(value);
        if (ok && value != 0) skip = SkipIf(next);
        break;
      case Opcode::kNext: ok = Next(); break;
      case Opcode::kLoad: ok = Load(); break;
      case Opcode::kRank: ok = PushFromList(true); break;
      case Opcode::kReset:
        lists_[current_].position = 0;
        break;
      case Opcode::kLeave: skip = SkipLeave(next); break;
      case Opcode::kSuit: ok = PushFromList(false); break;
      case Opcode::kOther: current_ = 1 - current_; break;
    }
  }
  if (!ok || skip == SkipEnd::kRanOff) return Status::kFailed;
  if (skip == SkipEnd::kProgramEnd) return Status::kEnded;
  pc_ = next;
  return Status::kRunning;
}

bool Evaluation::Run() {
  Status status = Status::kRunning;
  while (status == Status::kRunning) status = Step();
  return status == Status::kEnded && Result();
}

}  // namespace

bool EvaluateRule(std::span<const std::uint8_t> program, const CardList& listA,
                  const CardList* listB) {
  Evaluation evaluation(program, listA, listB);
  return evaluation.Run();
}

}  // namespace cw
