#pragma once

// Windows compares class, module, key and message names without regard to case.

#include <string>
#include <strings.h>

namespace portable {

struct CaseInsensitiveLess {
    bool operator()(const std::string& a, const std::string& b) const {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
    }
};

} // namespace portable
