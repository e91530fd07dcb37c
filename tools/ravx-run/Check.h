// The teacher's check of students' solutions from the command line:
//
//   ravx-run --check N:KIND [--csv FILE] [--similar] [--task-file FILE] FILE.prg...
//   ravx-run --check-list LIST.csv [--csv FILE] [--similar] [--task-file FILE]
//
// --check checks every program against task N in KIND; --check-list checks
// each file of a class list against its own task (tools/ravx-run/CheckList.h).
// A firmware dump of the same name (FILE.dmp) beside a program is loaded with
// it. A file that is not a whole program, or whose dump is not a whole dump,
// is not run: its verdict is "не прочитано" with the reason.
//
// Standard output: one tab-separated line per file (FILE, verdict, reason;
// with --check-list FILE, TASK, KIND, verdict, reason), then a summary line
// per task and kind (with --check-list also a total). --csv writes the same
// rows as CSV. --similar adds the pairs of programs whose statements match
// closely (training/Similarity.h), highest first, and with --csv writes them
// to FILE-similar.csv as well.
//
// Exit status 0 when every file solves its task, 1 when some file does not or
// could not be read, 2 for a usage error (a bad option or list line, a task
// file or CSV that cannot be read or written).
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace ravx {

// Whether the arguments ask for the check rather than a run.
bool IsCheckCommand(const std::vector<std::string>& args);
// `taskFile` is the task file used without --task-file.
int RunCheckCommand(const std::vector<std::string>& args, const std::string& taskFile, std::ostream& out,
                    std::ostream& err);
// The name of the second CSV of --similar beside the table's: "class.csv"
// gives "class-similar.csv", "table" gives "table-similar.csv".
std::string SimilarCsvName(const std::string& csv);

// The usage lines of the check, for --help and the usage errors.
std::string CheckUsage();

}  // namespace ravx
