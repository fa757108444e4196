#include "common_dialog.h"

#include "services.h"

void CommonDialog::SetFileName(const std::string& name) {
    fileName_ = name;
    fileTitle_.clear();
}

void CommonDialog::ShowOpen() {
    const auto chosen = files_.GetOpenFileName(Filter);
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
}
