// "--trace FILE": one JSON object a line for every step, for teachers who
// follow a program and for debugging: the step, its row and text, the
// registers and flags it changed, its port reads and writes, its errors.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "mainwindow/Simulator.h"

namespace ravx {

class RecordingHost;

class TraceWriter {
public:
    // Throws RunnerError when the file cannot be written.
    TraceWriter(const std::string& path, Simulator& sim, const RecordingHost& host);
    ~TraceWriter();
    TraceWriter(const TraceWriter&) = delete;
    TraceWriter& operator=(const TraceWriter&) = delete;

    // After every step: writes its line and takes the state as the next
    // step's "before". Throws RunnerError when the write fails.
    void AfterStep(uint64_t step);

private:
    struct Access {
        bool write;
        uint16_t port;
        uint8_t value;
    };
    std::string path_;
    std::ofstream out_;
    Simulator& sim_;
    const RecordingHost& host_;
    MachineState before_;
    std::size_t errorsBefore_ = 0;
    std::vector<Access> io_;
};

}  // namespace ravx
