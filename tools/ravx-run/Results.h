// The teacher's look at the test results from the command line, on the store
// the application itself uses (RAVX_RESULTS, else the configuration file: the
// lab's PostgreSQL server or a file; else the machine-wide or the user's
// file):
//
//   ravx-run --results [--csv FILE]   one line per record, newest first
//   ravx-run --results-purge          deletes the records older than ten days
//   ravx-run --results-import FILE.ini  moves the records of an embedded
//                                     store file into this store
//   ravx-run --results-setup --student-role ROLE
//                                     on the lab's server, as the teacher's
//                                     role: lets ROLE store and not read
//   ravx-run --set-teacher-password   the results window's password for a
//                                     lab on the embedded store
//
// Exit status 0, or 2 with one line on stderr for a bad option or a store
// that cannot be reached, read or written (a server's local stand-in is not
// used here: the teacher asked for the lab's records).
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace ravx {

// Whether the arguments ask for one of these commands rather than a run.
bool IsResultsCommand(const std::vector<std::string>& args);
// The password of --set-teacher-password comes from `in` (std::cin: from the
// terminal without echo when it is one).
int RunResultsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunResultsCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);

// The usage lines of these commands, for --help.
extern const char* const kResultsUsage;

}  // namespace ravx
