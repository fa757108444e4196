#include "view_state_rules.h"

#include "base/numbers.h"

std::int32_t TransformSize(std::int32_t a) {
    if (a <= 32) {
        return 32;
    }
    for (int n = 15; n >= 5; --n) {
        const std::int32_t b = std::int32_t{1} << n;
        if (b < a) {
            return b;
        }
    }
    return 32;
}

std::string TransformSizeText(const std::string& selPointsText) {
    if (selPointsText.empty()) {
        return {};
    }
    return num::IntText(TransformSize(num::CLng(num::ParseNumber(selPointsText))));
}

std::string FileNameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
