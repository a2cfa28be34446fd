// A second program writing to the store of a test, which kills it or runs two of it at once.
//   vespern_store_writer ROOT save-forever     saves the options dialog again and again; after
//                                              the first whole save it creates ROOT/first-save
//   vespern_store_writer ROOT put PREFIX COUNT writes COUNT settings named PREFIX0, PREFIX1...
// ROOT is the test's private home (support/TempUserDirs.h).

#include "support/OptionsHarness.h"

#include <string>

namespace {

using vespern::TCheckBox;
using vespern::test::OptionsHarness;

[[noreturn]] void SaveForever(OptionsHarness& h, const std::filesystem::path& firstSave)
{
    for (int i = 0;; ++i) {
        h.recorder.calls.clear();
        h.form2.Edit1.Text = "/opt/program-" + std::to_string(i) + std::string(300, 'x');
        for (TCheckBox* box : { &h.form2.startup, &h.form2.empty, &h.form2.ontop, &h.form2.CheckBox1,
                 &h.form2.Hideshutdwnbtn, &h.form2.CheckBox4 })
            h.form2.SetChecked(*box, i % 2 == 0);
        h.form2.SetChecked(h.form2.CheckBox3, true);
        h.run([&] { h.form2.BitBtn1Click(); });
        if (i == 0)
            vespern::test::WriteText(firstSave, "saved");
    }
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.size() == 2 && arguments[1] == "save-forever") {
        OptionsHarness h { std::filesystem::path(arguments[0]) };
        SaveForever(h, std::filesystem::path(arguments[0]) / "first-save");
    }
    if (arguments.size() == 4 && arguments[1] == "put") {
        OptionsHarness h { std::filesystem::path(arguments[0]) };
        const int count = std::stoi(arguments[3]);
        for (int i = 0; i < count; ++i)
            h.putSetting(arguments[2] + std::to_string(i), "1");
        return 0;
    }
    return 2;
}
