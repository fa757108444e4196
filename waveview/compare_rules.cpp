#include "compare_rules.h"

#include "base/numbers.h"

std::int32_t CompareNoteMs(const std::string& selTime) {
    const double seconds =
        selTime.empty() ? kCompareNoteDefaultMs / 1000.0 : num::ParseNumber(selTime);
    if (seconds > kCompareNoteMaxMs / 1000.0 || seconds < kCompareNoteMinMs / 1000.0) {
        return kCompareNoteMaxMs;
    }
    return num::CLng(seconds * 1000);
}
