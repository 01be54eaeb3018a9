#include "run/command_line.h"

#include <vector>

namespace quelbo {

std::expected<CommandLine, std::string> ParseCommandLine(std::span<const std::string_view> args,
                                                         CommandLineOptions accepted,
                                                         const Texts& texts) {
  CommandLine line;
  std::string fault;
  bool options_ended = false;
  for (const std::string_view arg : args) {
    const bool is_option = !options_ended && arg.size() > 1 && arg.front() == '-';
    if (!options_ended && arg == "--") {
      options_ended = true;
    } else if (is_option && (arg == "--help" || arg == "-h")) {
      line.help = true;
    } else if (is_option && arg == "--version") {
      line.version = true;
    } else if (is_option && accepted.trace && arg == "--trace") {
      line.trace = true;
    } else if (is_option) {
      if (fault.empty()) fault = Filled(texts.unknown_option, {arg});
    } else if (line.site_folder) {
      if (fault.empty()) fault = Filled(texts.second_site_folder, {arg});
    } else {
      line.site_folder = std::string(arg);
    }
  }
  if (!fault.empty() && !line.help && !line.version) return std::unexpected(fault);
  return line;
}

std::expected<CommandLine, std::string> ParseCommandLine(int argc, const char* const* argv,
                                                         CommandLineOptions accepted,
                                                         const Texts& texts) {
  std::vector<std::string_view> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  return ParseCommandLine(args, accepted, texts);
}

std::string VersionLine(std::string_view program) {
  return std::string(program) + " " + QUELBO_VERSION;
}

}  // namespace quelbo
