// The text rules and value codecs of the setup script: how booleans,
// numbers, colours, styles, alignments, hexadecimal texts, field records
// and registry paths are written in it.
#pragma once

#include <cstdint>
#include <string>

#include "package/SetupModel.h"
#include "platform/Platform.h"

namespace package {

// Removes the characters of code 32 and below from both ends.
std::string TrimText(const std::string &Text);
// Upper-cases a..z only; every other byte stays.
std::string UpperCaseText(const std::string &Text);
bool SameText(const std::string &A, const std::string &B);

// True exactly when the value is "1".
bool ParseBool(const std::string &Value);
// Leading blanks, an optional sign, then decimal digits, or hexadecimal ones
// after "$", "x", "X", "0x" or "0X". Anything else, an empty text or a
// number outside the signed 32-bit range gives Default.
int32_t ParseInt(const std::string &Value, int32_t Default);

// "#RRGGBB" (the "#" optional); missing or bad pairs give 0.
TColor ParseColor(const std::string &Text);
// FontBold etc. for each style name found anywhere in the text.
uint8_t ParseFontStyle(const std::string &Text);
// Image groups: LEFT/TOP 0, CENTER 1, RIGHT/BOTTOM 2.
uint8_t ParseAlignment(const std::string &Text);
// "TOP LEFT" 0 .. "BOTTOM RIGHT" 8.
uint8_t ParseBGAlignment(const std::string &Text);
// NORMAL 0, TILE 1, STRETCH 2.
uint8_t ParseBGDisplay(const std::string &Text);
// TARGET OS: the Os* bit of each system named anywhere in the value.
uint8_t ParseTargetOS(const std::string &Text);
// Two hexadecimal digits (capitals only) per character; blanks dropped.
std::string DecodeHexText(const std::string &Text);
// The authoring tool's side of DecodeHexText.
std::string EncodeHexText(const std::string &Text);

// Field records: fields each followed by '\x01', addressed from 1.
void SetFieldText(std::string &Record, uint8_t Index, const std::string &Value);
std::string GetFieldText(const std::string &Record, uint8_t Index);

// Reads the string value a full registry path names ("HKLM\Software\X\Value";
// a trailing "\" names the key's default value). Empty when the key or the
// value is missing or not a string.
std::string ReadRegistryPath(platform::Registry &Reg, const std::string &Path);

} // namespace package
