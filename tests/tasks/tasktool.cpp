// Test-side helper for the reference solutions of the training tasks.
//
//   tasktool prg LISTING OUT.prg   turns a plain listing into a program file
//   tasktool task ZAD N            prints task N's indicator cells, ППОП address and
//                                  second row
//
// A listing is UTF-8 text, one line per filled row:
//   int 0A0                   interrupt routine address (hexadecimal row)
//   port 42                   port number, decimal
//   00C in al,2ah ; comment   row address (hexadecimal), statement, comment
// Lines starting with "#" and blank lines are skipped.
#include <array>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "machine/Codepage.h"
#include "training/TaskFile.h"

namespace {

constexpr int kFileRows = 500;  // the 499 statement rows and the spare row
constexpr int kHex = 16;

std::string Trim(const std::string& s)
{
    auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

int ListingToProgram(const char* listingPath, const char* prgPath)
{
    std::ifstream in(listingPath);
    if (!in) {
        std::cerr << "cannot read " << listingPath << "\n";
        return 2;
    }
    unsigned interrupt = 0, port = 0;
    std::vector<std::array<std::string, 2>> rows(kFileRows);
    int lineNo = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNo;
        line = Trim(line);
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream words(line);
        std::string head;
        words >> head;
        std::string rest = Trim(line.substr(head.size()));
        try {
            if (head == "int") {
                interrupt = static_cast<unsigned>(std::stoul(rest, nullptr, kHex));
            } else if (head == "port") {
                port = static_cast<unsigned>(std::stoul(rest));
            } else {
                std::size_t used = 0;
                int row = std::stoi(head, &used, kHex);
                if (used != head.size() || row < 0 || row >= kFileRows)
                    throw std::out_of_range(head);
                auto semicolon = rest.find(';');
                rows[row][0] = Trim(rest.substr(0, semicolon));
                rows[row][1] = semicolon == std::string::npos ? "" : Trim(rest.substr(semicolon + 1));
            }
        } catch (const std::exception&) {
            std::cerr << listingPath << ":" << lineNo << ": bad line\n";
            return 2;
        }
    }
    std::ofstream out(prgPath, std::ios::binary | std::ios::trunc);
    out << interrupt << "\r\n" << port << "\r\n";
    for (const auto& row : rows)
        out << ravx::Utf8ToCp1251(row[0]) << "\r\n" << ravx::Utf8ToCp1251(row[1]) << "\r\n";
    return out.flush() ? 0 : 2;
}

int PrintTask(const char* zadPath, const char* number)
{
    std::ifstream in(zadPath, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ravx::training::TaskDisplay display;
    if (auto error =
            ravx::training::ShowTask(bytes, std::stoi(number), ravx::training::TaskKind::Standard, "", display)) {
        std::cerr << *error << "\n";
        return 1;
    }
    for (const auto& cell : display.StringGrid1)
        std::cout << cell.text;
    std::cout << "\n" << display.PPOP << "\n";
    // The second row: an empty item is a blank position.
    std::string second;
    for (const auto& item : display.StringGrid2)
        second += item.empty() ? " " : item;
    std::cout << second << "\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (argc == 4 && command == "prg")
        return ListingToProgram(argv[2], argv[3]);
    if (argc == 4 && command == "task")
        return PrintTask(argv[2], argv[3]);
    std::cerr << "usage: tasktool prg LISTING OUT.prg | tasktool task ZAD N\n";
    return 2;
}
