#include "tools/ravx-run/Trace.h"

#include "tools/ravx-run/Json.h"
#include "tools/ravx-run/Runner.h"

namespace ravx {

TraceWriter::TraceWriter(const std::string& path, Simulator& sim, const RecordingHost& host)
    : path_(path), out_(path, std::ios::binary | std::ios::trunc), sim_(sim), host_(host), before_(sim.m)
{
    if (!out_)
        throw RunnerError("cannot write " + path);
    errorsBefore_ = host_.errors.size();
    sim_.ravx.PortWatch = [this](PortRegister reg, bool write, uint8_t value) {
        const uint16_t port = static_cast<uint16_t>(sim_.ravx.PortBase + (reg == PortRegister::Command ? 1 : 0));
        io_.push_back({write, port, value});
    };
}

TraceWriter::~TraceWriter() { sim_.ravx.PortWatch = nullptr; }

void TraceWriter::AfterStep(uint64_t step)
{
    const MachineState& m = sim_.m;
    JsonWriter j;
    j.beginObject();
    j.key("step").value(step).key("row").value(unsigned{sim_.LastRow()});
    j.key("text").value(sim_.LastStatement());
    j.key("changed").beginObject();
    auto reg = [&](const char* name, unsigned was, unsigned now) {
        if (was != now)
            j.key(name).value(now);
    };
    reg("ax", before_.AX, m.AX);
    reg("bx", before_.BX, m.BX);
    reg("cx", before_.CX, m.CX);
    reg("dx", before_.DX, m.DX);
    reg("di", before_.DI, m.DI);
    reg("si", before_.SI, m.SI);
    reg("sp", before_.SP, m.SP);
    reg("ip", before_.IP, m.IP);
    reg("zf", before_.ZF, m.ZF);
    reg("sf", before_.SF, m.SF);
    reg("pf", before_.PF, m.PF);
    reg("if", before_.IF, m.IF);
    j.endObject();
    j.key("io").beginArray();
    for (const Access& a : io_) {
        j.beginObject();
        j.key(a.write ? "out" : "in").value(unsigned{a.port}).key("value").value(unsigned{a.value});
        j.endObject();
    }
    j.endArray();
    j.key("errors").beginArray();
    for (std::size_t i = errorsBefore_; i < host_.errors.size(); ++i)
        j.value(unsigned{host_.errors[i].code});
    j.endArray();
    j.endObject();
    out_ << j.str() << '\n';
    if (!out_)
        throw RunnerError("cannot write " + path_);
    before_ = m;
    errorsBefore_ = host_.errors.size();
    io_.clear();
}

}  // namespace ravx
