// Prints how many questions the bank appended to an executable holds, or
// fails when there is no readable bank or a record the test window could not
// use.
#include <iostream>

#include "training/QuestionBank.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: bank_check EXECUTABLE\n";
        return 2;
    }
    const ravx::bank::Bank bank = ravx::bank::ReadBankFile(argv[1]);
    if (bank.status != ravx::bank::BankStatus::Ok) {
        std::cerr << argv[1] << ": no readable question bank\n";
        return 1;
    }
    for (std::size_t i = 0; i < bank.records.size(); ++i) {
        const std::string problem = ravx::bank::CheckRecord(bank.records[i]);
        if (!problem.empty()) {
            std::cerr << argv[1] << ": question " << i + 1 << ": " << problem << "\n";
            return 1;
        }
    }
    std::cout << bank.records.size() << "\n";
    return 0;
}
