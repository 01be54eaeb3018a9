#pragma once

#include "panel/control.h"

// The persisted settings by their field names: each is the control that holds it, so there is
// never a second copy of a setting.

namespace quelbo::field {

inline constexpr Control pair1Find = Control::Text1;
inline constexpr Control pair1Replace = Control::Text10;
inline constexpr Control pair2Find = Control::Text2;
inline constexpr Control pair2Replace = Control::Text3;
inline constexpr Control pair3Find = Control::Text14;
inline constexpr Control pair3Replace = Control::Text17;
inline constexpr Control deleteText = Control::Text13;
inline constexpr Control pair4Find = Control::Text18;
inline constexpr Control pair4Replace = Control::Text19;

inline constexpr Control block0Enabled = Control::Check1;
inline constexpr Control block0Start = Control::Text4;
inline constexpr Control block0End = Control::Text5;
inline constexpr Control block0Replace = Control::Text6;
inline constexpr Control moreBlocksEnabled = Control::Check6;
inline constexpr Control block1Start = Control::Text11;
inline constexpr Control block1End = Control::Text15;
inline constexpr Control block1Replace = Control::Text16;
inline constexpr Control block2Start = Control::Text20;
inline constexpr Control block2End = Control::Text21;
inline constexpr Control block2Replace = Control::Text22;

inline constexpr Control includeSubdirs = Control::Check3;
inline constexpr Control excludedDirs = Control::Text9;
inline constexpr Control readUtf8 = Control::Check2;
inline constexpr Control writeUtf8 = Control::Check4;
inline constexpr Control autoDetectCharset = Control::Check5;

}  // namespace quelbo::field

namespace quelbo {

// Run state kept in panel fields.
inline constexpr Control kPendingPages = Control::RichTextBox2;
inline constexpr Control kDirectoryQueue = Control::Text7;
inline constexpr Control kCurrentDirectory = Control::Text8;
inline constexpr Control kCollectedFiles = Control::list;
inline constexpr Control kCurrentPage = Control::url;
inline constexpr Control kSkippedPages = Control::skippedPages;
inline constexpr Control kStatusLine = Control::Label1;
inline constexpr Control kEntryLine = Control::Label2;

}  // namespace quelbo
