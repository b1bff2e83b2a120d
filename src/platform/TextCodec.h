#pragma once
// GBK (code page 936) text at the program's boundary. Inside the program every std::string is
// UTF-8; files, module interfaces and LED texts are GBK and convert here and nowhere else.

#include <cstddef>
#include <string>
#include <string_view>

namespace kova {

// UTF-8 to GBK; a character GBK cannot hold becomes "?", invalid UTF-8 bytes become "?" too.
std::string utf8ToGbk(std::string_view utf8);

// GBK to UTF-8. A lead byte 0x81-0xFE followed by a trail byte 0x40-0xFE (not 0x7F) is always
// one character, an unassigned pair reading as U+FFFD; 0x80 is the euro sign as in code page 936;
// any other undecodable byte reads as U+FFFD.
std::string gbkToUtf8(std::string_view gbk);

// True when every character of the UTF-8 text has a GBK form (and the text is valid UTF-8).
bool isGbkEncodable(std::string_view utf8);

// Bytes the UTF-8 text takes in GBK; a character without a GBK form counts as one byte.
std::size_t gbkLength(std::string_view utf8);

// The longest prefix of the UTF-8 text whose GBK form has at most maxBytes bytes; never splits a
// character.
std::string_view cutToGbkBytes(std::string_view utf8, std::size_t maxBytes);

// Cuts raw GBK bytes to at most maxBytes without splitting a double-byte character.
std::string_view cutGbkBytes(std::string_view gbk, std::size_t maxBytes);

// Length in bytes of the GBK character that starts at gbk[pos] (1 or 2).
std::size_t gbkCharLength(std::string_view gbk, std::size_t pos);

// Compares without regard to the case of single-byte ASCII letters only. On UTF-8 text every
// byte of a non-ASCII character is 0x80 or above, so nothing but ASCII letters is ever folded.
bool equalsIgnoreAsciiCase(std::string_view a, std::string_view b);

// ASCII letters folded to lower case; every other byte unchanged.
std::string asciiLower(std::string_view text);

}  // namespace kova
