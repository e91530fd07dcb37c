// bankbuild: checks the question source and appends the scrambled bank to an
// executable. Used by the build after linking the application; a teacher can
// run it by hand to check an edited source (without --append).
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>

#include "tools/bankbuild/QuestionSource.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitSourceError = 1;
constexpr int kExitUsage = 2;
constexpr unsigned long kMaxKey = 0xFFFF;

int Usage()
{
    std::cerr << "usage: bankbuild SOURCE [--key N] [--append EXECUTABLE]\n";
    return kExitUsage;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string source;
    std::string target;
    bool haveKey = false;
    unsigned long key = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--key" && i + 1 < argc) {
            char* end = nullptr;
            key = std::strtoul(argv[++i], &end, 0);
            if (*end != '\0' || key > kMaxKey) {
                return Usage();
            }
            haveKey = true;
        } else if (arg == "--append" && i + 1 < argc) {
            target = argv[++i];
        } else if (source.empty() && !arg.starts_with("-")) {
            source = arg;
        } else {
            return Usage();
        }
    }
    if (source.empty()) {
        return Usage();
    }
    std::ifstream in(source, std::ios::binary);
    if (!in) {
        std::cerr << source << ": не удаётся открыть\n";
        return kExitSourceError;
    }
    std::ostringstream text;
    text << in.rdbuf();
    try {
        const auto records = ravx::bank::ParseQuestionSource(text.str());
        if (!haveKey) {
            key = std::random_device{}() & kMaxKey;
        }
        if (!target.empty()) {
            ravx::bank::AppendBankToFile(target, records, static_cast<uint16_t>(key));
        }
        std::cout << source << ": " << records.size() << " вопросов" << (target.empty() ? "" : " -> " + target) << "\n";
    } catch (const ravx::bank::SourceError& e) {
        std::cerr << source << ": " << e.what() << "\n";
        return kExitSourceError;
    }
    return kExitOk;
}
