#include "SettingsStore.h"

#include "TForm2Model.h"
#include "TRegistry.h"
#include "platform/Win32Constants.h"

namespace vespern {

namespace {

const char* flag(const TCheckBox& box)
{
    return box.Checked ? "1" : "0";
}

} // namespace

void LoadSettingsStore(Registry& platform, TForm2Model& options)
{
    TRegistry registry(platform);
    registry.SetRootKey(w32::HkeyClassesRoot);
    registry.OpenKey(SettingsKeyPath, false);
    const std::pair<const char*, TCheckBox*> firstFlags[] = {
        { "start up", &options.startup },
        { "empty recycle bin", &options.empty },
        { "stay on top", &options.ontop },
        { "sistemkey", &options.CheckBox1 },
        { "run program", &options.CheckBox3 },
    };
    for (const auto& [name, box] : firstFlags)
        options.SetChecked(*box, registry.ReadString(name) == "1");
    options.Edit1.Text = registry.ReadString("program");
    options.SetChecked(options.Hideshutdwnbtn, registry.ReadString("hideshutdown") == "1");
    options.SetChecked(options.CheckBox4, registry.ReadString("hidelogoff") == "1");
    registry.CloseKey();
}

void SaveSettingsStore(Registry& platform, const TForm2Model& options)
{
    TRegistry registry(platform);
    registry.SetRootKey(w32::HkeyClassesRoot);
    registry.OpenKey(SettingsKeyPath, true);
    registry.WriteString("start up", flag(options.startup));
    registry.WriteString("empty recycle bin", flag(options.empty));
    registry.WriteString("stay on top", flag(options.ontop));
    registry.WriteString("sistemkey", flag(options.CheckBox1));
    registry.WriteString("hideshutdown", flag(options.Hideshutdwnbtn));
    registry.WriteString("hidelogoff", flag(options.CheckBox4));
    registry.WriteString("run program", flag(options.CheckBox3));
    registry.WriteString("program", options.CheckBox3.Checked ? options.Edit1.Text : std::string());
    registry.CloseKey();
}

} // namespace vespern
