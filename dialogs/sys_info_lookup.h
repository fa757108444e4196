// The About box's registry look-ups: reading one value as text, and finding the
// system-information tool. Reads through the registry it is handed; no window involved.
#pragma once

#include "ui/registry.h"

#include <cstddef>
#include <optional>
#include <string>

// Size of the buffer a value is read into, in characters (bytes).
constexpr std::size_t kKeyValueBufferChars = 1024;

// Second look-up: a folder that holds the tool under this file name.
inline constexpr const char* kSysInfoLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr const char* kSysInfoLocationValue = "MSINFO";
inline constexpr const char* kSysInfoToolFile = "MSINFO32.EXE";

// Reads value `SubKeyRef` of key `KeyName` under `KeyRoot`. True when it was read: a text
// value becomes `KeyVal` (cut to its length, without a final NUL), a 32-bit value its
// unsigned decimal text, any other type leaves `KeyVal` as it was. False, with `KeyVal`
// empty, when the key cannot be opened or the value cannot be read (also when it is longer
// than kKeyValueBufferChars). A key that was opened is always closed again.
bool GetKeyValue(Registry& registry, RegKey KeyRoot, const std::string& KeyName,
                 const std::string& SubKeyRef, std::string& KeyVal);

// The full path of the system-information tool: the text of the tool's own key, or else the
// file kSysInfoToolFile in the folder named by the location key when that file exists.
// Nothing when neither look-up gives a path.
std::optional<std::string> SysInfoToolPath(Registry& registry);
