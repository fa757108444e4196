// GetKeyValue against an in-memory registry: text and 32-bit values, the final NUL, the
// 1024-character buffer, failures, and that every opened key is closed.
#include "dialog_doubles.h"
#include "dialogs/sys_info_lookup.h"

#include <gtest/gtest.h>

namespace {

const std::string kKey = "SOFTWARE\\Tonvexa\\Test";

struct ValueCase {
    const char* what;
    std::uint32_t type;
    std::vector<std::uint8_t> data;
    bool found;
    std::string expected; // KeyVal afterwards; it starts as "previous"
};

std::vector<std::uint8_t> Bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

std::vector<std::uint8_t> WithNul(const std::string& s) {
    auto b = Bytes(s);
    b.push_back(0);
    return b;
}

TEST(GetKeyValue, TurnsValuesIntoText) {
    const std::vector<ValueCase> cases{
        {"text with its final NUL", kRegSz, WithNul("C:\\Tools\\msinfo32.exe"), true,
         "C:\\Tools\\msinfo32.exe"},
        {"text without a final NUL", kRegSz, Bytes("hardinfo"), true, "hardinfo"},
        {"only the last NUL goes", kRegSz, Bytes(std::string("ab\0\0", 4)), true,
         std::string("ab\0", 3)},
        {"empty text", kRegSz, WithNul(""), true, ""},
        {"zero-length text", kRegSz, {}, true, ""},
        {"text of 1023 characters fills the buffer", kRegSz, WithNul(std::string(1023, 'x')), true,
         std::string(1023, 'x')},
        {"text of 1024 characters and no NUL fills it too", kRegSz, Bytes(std::string(1024, 'y')),
         true, std::string(1024, 'y')},
        {"text longer than the buffer", kRegSz, WithNul(std::string(1024, 'z')), false, ""},
        {"small 32-bit number", kRegDword, {5, 0, 0, 0}, true, "5"},
        {"32-bit number 513 (two bytes)", kRegDword, {0x01, 0x02, 0, 0}, true, "513"},
        {"32-bit number with a zero low byte", kRegDword, {0, 0, 0, 1}, true, "16777216"},
        {"32-bit number 0x0A0B0C0D", kRegDword, {0x0D, 0x0C, 0x0B, 0x0A}, true, "168496141"},
        {"largest 32-bit number is unsigned",
         kRegDword,
         {0xFF, 0xFF, 0xFF, 0xFF},
         true,
         "4294967295"},
        {"32-bit zero", kRegDword, {0, 0, 0, 0}, true, "0"},
        {"expandable text leaves the text as it was", 2, WithNul("%SystemRoot%"), true, "previous"},
        {"binary leaves the text as it was", 3, {1, 2, 3}, true, "previous"},
    };
    for (const ValueCase& c : cases) {
        SCOPED_TRACE(c.what);
        AboutDoubles doubles;
        doubles.registry.Set(kHKeyLocalMachine, kKey, "V", c.type, c.data);
        std::string KeyVal = "previous";
        EXPECT_EQ(GetKeyValue(doubles.registry, kHKeyLocalMachine, kKey, "V", KeyVal), c.found);
        EXPECT_EQ(KeyVal, c.expected);
        EXPECT_TRUE(doubles.registry.open.empty()) << "the key stays open";
        EXPECT_EQ(doubles.registry.closes, 1);
    }
}

TEST(GetKeyValue, OpensWithTheAccessMaskAndReadsIntoA1024CharacterBuffer) {
    AboutDoubles doubles;
    doubles.registry.SetText(kHKeyLocalMachine, kKey, "V", "x");
    std::string KeyVal;
    ASSERT_TRUE(GetKeyValue(doubles.registry, kHKeyLocalMachine, kKey, "V", KeyVal));
    EXPECT_EQ(doubles.registry.accessMasks, std::vector<std::uint32_t>{0x2003F});
    EXPECT_EQ(doubles.registry.bufferSizes, std::vector<std::uint32_t>{1024});
}

TEST(GetKeyValue, FailuresEmptyTheTextAndCloseWhatWasOpened) {
    struct Case {
        const char* what;
        RegKey root;
        std::string key;
        std::string value;
        long queryError;
        int closes;
    };
    const std::vector<Case> cases{
        {"missing key", kHKeyLocalMachine, "SOFTWARE\\Elsewhere", "V", kErrorSuccess, 0},
        {"key under another root", 0x80000001, kKey, "V", kErrorSuccess, 0},
        {"missing value", kHKeyLocalMachine, kKey, "Other", kErrorSuccess, 1},
        {"read refused", kHKeyLocalMachine, kKey, "V", 5 /* access denied */, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AboutDoubles doubles;
        doubles.registry.SetText(kHKeyLocalMachine, kKey, "V", "value");
        doubles.registry.queryError = c.queryError;
        std::string KeyVal = "previous";
        EXPECT_FALSE(GetKeyValue(doubles.registry, c.root, c.key, c.value, KeyVal));
        EXPECT_EQ(KeyVal, "");
        EXPECT_EQ(doubles.registry.closes, c.closes);
        EXPECT_TRUE(doubles.registry.open.empty());
    }
}

TEST(GetKeyValue, NeverReadsPastTheBufferWhenTheRegistryOverstatesTheLength) {
    AboutDoubles doubles;
    doubles.registry.Set(kHKeyLocalMachine, kKey, "V", kRegSz, Bytes(std::string(10, 'a')));
    doubles.registry.overstateSize = true;
    std::string KeyVal;
    ASSERT_TRUE(GetKeyValue(doubles.registry, kHKeyLocalMachine, kKey, "V", KeyVal));
    // Cut to the buffer: the ten characters written, then the zeroed rest less its final NUL.
    EXPECT_EQ(KeyVal.size(), 1023u);
    EXPECT_EQ(KeyVal.substr(0, 10), std::string(10, 'a'));
}

} // namespace
