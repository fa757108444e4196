// Reading the registry the way the About box does: open a key under a root, read one value
// into the caller's buffer, close the key. The About box reads through the registry it is handed:
// the host registry answers from the desktop it runs on, tests hand in a fake.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

// An open key or a root key.
using RegKey = std::uintptr_t;

constexpr RegKey kHKeyLocalMachine = 0x80000002;

// Value types.
constexpr std::uint32_t kRegSz = 1;    // text, normally ending in a NUL
constexpr std::uint32_t kRegDword = 4; // 32-bit little-endian number

// Result codes.
constexpr long kErrorSuccess = 0;
constexpr long kErrorFileNotFound = 2; // no such key or value
constexpr long kErrorInvalidHandle = 6;
constexpr long kErrorMoreData = 234; // the value does not fit the buffer

// The access mask the About box opens its keys with.
constexpr std::uint32_t kKeyAllAccess = 0x2003F;

class Registry {
  public:
    virtual ~Registry() = default;
    // Opens `subKey` (a backslash-separated path) under `root`. kErrorSuccess and the handle
    // in `key`, or an error code and `key` untouched.
    virtual long RegOpenKeyEx(RegKey root, const std::string& subKey, std::uint32_t access,
                              RegKey& key) = 0;
    // Reads the value `valueName` of an open key into `data`, which holds `size` bytes. On
    // success `type` is the value's type and `size` the number of bytes written; when the
    // value is larger than the buffer, kErrorMoreData, nothing written and `size` the bytes
    // the value needs.
    virtual long RegQueryValueEx(RegKey key, const std::string& valueName, std::uint32_t& type,
                                 std::uint8_t* data, std::uint32_t& size) = 0;
    virtual long RegCloseKey(RegKey key) = 0;
};

// Key and value under the local-machine root that name the system-information tool.
inline constexpr const char* kSysInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr const char* kSysInfoValue = "PATH";

// The host registry of a Linux desktop. It holds one key: the system-information key above,
// present only when `findTool` names a tool, whose "PATH" value is that tool's full path.
// Every other key is absent.
std::unique_ptr<Registry> MakeHostRegistry(std::function<std::optional<std::string>()> findTool);
