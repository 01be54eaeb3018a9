#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "panel/control_panel.h"

// The page and the rules the micro-benchmarks work on. They mirror what bench/gen_site.py
// writes into the benchmark sites and their configuration, so that a micro-benchmark and a
// site benchmark measure the same kind of work.

namespace quelbo::bench {

inline constexpr std::u16string_view kPair1Find = u"http://www.old-example.com";
inline constexpr std::u16string_view kPair1Replace = u"https://www.example.org";
inline constexpr std::u16string_view kPair2Find = u"<script src=\"/js/old-stats.js\"></script>";
inline constexpr std::u16string_view kPair2Replace =
    u"<script src=\"/js/stats.js\" defer></script>";
inline constexpr std::u16string_view kPair3Find = u"Copyright 2019";
inline constexpr std::u16string_view kPair3Replace = u"Copyright 2024";
inline constexpr std::u16string_view kDeleteText =
    u"<meta name=\"generator\" content=\"OldSiteBuilder 3.2\">";
inline constexpr std::u16string_view kPair4Find = u"<ul class=\"nav-old\">";
inline constexpr std::u16string_view kPair4Replace = u"<ul class=\"nav\">";

// The length of the pages the micro-benchmarks work on, in UTF-16 code units: 1 Mi.
inline constexpr size_t kPageUnits = size_t{1} << 20;

// Which charset a sample page declares in its head.
enum class Declared { kUtf8, kGb2312 };

// A deterministic HTML page of at least `units` UTF-16 code units: a head with a charset
// declaration, then sections (a navigation list whose lines end "</li>" + LF, Chinese
// paragraphs, an advertisement block between markers, now and then a copyright notice) and a
// footer between markers. Every other line ends in CR LF. Every rule above occurs in it.
std::u16string SamplePage(size_t units, Declared charset = Declared::kUtf8, std::uint64_t seed = 1);

// A text of `units` copies of `unit`.
std::u16string Repeated(char16_t unit, size_t units);

// Puts the rules above, block sets 0, 1 and 2, and charset detection into the panel.
void ApplySiteRules(ControlPanel& panel);

}  // namespace quelbo::bench
