#pragma once

#include <expected>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/texts.h"

namespace quelbo {

// What both programs take on their command line: options, and at most one site folder.
struct CommandLine {
  bool help = false;
  bool version = false;
  bool trace = false;                      // quelbo-batch only
  std::optional<std::string> site_folder;  // as typed; absent: the program's own folder
};

// The options a program accepts besides --help (-h) and --version.
struct CommandLineOptions {
  bool trace = false;
};

// Parses the arguments after the program's name. --help and --version are answered whatever
// else the line holds, so that they work even next to options another layer takes (Qt's).
// "--" ends the options. A message naming the fault when an option is unknown or a second
// folder is given, in the language of `texts`.
std::expected<CommandLine, std::string> ParseCommandLine(
    std::span<const std::string_view> args, CommandLineOptions accepted,
    const Texts& texts = TextsIn(Language::kEnglish));

// The same from main()'s arguments.
std::expected<CommandLine, std::string> ParseCommandLine(
    int argc, const char* const* argv, CommandLineOptions accepted,
    const Texts& texts = TextsIn(Language::kEnglish));

// "<program> <version>", the line --version prints.
std::string VersionLine(std::string_view program);

}  // namespace quelbo
