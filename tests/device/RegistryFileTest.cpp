// The virtual handheld's registry file, in the text of a registry export.
#include "device/RegistryFile.h"
#include "device/Utf16.h"

#include <gtest/gtest.h>

namespace {

RegistryValue text(const std::string& value) {
    return {1, utf16Bytes(value)}; // REG_SZ
}

} // namespace

TEST(RegistryFileText, WritesEscapedStringsOneLinePerValueAndKeepsWhatItDoesNotKnow) {
    const std::string A = "HKEY_LOCAL_MACHINE\\A", B = "HKEY_LOCAL_MACHINE\\B";
    // A value cut short, right before a key header.
    auto registry = RegistryFile::fromBytes(
        std::string(RegistryFile::Header) + "\r\n; kept\r\n[" + B + "]\r\n\"cut\"=hex:01,\\\r\n[" +
        A + "]\r\n\"Flag\"=dword:00000001\r\n\"v\"=\"first\"\r\n\"v\"=\"last\"\r\n");
    ASSERT_TRUE(registry.hasKey(A));
    EXPECT_EQ(registry.find(A, "V")->data, text("last").data) << "the last line counts";
    registry.set(A, "v", text("new"));
    EXPECT_EQ(registry.find(A, "v")->data, text("new").data);
    registry.set(A, "s", text("old"));
    registry.set(A, "s", text("say \"hi\" C:\\x"));
    const std::string bytes = registry.toBytes();
    ASSERT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    const std::string written = fromUtf16(
        utf16Units(reinterpret_cast<const std::uint8_t*>(bytes.data()) + 2, bytes.size() - 2));
    for (const char* line :
         {"; kept\r\n", "\"Flag\"=dword:00000001\r\n", "\r\n\"s\"=\"say \\\"hi\\\" C:\\\\x\"\r\n"})
        EXPECT_NE(written.find(line), std::string::npos) << line;
    EXPECT_EQ(written.find("\"s\"="), written.rfind("\"s\"=")) << "one line for a value set twice";
}
