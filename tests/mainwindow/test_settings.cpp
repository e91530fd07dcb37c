// The settings dialog's rules and what its "Ввод" applies; the texts of the
// stack and data RAM views and the data RAM view's go-to entry.
#include <gtest/gtest.h>

#include "Rig.h"
#include "mainwindow/MemoryViews.h"
#include "mainwindow/SettingsForm.h"

namespace ravx::test {
namespace {

TEST(Settings, PortOfGroupAndMachine)
{
    struct Case {
        int group, machine;
        const char* port;
    };
    for (const Case& c : {Case{1, 1, "2A"}, Case{9, 20, "90"}, Case{7, 8, "28"}, Case{6, 8, "00"}})
        EXPECT_EQ(PortText(c.group, c.machine), c.port) << c.group << "/" << c.machine;
}

TEST(Settings, ListsSelectedByALoadedPort)
{
    struct Case {
        uint16_t port;
        int group, machine;
    };
    for (const Case& c : {Case{42, 1, 1}, Case{80, 2, 1}, Case{0x90, 3, 12}, Case{30, kNoSelection, 15},
                          Case{400, kNoSelection, 1}, Case{79, 1, 20}, Case{120, 3, 1}}) {
        Settings s;
        SelectListsForPort(s, c.port);
        EXPECT_EQ(s.Group, c.group) << c.port;
        EXPECT_EQ(s.Machine, c.machine) << c.port;
    }
}

TEST(Settings, FormShowsTheCurrentValues)
{
    Rig r;
    r.sim.settings.Group = kNoSelection;
    r.sim.ravx.ApplyGeneratorSettings(2, true);
    const SettingsForm f = ShowSettings(r.sim);
    EXPECT_EQ(f.Group, 1);  // an empty list selects "1"
    EXPECT_EQ(f.Address, "064");
    EXPECT_EQ(f.Generator, 2);
    EXPECT_TRUE(f.CodeGenerator);
    EXPECT_TRUE(f.OctalStrobe);
}

TEST(Settings, AddressBoundAndMissingLists)
{
    Rig r;
    SettingsForm f = ShowSettings(r.sim);
    f.Group = 9;
    f.Machine = 20;
    f.Generator = 3;
    f.Address = "1F4";
    const MachineState m = r.m;
    const RavxState c = r.c.State();
    const FrontPanel p = r.p;
    const Settings s = r.sim.settings;
    EXPECT_EQ(ApplySettings(r.sim, f), SettingsResult::BadAddress);
    EXPECT_EQ(r.errors, std::vector<uint8_t>{13});
    EXPECT_EQ(r.m.InterruptAddress, m.InterruptAddress);  // nothing applied
    EXPECT_TRUE(r.c.State() == c);
    EXPECT_TRUE(r.p == p);
    EXPECT_TRUE(r.sim.settings == s);

    f.Address = "1F3";
    EXPECT_EQ(ApplySettings(r.sim, f), SettingsResult::Applied);
    EXPECT_EQ(r.m.InterruptAddress, 0x1F3);
    EXPECT_EQ(r.c.PortBase, 0x90);
    EXPECT_EQ(r.c.ConnectedGenerator, 3);
    EXPECT_EQ(r.p.DGridRows, 2);
    EXPECT_TRUE(r.p.ZGOutL1Visible);
    EXPECT_EQ(r.p.NumZGL.view(), "Номер знакогенератора:3");

    f.Group = kNoSelection;
    EXPECT_EQ(ApplySettings(r.sim, f), SettingsResult::NoGroup);
    EXPECT_EQ(SettingsMessage(SettingsResult::NoGroup), "Введите номер группы!");
    f.Group = 1;
    f.Machine = kNoSelection;
    EXPECT_EQ(ApplySettings(r.sim, f), SettingsResult::NoMachine);
    EXPECT_EQ(SettingsMessage(SettingsResult::NoMachine), "Введите номер машины!");
}

TEST(Settings, StrobedModeSwitchesBetweenOctalBoxAndOneRow)
{
    Rig r;
    r.exec("mov al,0eh");
    r.exec("out 2bh,al");  // strobed input
    ASSERT_TRUE(r.c.ModeStrobed);
    SettingsForm f = ShowSettings(r.sim);
    f.OctalStrobe = false;
    ASSERT_EQ(ApplySettings(r.sim, f), SettingsResult::Applied);
    EXPECT_TRUE(r.p.MatrixVisible && !r.p.STRInpVisible);
    EXPECT_EQ(r.p.MatrixRows, 1);
    f.OctalStrobe = true;
    ASSERT_EQ(ApplySettings(r.sim, f), SettingsResult::Applied);
    EXPECT_TRUE(!r.p.MatrixVisible && r.p.STRInpVisible);
}

TEST(Settings, AddressFieldKeys)
{
    EXPECT_EQ(AddressFieldKey('a'), 'A');
    EXPECT_EQ(AddressFieldKey('7'), '7');
    EXPECT_EQ(AddressFieldKey('g'), std::nullopt);
    EXPECT_EQ(AddressFieldKey(' '), std::nullopt);
    EXPECT_EQ(AddressFieldKey('\b'), '\b');  // control keys pass
}

TEST(MemoryViews, StackAndDataRamTexts)
{
    Rig r;
    r.m.Stack[255] = 0x1234;
    EXPECT_EQ(StackAddressText(0), "01FE");
    EXPECT_EQ(StackAddressText(255), "0000");
    EXPECT_EQ(StackWordText(r.m, 0), "1234");
    struct Case {
        int address;
        const char* octal;
        const char* hex;
    };
    for (const Case& c : {Case{3069, "5775", "0BFD"}, Case{0, "0000", "0000"}, Case{511, "0777", "01FF"},
                          Case{512, "1000", "0200"}, Case{1023, "1777", "03FF"}}) {
        EXPECT_EQ(DataRamAddressText(c.address, false), c.octal);
        EXPECT_EQ(DataRamAddressText(c.address, true), c.hex);
    }
    r.m.Ram[7] = 0xBEEF;
    EXPECT_EQ(DataRamWordText(r.m, 7), "BEEF");
}

TEST(MemoryViews, DataRamGoTo)
{
    Rig r;
    EXPECT_EQ(DataRamGoTo(r.m, r, "5775", false), 3069);
    EXPECT_EQ(DataRamGoTo(r.m, r, "BFD", true), 3069);
    EXPECT_EQ(DataRamGoTo(r.m, r, "BFE", true), std::nullopt);  // beyond the last word
    EXPECT_EQ(DataRamGoTo(r.m, r, "", false), std::nullopt);
    EXPECT_TRUE(r.errors.empty());
    EXPECT_EQ(DataRamGoTo(r.m, r, "18", false), std::nullopt);
    EXPECT_EQ(r.errors, std::vector<uint8_t>{2});  // octal has no 8
}

}  // namespace
}  // namespace ravx::test
