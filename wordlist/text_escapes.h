#pragma once

#include <string>
#include <string_view>

namespace pelmo {

// Replaces every occurrence of `pattern`, byte by byte, resuming the search at the start of each
// inserted replacement, so a replacement that forms a new occurrence with the bytes after it is
// replaced again. Linear in the text for a fixed pattern. The pair must be one for which that
// ends (every pair the program uses does): "a" by "aa" would never finish.
std::string ReplaceAll(std::string_view text, std::string_view pattern,
                       std::string_view replacement);

// The meaning's escapes: backslash-n becomes CR LF, then a run of backslashes becomes one.
std::string ResolveMeaningEscapes(std::string_view meaning);

}  // namespace pelmo
