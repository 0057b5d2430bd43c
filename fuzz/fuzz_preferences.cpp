// Arbitrary bytes as the stored values of the prefs key: the preferences must
// load, never crash or read past a value, whatever was stored.
//
// Input, for each value in the order the preferences are stored: one control
// byte (bits 0-1: type None, Binary, Dword or a foreign type 7; bit 2: the
// value is missing), one length byte, then that many bytes of the value (fewer
// when the input ends first).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "engine/database/catalogue.h"
#include "platform/registry/registry.h"
#include "shell/preferences.h"

namespace {

constexpr QStringView kTitle = u"TW Tarrow";
constexpr QStringView kValueNames[] = {
    u"timedGame",      u"timeLimit",  u"animation",  u"playMode",    u"bgColor",
    u"softkeyMenu",    u"cardBack",   u"showTimer",  u"curSolId",    u"curGameNumber",
    u"lastEnteredName", u"lastPlayed", u"filterCat", u"filterSkill", u"filterTime",
    u"filterLetter",   u"filterFav",  u"favNum",     u"favList",
};
constexpr cw::RegType kTypes[] = {cw::RegType::None, cw::RegType::Binary, cw::RegType::Dword,
                                  static_cast<cw::RegType>(7)};
constexpr std::uint8_t kMissing = 0x04;

// Every registry write is a synced transaction; on a memory file system the
// sync costs nothing, which makes the target several times faster.
QString ScratchDirectory() {
  const QFileInfo memory(QStringLiteral("/dev/shm"));
  return memory.isDir() && memory.isWritable() ? memory.filePath() : QDir::tempPath();
}

cw::Registry& FuzzRegistry() {
  static QTemporaryDir directory(ScratchDirectory() + QStringLiteral("/cardwright-fuzz-XXXXXX"));
  static cw::Registry registry(directory.filePath(QStringLiteral("registry.sqlite3")));
  return registry;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  cw::Registry& registry = FuzzRegistry();
  if (!registry.IsOpen()) std::abort();
  const QString prefsPath = cw::ApplicationKey(kTitle) + QStringLiteral("\\prefs");
  registry.DeleteKey(prefsPath);
  cw::RegistryKey key;
  if (registry.CreateKey(prefsPath, cw::kAppDataClass, &key, nullptr) != cw::RegStatus::Success) {
    std::abort();
  }

  std::span<const std::uint8_t> input(data, size);
  for (QStringView name : kValueNames) {
    if (input.size() < 2) break;
    const std::uint8_t control = input[0];
    const std::size_t length = std::min<std::size_t>(input[1], input.size() - 2);
    const auto bytes = input.subspan(2, length);
    input = input.subspan(2 + length);
    if (control & kMissing) continue;
    registry.SetValue(key, name, kTypes[control & 0x03], bytes);
  }

  const cw::Preferences preferences = cw::LoadPreferences(registry, kTitle);
  if (preferences.favList.empty() || preferences.favList.size() > cw::kCatalogueSize) {
    std::abort();
  }
  if (preferences.lastEnteredName.back() != u'\0') std::abort();
  return 0;
}
