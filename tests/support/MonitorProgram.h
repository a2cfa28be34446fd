#pragma once

// The main window and the confirmation dialog over the recording platform, with helpers that script
// the system's records and drive the monitor tick by tick.

#include "RecordingDialogs.h"
#include "ScriptedPlatform.h"
#include "core/TApplication.h"
#include "core/TForm1Model.h"
#include "core/TForm2Model.h"
#include "core/TForm4Model.h"
#include "platform/Win32Constants.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vespern::test {

inline std::vector<std::uint8_t> littleEndianRecord(std::size_t size, std::size_t offset, std::uint64_t value)
{
    std::vector<std::uint8_t> record(size, 0);
    for (std::size_t byte = 0; byte < 8 && offset + byte < size; ++byte)
        record[offset + byte] = static_cast<std::uint8_t>(value >> (8 * byte));
    return record;
}

inline std::vector<std::uint8_t> basicRecord(std::uint8_t processors)
{
    std::vector<std::uint8_t> record(w32::SystemBasicInformationSize, 0);
    record[w32::BasicNumberOfProcessorsOffset] = processors;
    return record;
}

inline std::vector<std::uint8_t> processEntry(const std::string& name)
{
    std::vector<std::uint8_t> record(w32::ProcessEntry32Size, 0);
    std::copy(name.begin(), name.end(), record.begin() + w32::ProcessEntry32NameOffset);
    return record;
}

// Records the message boxes; like a real box, one can run events of its nested message loop.
class NestedLoopDialogs final : public Dialogs {
public:
    void MessageBox(const std::string& title, const std::string& text, MessageIcon icon) override
    {
        shown.push_back({ title, text, icon });
        if (whileOpen)
            whileOpen();
    }
    std::vector<ShownMessage> shown;
    std::function<void()> whileOpen;
};

inline constexpr std::int64_t unitsPerSecond = 10'000'000; // 100-nanosecond units

struct MonitorProgram {
    MonitorProgram() { application.Title = "Vespern"; }

    PlatformScript& script() { return recorder.script(); }

    // One sample's records: the system time and the idle time of all processors, in seconds.
    void queueSample(double systemSeconds, double idleSeconds)
    {
        auto& queues = script().systemInformation;
        queues[w32::SystemTimeOfDayInformation].push_back(littleEndianRecord(w32::SystemTimeOfDayInformationSize,
            w32::TimeOfDayCurrentTimeOffset, static_cast<std::uint64_t>(systemSeconds * unitsPerSecond)));
        queues[w32::SystemPerformanceInformation].push_back(littleEndianRecord(w32::SystemPerformanceInformationSize,
            w32::PerformanceIdleTimeOffset, static_cast<std::uint64_t>(idleSeconds * unitsPerSecond)));
    }
    void queueBasic(std::uint8_t processors)
    {
        script().systemInformation[w32::SystemBasicInformation].push_back(basicRecord(processors));
    }
    void runningProcesses(const std::vector<std::string>& names)
    {
        script().processes.clear();
        for (const auto& name : names)
            script().processes.push_back(processEntry(name));
    }

    // Chooses and arms an event in the current mode.
    void arm(EventKind event, int action = 0)
    {
        const bool network = form1.RadioGroup1.ItemIndex == 1;
        (network ? form1.ComboBox4 : form1.ComboBox2).ItemIndex = static_cast<int>(event);
        network ? form1.ComboBox4Change() : form1.ComboBox2Change();
        chooseAction(action);
        form1.BitBtn2Click();
    }
    void chooseAction(int action)
    {
        auto& list = form1.RadioGroup1.ItemIndex == 1 ? form1.ComboBox3 : form1.ComboBox1;
        list.ItemIndex = action;
        if (action >= 0)
            list.Text = list.Items[static_cast<std::size_t>(action)];
    }
    void useNetwork(const std::string& client = "\\\\SERVER7")
    {
        form1.RadioGroup1.ItemIndex = 1;
        form1.Edit1.Text = client;
    }

    // One tick of the armed mode's monitor timer, when it is enabled (as the window's timer would).
    void tick()
    {
        if (form1.RadioGroup1.ItemIndex == 1) {
            if (form1.Timer2.Enabled)
                form1.Timer2Timer();
        } else if (form1.Timer1.Enabled) {
            form1.Timer1Timer();
        }
    }
    void ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            tick();
    }
    void dialogTick()
    {
        if (form4.Timer1.Enabled)
            form4.Timer1Timer();
        if (form4.Timer2.Enabled)
            form4.Timer2Timer();
    }

    std::vector<std::string> actions() const
    {
        return recorder.callsTo({ "ExitWindowsEx", "SetSystemPowerState", "LockWorkStation", "SendMessageA",
            "DefWindowProcA", "InternetAutodialHangup", "InitiateSystemShutdownA", "SHEmptyRecycleBinA" });
    }
    std::vector<std::string> messages() const
    {
        std::vector<std::string> out;
        for (const auto& shown : dialogs.shown)
            out.push_back(shown.text);
        return out;
    }
    bool armed() const { return form1.BitBtn4.Visible && !form1.BitBtn2.Visible; }

    RecordingPlatform recorder;
    NestedLoopDialogs dialogs;
    TApplication application { dialogs };
    TForm2Model form2 { recorder.platform(), application };
    TForm1Model form1 { recorder.platform(), application, form2, {} };
    TForm4Model form4 { form1 };
};

inline const std::string shutdownRequest = "ExitWindowsEx uFlags=1 dwReserved=0";

} // namespace vespern::test
