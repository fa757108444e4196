#include "sys_info_lookup.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>

namespace {

// The unsigned number held little-endian in up to four bytes (missing high bytes are zero).
std::uint32_t LittleEndian32(const std::string& bytes) {
    std::uint32_t value = 0;
    const std::size_t n = std::min<std::size_t>(bytes.size(), 4);
    for (std::size_t i = 0; i < n; ++i) {
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    }
    return value;
}

// Closes an opened key when the look-up ends, whichever way it ends.
class OpenKey {
  public:
    OpenKey(Registry& registry, RegKey key) : registry_(registry), key_(key) {}
    ~OpenKey() { registry_.RegCloseKey(key_); }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

  private:
    Registry& registry_;
    RegKey key_;
};

} // namespace

bool GetKeyValue(Registry& registry, RegKey KeyRoot, const std::string& KeyName,
                 const std::string& SubKeyRef, std::string& KeyVal) {
    RegKey hKey = 0;
    if (registry.RegOpenKeyEx(KeyRoot, KeyName, kKeyAllAccess, hKey) != kErrorSuccess) {
        KeyVal.clear();
        return false;
    }
    const OpenKey closer(registry, hKey);

    std::array<std::uint8_t, kKeyValueBufferChars> tmpVal{};
    std::uint32_t KeyValType = 0;
    auto KeyValSize = static_cast<std::uint32_t>(tmpVal.size());
    if (registry.RegQueryValueEx(hKey, SubKeyRef, KeyValType, tmpVal.data(), KeyValSize) !=
        kErrorSuccess) {
        KeyVal.clear();
        return false;
    }
    // Never trust a length beyond the buffer that was handed over.
    KeyValSize = std::min<std::uint32_t>(KeyValSize, static_cast<std::uint32_t>(tmpVal.size()));
    std::string text(tmpVal.begin(), tmpVal.begin() + KeyValSize);
    if (!text.empty() && text.back() == '\0') {
        text.pop_back();
    }

    if (KeyValType == kRegSz) {
        KeyVal = text;
    } else if (KeyValType == kRegDword) {
        KeyVal = std::to_string(LittleEndian32(text));
    }
    return true;
}

std::optional<std::string> SysInfoToolPath(Registry& registry) {
    std::string SysInfoPath;
    if (GetKeyValue(registry, kHKeyLocalMachine, kSysInfoKey, kSysInfoValue, SysInfoPath)) {
        return SysInfoPath;
    }
    if (GetKeyValue(registry, kHKeyLocalMachine, kSysInfoLocationKey, kSysInfoLocationValue,
                    SysInfoPath)) {
        // The folder and the file name join with this desktop's separator.
        const std::string tool = SysInfoPath + "/" + kSysInfoToolFile;
        std::error_code ec;
        if (std::filesystem::is_regular_file(tool, ec)) {
            return tool;
        }
    }
    return std::nullopt;
}
