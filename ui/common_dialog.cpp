#include "common_dialog.h"

#include "services.h"

void CommonDialog::SetFileName(const std::string& name) {
    fileName_ = name;
    fileTitle_.clear();
}

void CommonDialog::ShowOpen() {
    const auto chosen = files_.GetOpenFileName(Filter, lastFolder_);
    if (!chosen) {
        if (CancelError) {
            throw DialogCancelled();
        }
        return;
    }
    Choose(*chosen);
}

void CommonDialog::Choose(const std::string& path) {
    fileName_ = path;
    const auto slash = fileName_.find_last_of('/');
    fileTitle_ = slash == std::string::npos ? fileName_ : fileName_.substr(slash + 1);
    if (slash != std::string::npos) {
        lastFolder_ = fileName_.substr(0, slash == 0 ? 1 : slash);
    }
}
