// The teacher's check of students' solutions from the command line:
//
//   ravx-run --check N:KIND [--csv FILE] [--task-file FILE] FILE.prg...
//
// KIND is standard, game, game-psoo, strobe or analysis. A firmware dump of
// the same name (FILE.dmp) beside a program is loaded with it. One line per
// file (name, verdict, reason) and a summary go to standard output, the same
// table to the CSV file. Exit status 0 when every file solves the task, 1
// when some do not, 2 for a usage error or a file that cannot be read.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace ravx {

bool IsCheckCommand(const std::vector<std::string>& args);
// `taskFile` is the task file used without --task-file.
int RunCheckCommand(const std::vector<std::string>& args, const std::string& taskFile, std::ostream& out,
                    std::ostream& err);

}  // namespace ravx
