// The report of "Генерация отчета": the program listing (a framed table of
// the statement rows) and the state report (indicator rows, dumps of the
// generators and memories, the command words). Both are built here as the
// exact bytes of the file; the window only asks for the names and shows the
// save dialogs.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "controller/FrontPanel.h"
#include "controller/Timer_state.h"
#include "machine/_Asm.h"
#include "mainwindow/Program.h"

namespace ravx {

class Simulator;

// The check marks of the report options menu; they last as long as the
// program runs.
struct ReportOptions {
    bool PrgP = true;    // "Текст программы"
    bool DosP = false;   // "Конвертация в ДОС"
    bool Utf8P = false;  // "UTF-8": both files wholly in UTF-8, the frame in box-drawing characters
    bool OtchC = true;   // "Отчет"; when off the content items are greyed
    bool ZGP = true;    // "Содержимое ЗГ"
    bool KGP = true;    // "Содержимое КГ"
    bool OZUP = true;   // "Содержимое ОЗУ данных"
    bool OZUiP = true;  // "Содержимое ОЗУ индикации"
    bool MOZUP = true;  // "Содержимое МОЗУ"
    bool CWP = true;    // "Управляющие слова"

    friend bool operator==(const ReportOptions&, const ReportOptions&) = default;
};

// One line of the options menu, in menu order. A separator has no caption
// and no mark; a content item is greyed while "Отчет" is unchecked. An item
// that excludes another unchecks it when it is checked itself.
struct ReportOptionItem {
    std::string_view caption;
    bool ReportOptions::*mark;
    bool content;
    bool ReportOptions::*excludes = nullptr;
};
extern const std::array<ReportOptionItem, 12> kReportOptionItems;

// A click on item `index` of the menu: its mark toggles, and checking
// "Конвертация в ДОС" or "UTF-8" unchecks the other (a file has one code
// page). Separators do nothing.
void ToggleReportOption(ReportOptions& options, std::size_t index);

// The code page of both files. With "UTF-8" checked it wins, should a caller
// have checked "Конвертация в ДОС" too.
enum class ReportCoding {
    Windows,  // texts in Windows-1251, the listing's frame in 866
    Dos,      // everything in 866 ("Конвертация в ДОС")
    Utf8,     // everything in UTF-8, the frame in box-drawing characters
};
ReportCoding CodingOf(const ReportOptions& options);

// The two files of the report, in the order they are written.
enum class ReportFile { Listing, State };

// Which files the options ask for; empty when neither, so no dialog shows.
std::vector<ReportFile> ReportFiles(const ReportOptions& options);

// What the save dialog is set to for each file: its title names what is
// saved, its filter the kind of file.
struct ReportDialog {
    std::string_view title;
    std::string_view filter;
    std::string_view defaultExtension;
};
ReportDialog ReportDialogFor(ReportFile file);

// Each report's dialog suggests a name of its own kind, never another kind's
// file (a listing offered over the program just saved would replace it): the
// last file's folder, its name up to the name's first "." ("Default" when the
// name is empty or blank), and the report's extension (".txt", ".otc").
std::string SuggestedReportName(ReportFile file, const std::string& lastName);

// What the state report reads, as plain records, so any state can be
// reported (and fuzzed) without a running machine.
struct ReportSources {
    const Program& program;
    const FrontPanel& panel;
    const RavxState& controller;
    const MachineState& machine;
};
ReportSources ReportSourcesOf(const Simulator& sim);

// The bytes of each file, lines ended by CR LF.
std::string ProgramListing(const Program& program, const ReportOptions& options);
std::string StateReport(const ReportSources& sources, const ReportOptions& options);
std::string ReportBytes(ReportFile file, const ReportSources& sources, const ReportOptions& options);

// Writes one file of the report; a failed write leaves any old file at path
// as it was. Throws FileError.
void WriteReport(ReportFile file, const std::string& path, const ReportSources& sources, const ReportOptions& options);

// The DOS conversion of a UTF-8 text: as the Windows-1251 file would hold it,
// then in code page 866, one byte per character. Characters 866 lacks become
// a look-alike (quotes, dashes, Ukrainian and Serbian letters with a Latin
// twin) or "?".
std::string ToDosText(std::string_view utf8);

}  // namespace ravx
