// A random sequence of port writes and reads, matrix clicks, modifier and
// strobe actions and steps against the controller; the invariants of its
// registers must hold after every action.
#include <cstdint>

#include "tests/fuzz/FuzzMachine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static ravx::fuzz::QuietHost host(true);
    ravx::Simulator* sim = &ravx::fuzz::FuzzSimulator(host);
    for (int a = 0; a < ravx::kStatementRows; ++a)
        sim->program.rows[a].statement = "nop";
    sim->ravx.PortBase = 0x2A;
    sim->ResetKey();
    sim->m.IF = false;
    sim->panel.AutoRelease = true;
    sim->panel.OctalStrobe = size > 0 && (data[0] & 1);
    sim->ravx.ApplyGeneratorSettings(size > 0 ? (data[0] >> 1) & 3 : 0, size > 0 && (data[0] & 8));

    for (size_t i = 1; i < size; ++i) {
        const uint8_t op = data[i] & 7;
        const uint8_t arg = i + 1 < size ? data[i + 1] : 0;
        switch (op) {
        case 0:
            sim->ravx.WritePort(ravx::PortRegister::Command, arg);
            ++i;
            break;
        case 1:
            sim->ravx.WritePort(ravx::PortRegister::Data, arg);
            ++i;
            break;
        case 2:
            sim->ravx.ReadPort((data[i] & 8) ? ravx::PortRegister::Command : ravx::PortRegister::Data, arg);
            sim->m.ErrorCode = 0;
            break;
        case 3:
            sim->ravx.SetMatrixCell((arg >> 3) & 7, arg & 7, sim->panel.Matrix[(arg >> 3) & 7][arg & 7] == '1');
            ++i;
            break;
        case 4: sim->ravx.ClickCtrl(); break;
        case 5: sim->ravx.SetShift(!sim->panel.ShiftChecked); break;
        case 6: {
            const char text[4] = {char('0' + (arg & 7)), char('0' + ((arg >> 3) & 7)), char('0' + (arg >> 6)), 0};
            sim->ravx.SetOctalEntry(text);
            ++i;
            break;
        }
        default:
            for (int s = 0; s <= (data[i] >> 3); ++s) {
                sim->Step();
                if (sim->m.IP >= ravx::kStatementRows)
                    sim->m.IP = 0;
            }
            break;
        }
        ravx::fuzz::CheckInvariants(*sim);
    }
    return 0;
}
