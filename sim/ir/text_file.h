#pragma once
// Reading a remote definition or a raw signal from disk: regular files only, of bounded
// size, as text the parsers can take.

#include <cstddef>
#include <string>

namespace ovalink::sim {

// Real lircd.conf files are a few kilobytes; a file this large is not one.
constexpr std::size_t kMaxTextFileBytes = 8u << 20;

// The whole file as text. A UTF-8 byte-order mark is dropped, as text editors write one.
// Throws ParseError (without a line, or with the line of a NUL byte) for anything else: no
// file, a folder, a device or FIFO (never opened, so never waited on), a file over
// kMaxTextFileBytes (refused before it is read), a read error, UTF-16 text, NUL bytes.
std::string ReadTextFile(const std::string& path);

}  // namespace ovalink::sim
