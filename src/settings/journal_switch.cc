#include "settings/journal_switch.h"

namespace quelbo {

bool JournalOn(const ConfigStore& store) { return store.ReadKey(kJournalOffKey, u"0") != u"1"; }

Status SetJournalOn(const ConfigStore& store, bool on) {
  return on ? store.RemoveKey(kJournalOffKey) : store.WriteKey(kJournalOffKey, u"1");
}

std::string RunsDirectory(const ConfigStore& store) { return store.directory() + "runs/"; }

}  // namespace quelbo
