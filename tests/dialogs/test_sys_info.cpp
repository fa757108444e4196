// Starting the system-information tool from the About box: the two look-ups, the tool file
// in the second key's folder, failures to start, and the host's answers on Linux.
#include "dialog_doubles.h"
#include "dialogs/about_box.h"
#include "dialogs/sys_info_lookup.h"
#include "tests/support/doubles.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const std::string kToolKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const std::string kLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
const std::string kUnavailable = "System Information Is Unavailable At This Time";

class SysInfo : public ::testing::Test {
  protected:
    void SetUp() override { TestServices().Reset(); }

    // Presses "&System Info..." as the user does.
    void PressSysInfo() {
        ASSERT_EQ(doubles.about.cmdSysInfo.Caption(), "&System Info...");
        doubles.about.cmdSysInfo.Press();
    }
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const ShownMessage& m : TestServices().messages.shown) {
            texts.push_back(m.text);
            EXPECT_EQ(m.title, "Tonvexa");
        }
        return texts;
    }

    AboutDoubles doubles;
    TempDir dir;
};

TEST_F(SysInfo, NeitherKeyTellsTheToolIsUnavailableAndStartsNothing) {
    PressSysInfo();
    EXPECT_EQ(Messages(), std::vector<std::string>{kUnavailable});
    EXPECT_TRUE(doubles.launcher.started.empty());
}

TEST_F(SysInfo, TheToolKeyNamesTheProgramToStart) {
    doubles.registry.SetText(kHKeyLocalMachine, kToolKey, "PATH", "/opt/tools/sys info");
    // The location key is not consulted when the tool key answers.
    doubles.registry.SetText(kHKeyLocalMachine, kLocationKey, "MSINFO", dir.Path());
    PressSysInfo();
    EXPECT_EQ(doubles.launcher.started, std::vector<std::string>{"/opt/tools/sys info"});
    EXPECT_TRUE(Messages().empty());
}

TEST_F(SysInfo, TheLocationKeyNeedsTheToolFileInItsFolder) {
    doubles.registry.SetText(kHKeyLocalMachine, kLocationKey, "MSINFO", dir.Path());
    PressSysInfo();
    EXPECT_EQ(Messages(), std::vector<std::string>{kUnavailable});
    EXPECT_TRUE(doubles.launcher.started.empty());

    // A folder of that name is not the tool either.
    std::filesystem::create_directory(dir.File("MSINFO32.EXE"));
    TestServices().Reset();
    PressSysInfo();
    EXPECT_EQ(Messages(), std::vector<std::string>{kUnavailable});
    EXPECT_TRUE(doubles.launcher.started.empty());
}

TEST_F(SysInfo, TheLocationKeyWithTheToolFileStartsIt) {
    doubles.registry.SetText(kHKeyLocalMachine, kLocationKey, "MSINFO", dir.Path());
    WriteFile(dir.File("MSINFO32.EXE"), {0x4D, 0x5A});
    PressSysInfo();
    EXPECT_EQ(doubles.launcher.started, std::vector<std::string>{dir.File("MSINFO32.EXE")});
    EXPECT_TRUE(Messages().empty());
}

TEST_F(SysInfo, AFailedStartTellsTheToolIsUnavailable) {
    struct Case {
        const char* what;
        std::uint32_t type;
        std::vector<std::uint8_t> data;
    };
    const std::vector<Case> cases{
        {"the launcher refuses the path", kRegSz, {'/', 'x', 0}},
        // An expandable text is read but leaves the path empty: nothing can start.
        {"a value of another type", 2, {'%', 'x', '%', 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestServices().Reset();
        doubles.launcher.started.clear();
        doubles.launcher.succeed = false;
        doubles.registry.Set(kHKeyLocalMachine, kToolKey, "PATH", c.type, c.data);
        PressSysInfo();
        EXPECT_EQ(Messages(), std::vector<std::string>{kUnavailable});
    }
}

TEST_F(SysInfo, TheHostRegistryNamesTheFirstToolFoundAndHasNoLocationKey) {
    const std::unique_ptr<Registry> found =
        MakeHostRegistry([] { return std::optional<std::string>("/usr/bin/hardinfo"); });
    const std::unique_ptr<Registry> none =
        MakeHostRegistry([] { return std::optional<std::string>(); });

    std::string KeyVal;
    EXPECT_TRUE(GetKeyValue(*found, kHKeyLocalMachine, kToolKey, "PATH", KeyVal));
    EXPECT_EQ(KeyVal, "/usr/bin/hardinfo");
    // Key names do not depend on case, as on the desktop registry.
    EXPECT_TRUE(GetKeyValue(*found, kHKeyLocalMachine, "software\\microsoft\\shared tools\\msinfo",
                            "path", KeyVal));
    EXPECT_FALSE(GetKeyValue(*found, kHKeyLocalMachine, kLocationKey, "MSINFO", KeyVal));
    EXPECT_EQ(SysInfoToolPath(*found), std::optional<std::string>("/usr/bin/hardinfo"));

    EXPECT_FALSE(GetKeyValue(*none, kHKeyLocalMachine, kToolKey, "PATH", KeyVal));
    EXPECT_EQ(SysInfoToolPath(*none), std::nullopt);
    frmAbout about(TestServices().services, *none, doubles.launcher);
    about.cmdSysInfo.Press();
    EXPECT_EQ(Messages(), std::vector<std::string>{kUnavailable});
}

TEST_F(SysInfo, TheToolIsTheMostFittingProgramOnThePath) {
    TempDir first, second;
    auto executable = [](const std::string& path) {
        WriteFile(path, {'#', '!', '/', 'b', 'i', 'n', '/', 's', 'h', '\n'});
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    };
    EXPECT_EQ(FindSystemInfoTool({first.Path(), second.Path()}), std::nullopt);

    executable(second.File("gnome-system-monitor"));
    EXPECT_EQ(FindSystemInfoTool({first.Path(), second.Path()}),
              second.File("gnome-system-monitor"));

    // A profiler is preferred to a monitor, wherever it lies on the path.
    executable(second.File("hardinfo"));
    EXPECT_EQ(FindSystemInfoTool({first.Path(), second.Path()}), second.File("hardinfo"));

    // A file that cannot be run does not count.
    WriteFile(first.File("hardinfo2"), {'x'});
    std::filesystem::permissions(first.File("hardinfo2"), std::filesystem::perms::owner_read |
                                                              std::filesystem::perms::owner_write);
    EXPECT_EQ(FindSystemInfoTool({first.Path(), second.Path()}), second.File("hardinfo"));
}

} // namespace
