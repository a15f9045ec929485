// Loading and saving the preferences file with KeyValueFile. The file always
// comes out as the same ten lines: a comment and three groups in fixed order.
#include "settings/preferences.h"

#include "core/algorithm.h"
#include "settings/key_value_file.h"
#include "system/debug_log.h"

namespace vandrel {
namespace {

constexpr auto kAlgorithmCount = static_cast<std::int32_t>(kAlgorithms.size());
constexpr auto kDigestSizeCount = static_cast<std::int32_t>(kDigestSizes.size());
const Settings kDefaults{};

std::int32_t WithinOrZero(std::int32_t value, std::int32_t count) {
  return value >= 0 && value < count ? value : 0;
}

}  // namespace

bool Preferences::load(const std::string& directory) {
  KeyValueFile file;
  if (!file.open(directory + kPreferencesFileName)) return false;
  file.selectGroup("Language");
  settings_.Language = file.readText("Language", kDefaults.Language);
  file.selectGroup("General");
  // A value from a hand-edited or damaged file must not name an algorithm or
  // a size the job cannot run.
  settings_.Fingerprint =
      WithinOrZero(file.readInteger("Fingerprint", kDefaults.Fingerprint), kAlgorithmCount);
  settings_.Bits = WithinOrZero(file.readInteger("Bits", kDefaults.Bits), kDigestSizeCount);
  file.selectGroup("Window");
  settings_.WindowWidth = file.readInteger("WindowWidth", kDefaults.WindowWidth);
  settings_.WindowHeight = file.readInteger("WindowHeight", kDefaults.WindowHeight);
  file.close();
  return true;
}

void Preferences::save(const std::string& directory) {
  KeyValueFile file;
  if (!file.create(directory + kPreferencesFileName)) {
    // The program ends without a word either way; only the log says why.
    DebugLog("preferences", "cannot create " + directory + kPreferencesFileName);
    return;
  }
  file.addComment("Vandrel Preferences");
  file.selectGroup("Language");
  file.writeText("Language", settings_.Language);
  file.selectGroup("General");
  file.writeInteger("Fingerprint", settings_.Fingerprint);
  file.writeInteger("Bits", settings_.Bits);
  file.selectGroup("Window");
  file.writeInteger("WindowWidth", settings_.WindowWidth);
  file.writeInteger("WindowHeight", settings_.WindowHeight);
  file.close();
}

}  // namespace vandrel
