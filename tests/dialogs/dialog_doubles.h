// Test doubles for the About box's platform pieces: a registry held in memory and a launcher
// that records what it was asked to start.
#pragma once

#include "dialogs/about_box.h"
#include "tests/support/doubles.h"

#include "ui/registry.h"
#include "ui/sysinfo.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

// A registry of keys and values in memory that behaves like the desktop one: a value larger
// than the caller's buffer gives kErrorMoreData, and every call is counted.
class FakeRegistry : public Registry {
  public:
    void Set(RegKey root, const std::string& key, const std::string& value, std::uint32_t type,
             std::vector<std::uint8_t> data) {
        keys_[{root, key}][value] = {type, std::move(data)};
    }
    // A text value stored with its final NUL, as the desktop stores it.
    void SetText(RegKey root, const std::string& key, const std::string& value,
                 const std::string& text) {
        std::vector<std::uint8_t> data(text.begin(), text.end());
        data.push_back(0);
        Set(root, key, value, kRegSz, std::move(data));
    }
    void SetDword(RegKey root, const std::string& key, const std::string& value,
                  std::uint32_t number) {
        Set(root, key, value, kRegDword,
            {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
             static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)});
    }

    long RegOpenKeyEx(RegKey root, const std::string& subKey, std::uint32_t access,
                      RegKey& key) override {
        accessMasks.push_back(access);
        if (keys_.count({root, subKey}) == 0) {
            return kErrorFileNotFound;
        }
        key = next_++;
        handles_[key] = {root, subKey};
        open.insert(key);
        return kErrorSuccess;
    }

    long RegQueryValueEx(RegKey key, const std::string& valueName, std::uint32_t& type,
                         std::uint8_t* data, std::uint32_t& size) override {
        bufferSizes.push_back(size);
        if (open.count(key) == 0) {
            return kErrorInvalidHandle;
        }
        if (queryError != kErrorSuccess) {
            return queryError;
        }
        const auto& values = keys_.at(handles_.at(key));
        const auto it = values.find(valueName);
        if (it == values.end()) {
            return kErrorFileNotFound;
        }
        const auto needed = static_cast<std::uint32_t>(it->second.second.size());
        if (needed > size) {
            size = needed;
            return kErrorMoreData;
        }
        if (needed > 0) {
            std::memcpy(data, it->second.second.data(), needed);
        }
        type = it->second.first;
        size = overstateSize ? size + 1000 : needed;
        return kErrorSuccess;
    }

    long RegCloseKey(RegKey key) override {
        ++closes;
        return open.erase(key) == 1 ? kErrorSuccess : kErrorInvalidHandle;
    }

    // Makes every read of a value fail with this code.
    long queryError = kErrorSuccess;
    // Makes a successful read report more bytes than it wrote (a misbehaving registry).
    bool overstateSize = false;

    std::vector<std::uint32_t> accessMasks;
    std::vector<std::uint32_t> bufferSizes;
    std::set<RegKey> open; // keys opened and not yet closed
    int closes = 0;

  private:
    using Value = std::pair<std::uint32_t, std::vector<std::uint8_t>>;
    std::map<std::pair<RegKey, std::string>, std::map<std::string, Value>> keys_;
    std::map<RegKey, std::pair<RegKey, std::string>> handles_;
    RegKey next_ = 100;
};

// Records the programs it is asked to start instead of starting them.
class RecordingLauncher : public ProgramLauncher {
  public:
    bool StartDetached(const std::string& program) override {
        started.push_back(program);
        return succeed;
    }
    std::vector<std::string> started;
    bool succeed = true;
};

// A fresh fake registry and recording launcher for one test, and an About box that uses them
// and the recording desktop services.
struct AboutDoubles {
    FakeRegistry registry;
    RecordingLauncher launcher;
    frmAbout about{TestServices().services, registry, launcher};
};
