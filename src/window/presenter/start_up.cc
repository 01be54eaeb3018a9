#include "window/presenter/start_up.h"

#include "base/text_codec.h"
#include "base/texts.h"
#include "platform/site_places.h"
#include "run/command_line.h"
#include "run/site_folder.h"
#include "window/presenter/window_texts.h"

namespace quelbo {
namespace {

constexpr int kExitBadCommandLine = 2;

}  // namespace

StartUp PlanStartUp(FileSystem& fs, int argc, const char* const* argv, const char* name,
                    const std::string& usage) {
  const std::string prefix = std::string(name) + ": ";
  const auto line = ParseCommandLine(argc, argv, CommandLineOptions{});
  if (!line) {
    return {
        StartUp::Kind::kRefuse, kExitBadCommandLine, prefix + line.error() + "\n" + usage, {}, {}};
  }
  if (line->help) return {StartUp::Kind::kAnswer, 0, usage, {}, {}};
  if (line->version) return {StartUp::Kind::kAnswer, 0, VersionLine(name) + "\n", {}, {}};
  auto folder = SiteFolderFor(fs, line->site_folder);
  if (!folder) {
    std::u16string message;
    if (line->site_folder)
      message = FromUtf8(Filled(kWindowTexts.site_folder_missing, {*line->site_folder}));
    return {StartUp::Kind::kRefuse,
            kExitBadCommandLine,
            prefix + folder.error().Message() + "\n",
            std::move(message),
            {}};
  }
  // A copy dropped into a site folder works there; one installed with the programs asks.
  if (!folder->given && !IsPlaceForPages(folder->path)) return {StartUp::Kind::kAsk, 0, {}, {}, {}};
  return {StartUp::Kind::kOpen, 0, {}, {}, std::move(folder->path)};
}

}  // namespace quelbo
