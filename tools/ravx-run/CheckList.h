// The class list of `ravx-run --check-list`: which task each student's file
// is checked against. One file a line, three fields separated by ";":
//
//   ivanov.prg;7;game
//   "petrov; 2 group.prg";12;game-psoo
//
// the file (relative to the list's folder, or absolute), the task number 1..22
// and the kind (standard, game, game-psoo, strobe, analysis, as --check takes
// it). Blanks around a field are dropped, a field may be quoted ("" inside
// quotes is a quote). Blank lines and lines starting with # are skipped, and
// so is a first line "file;task;kind" (a spreadsheet's header). A UTF-8
// byte-order mark and CR LF line ends are fine; a list that is not UTF-8 is
// read as Windows-1251, as spreadsheets on Windows save it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "training/TaskFile.h"

namespace ravx {

struct ListedFile {
    int line = 0;      // in the list, from 1
    std::string file;  // as the list names it
    int task = 0;
    training::TaskKind kind = training::TaskKind::Standard;
};

struct CheckList {
    std::vector<ListedFile> files;
    std::vector<std::string> errors;  // "LINE: what is wrong", one per bad line
};

CheckList ParseCheckList(std::string_view text);

// The kind's name on the command line and in the list ("game-psoo"), and back.
std::optional<training::TaskKind> KindNamed(std::string_view name);
std::string_view KindOptionName(training::TaskKind kind);

// A task number 1..22 written in decimal digits alone.
std::optional<int> TaskNumber(std::string_view text);

}  // namespace ravx
