// The script text as the tool writes it into a package: lines ended by CR LF
// (the last too), with each group's TOTALSIZE set to the size of its files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mksetup {

// Splits at CR LF, CR or LF; a final line end does not make an empty line.
std::vector<std::string> SplitLines(const std::string &Text);
std::string JoinLines(const std::vector<std::string> &Lines);

// Replaces the TOTALSIZE lines of the k-th [Group] block of the root's
// [Groups] section by one line "TOTALSIZE=Totals[k]" right after the block's
// header, for every k that Totals covers. Blocks are followed the way the
// script loader follows them: a bracketed line opens one, "[End]" closes
// it, "//" lines are empty. Returns the number of [Group] blocks found.
size_t SetGroupTotals(std::vector<std::string> &Lines, const std::vector<int32_t> &Totals);

} // namespace mksetup
