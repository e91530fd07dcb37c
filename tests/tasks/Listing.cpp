#include "tests/tasks/Listing.h"

#include <fstream>
#include <sstream>

namespace ravx::tasks {

namespace {

constexpr int kHex = 16;

std::string Trim(const std::string& s)
{
    auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

template <std::size_t N>
void FillTable(std::array<uint8_t, N>& table, const std::string& entries)
{
    std::istringstream in(entries);
    for (std::string item; in >> item;) {
        const auto colon = item.find(':');
        if (colon == std::string::npos)
            throw std::invalid_argument(item);
        const unsigned long index = std::stoul(item.substr(0, colon), nullptr, kHex);
        const unsigned long value = std::stoul(item.substr(colon + 1), nullptr, kHex);
        if (index >= N || value > 0xFF)
            throw std::out_of_range(item);
        table[index] = static_cast<uint8_t>(value);
    }
}

}  // namespace

std::string LoadListing(const std::string& path, Simulator& sim)
{
    std::ifstream in(path);
    if (!in)
        throw ListingError("cannot read " + path);
    sim.program.Clear();
    std::string setup;
    int lineNo = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNo;
        line = Trim(line);
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream words(line);
        std::string head;
        words >> head;
        const std::string rest = Trim(line.substr(head.size()));
        try {
            if (head == "int") {
                sim.m.InterruptAddress = static_cast<uint16_t>(std::stoul(rest, nullptr, kHex));
            } else if (head == "port") {
                sim.ravx.PortBase = static_cast<uint16_t>(std::stoul(rest));
                SelectListsForPort(sim.settings, sim.ravx.PortBase);
            } else if (head == "setup") {
                setup = rest;
            } else if (head == "zg1") {
                FillTable(sim.ravx.Zg1, rest);
            } else if (head == "zg2") {
                FillTable(sim.ravx.Zg2, rest);
            } else if (head == "zg3") {
                FillTable(sim.ravx.Zg3, rest);
            } else if (head == "zg4") {
                FillTable(sim.ravx.Zg4, rest);
            } else if (head == "kg") {
                FillTable(sim.ravx.Kg, rest);
            } else {
                std::size_t used = 0;
                const int row = std::stoi(head, &used, kHex);
                if (used != head.size() || row < 0 || row >= kProgramRows)
                    throw std::out_of_range(head);
                const auto semicolon = rest.find(';');
                sim.program.rows[row].statement = Trim(rest.substr(0, semicolon));
                sim.program.rows[row].comment =
                    semicolon == std::string::npos ? "" : Trim(rest.substr(semicolon + 1));
            }
        } catch (const std::exception&) {
            throw ListingError(path + ":" + std::to_string(lineNo) + ": bad line");
        }
    }
    return setup;
}

}  // namespace ravx::tasks
