#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelvor {

struct ForumNames {
    std::vector<std::string> added;
    int skipped = 0;  // names already queued, or repeated in the text
};

// A forum name per line (CR LF, LF or CR); names are trimmed of blanks, and blank lines and
// names already queued are skipped.
ForumNames SplitForumNames(std::string_view text, const std::vector<std::string>& queued = {});

}  // namespace zelvor
