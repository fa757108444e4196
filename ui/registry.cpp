#include "registry.h"

#include "sysinfo.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>

namespace {

// Registry key and value names compare without regard to case.
bool SameName(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

class HostRegistry : public Registry {
  public:
    explicit HostRegistry(std::function<std::optional<std::string>()> findTool)
        : findTool_(std::move(findTool)) {}

    long RegOpenKeyEx(RegKey root, const std::string& subKey, std::uint32_t, RegKey& key) override {
        if (root != kHKeyLocalMachine || !SameName(subKey, kSysInfoKey) || !findTool_) {
            return kErrorFileNotFound;
        }
        std::optional<std::string> tool = findTool_();
        if (!tool) {
            return kErrorFileNotFound;
        }
        key = nextHandle_++;
        open_[key] = std::move(*tool);
        return kErrorSuccess;
    }

    long RegQueryValueEx(RegKey key, const std::string& valueName, std::uint32_t& type,
                         std::uint8_t* data, std::uint32_t& size) override {
        const auto it = open_.find(key);
        if (it == open_.end()) {
            return kErrorInvalidHandle;
        }
        if (!SameName(valueName, kSysInfoValue)) {
            return kErrorFileNotFound;
        }
        // A text value carries its final NUL, as the desktop registry stores it.
        const std::string& text = it->second;
        const auto needed = static_cast<std::uint32_t>(text.size() + 1);
        if (needed > size) {
            size = needed;
            return kErrorMoreData;
        }
        std::memcpy(data, text.c_str(), needed);
        type = kRegSz;
        size = needed;
        return kErrorSuccess;
    }

    long RegCloseKey(RegKey key) override {
        return open_.erase(key) == 1 ? kErrorSuccess : kErrorInvalidHandle;
    }

  private:
    std::function<std::optional<std::string>()> findTool_;
    std::map<RegKey, std::string> open_; // open handle -> the tool path it names
    RegKey nextHandle_ = 1;
};

} // namespace

std::unique_ptr<Registry> MakeHostRegistry(std::function<std::optional<std::string>()> findTool) {
    return std::make_unique<HostRegistry>(std::move(findTool));
}
