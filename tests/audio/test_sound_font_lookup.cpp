// Where the notes' SoundFont is found: a file named by the user, the synthesiser's default, then
// the data folders in order, each with its sf2 folder before its sf3 folder.
#include "audio/sound_font_lookup.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// A data folder with the named files under sounds/ ("sf2/a.sf2"); "->" makes a link to a file
// that does not exist ("sf3/default-GM.sf3->gone").
std::string DataFolder(const TempDir& dir, const std::string& name,
                       std::initializer_list<std::string> files) {
    namespace fs = std::filesystem;
    const fs::path data = fs::path(dir.Path()) / name;
    for (const std::string& f : files) {
        const auto arrow = f.find("->");
        const fs::path file = data / "sounds" / f.substr(0, arrow);
        fs::create_directories(file.parent_path());
        if (arrow == std::string::npos) {
            WriteFile(file.string(), Bytes{'s', 'f'});
        } else {
            fs::create_symlink(data / f.substr(arrow + 2), file);
        }
    }
    fs::create_directories(data);
    return data.string();
}

} // namespace

TEST(SoundFontLookup, TakesTheFirstPlaceThatHoldsAFile) {
    TempDir dir;
    const std::string user = DataFolder(dir, "user", {"sf3/mine.sf3", "sf2/notes.txt"});
    const std::string local = DataFolder(dir, "local", {});
    const std::string system =
        DataFolder(dir, "system", {"sf2/z.sf2", "sf2/b.SF2", "sf3/a.sf3", "sf3/default-GM.sf3"});
    const std::string preferring = DataFolder(dir, "pref", {"sf2/a.sf2", "sf2/default-GM.sf2"});
    const std::string broken = DataFolder(dir, "broken", {"sf2/default-GM.sf2->gone.sf2"});
    const std::string named = dir.File("named.sf2");
    WriteFile(named, Bytes{'s', 'f'});
    const std::string synthDefault = system + "/sounds/sf2/z.sf2";
    const std::string missing = dir.File("missing.sf2");

    const struct {
        const char* what;
        SoundFontPlaces places;
        std::string want;
    } cases[] = {
        {"the user's own file first", {named, synthDefault, {user}}, named},
        {"a named file that is missing is passed over",
         {missing, synthDefault, {user}},
         synthDefault},
        {"the synthesiser's default before the data folders",
         {"", synthDefault, {user}},
         synthDefault},
        {"then the data folders in order",
         {"", missing, {local, user, system}},
         user + "/sounds/sf3/mine.sf3"},
        {"sf2 before sf3, the first by name, any case",
         {"", "", {system}},
         system + "/sounds/sf2/b.SF2"},
        {"default-GM before the others",
         {"", "", {preferring}},
         preferring + "/sounds/sf2/default-GM.sf2"},
        {"a broken link is no SoundFont", {"", "", {broken, local}}, ""},
        {"nothing anywhere", {"", "", {local, dir.File("no-such-folder")}}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FindSoundFont(c.places), c.want);
    }
}
