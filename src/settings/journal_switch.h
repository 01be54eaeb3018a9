#pragma once

#include "settings/config_store.h"

namespace quelbo {

// The switch that turns the run journal off: a key after the 14 keys of the INI file, present
// only while the journal is off, so a file of a user who never turns it off stays as it was.
inline constexpr std::u16string_view kJournalOffKey = u"不记录撤销";

bool JournalOn(const ConfigStore& store);
// Writes the key when turning the journal off, removes it when turning it on.
Status SetJournalOn(const ConfigStore& store, bool on);

// The folder of the run journal: "runs/" in the configuration directory.
std::string RunsDirectory(const ConfigStore& store);

}  // namespace quelbo
