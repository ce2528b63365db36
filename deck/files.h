#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace pelmo::deck {

// Decks are small (a million cards take some 40 MB); anything larger is refused whole, so that
// a stray huge file cannot exhaust memory.
inline constexpr size_t kMaxInputBytes = size_t{64} << 20;

// Reads a whole file. False with a one-line reason ("no such file", "a directory, not a file",
// "cannot read: Permission denied", "too large: ...") when it cannot.
// `limit` is the size past which a file is refused.
bool ReadInputFile(const std::string& path, std::string& bytes, std::string& error,
                   size_t limit = kMaxInputBytes);

// Why bytes are no text at all: UTF-16 (by its byte-order mark) or binary (a NUL byte), with
// where it shows. Empty for text.
std::string DescribeNonText(std::string_view bytes);

// The same for a deck, of which only what pelmo reads counts: the text before the first 0x1A.
std::string DescribeNonDeck(std::string_view bytes);

// Writes a temporary file beside `path` and then puts it in its place, so `path` ends up either
// complete or as it was. `verify`, when given, reads the temporary file first and may refuse it
// with a reason. Only a plain file is ever replaced: a directory, a device, a pipe or a socket is
// refused, and so is a symbolic link (on every system, so that no link is ever silently replaced
// by a file). So is a file the user could not open for writing, and one marked read-only (no
// write permission for anyone, or the read-only attribute), even for root, who could. A replaced
// file's permissions and, where the user may keep them, its owner and group are kept, and no one
// else may read the new file before it has them. False with a one-line reason.
using VerifyFile = std::function<bool(const std::string& path, std::string& error)>;
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string& error,
                         const VerifyFile& verify = {});

// Why WriteFileAtomically would refuse to replace what stands at `path`; empty when it would
// not. Commands ask first, so that they refuse before doing their work.
std::string WhyNotReplaced(const std::string& path);

}  // namespace pelmo::deck
