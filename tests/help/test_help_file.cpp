// The built help file: its topics, what it must mention, and every example
// program in it run through ravx-run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "machine/Host.h"
#include "mainwindow/FileCommands.h"
#include "mainwindow/ProgramFile.h"
#include "mainwindow/TaskCheck.h"

namespace {

constexpr int kDefaultPort = 0x2A;
constexpr int kDefaultInterruptAddress = 100;

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

const std::string& helpText()
{
    static const std::string text = readFile(RAVX_HELP_FILE);
    return text;
}

std::vector<int> contextIds(const std::string& text)
{
    static const std::regex id(R"re(id="context-(\d+)")re");
    std::vector<int> ids;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), id); it != std::sregex_iterator(); ++it)
        ids.push_back(std::stoi((*it)[1]));
    return ids;
}

bool mentionsWord(const std::string& word)
{
    const std::regex whole("(^|[^A-Za-z0-9_])" + word + "([^A-Za-z0-9_]|$)");
    return std::regex_search(helpText(), whole);
}

std::string unescapeHtml(std::string s)
{
    static const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}};
    for (const auto& [from, to] : entities)
        for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + 1))
            s.replace(at, std::string_view(from).size(), to);
    return s;
}

std::string attribute(const std::string& attrs, const std::string& name)
{
    const std::regex re(name + R"re(="([^"]*)")re");
    std::smatch m;
    return std::regex_search(attrs, m, re) ? std::string(m[1]) : std::string();
}

std::vector<std::string> split(const std::string& text, char sep)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, sep))
        parts.push_back(part);
    return parts;
}

std::string trim(const std::string& s)
{
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// One example: `<pre class="example" data-steps="N" ...>` with one statement a
// line; text after ";" goes to the comment column.
struct Example {
    int number = 0;
    std::string attrs;
    std::string body;
    std::string before;  // the text of the help just before the example
};

std::vector<Example> examples()
{
    static const std::regex pre(R"re(<pre class="example"([^>]*)>([\s\S]*?)</pre>)re");
    std::vector<Example> found;
    const std::string& text = helpText();
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pre); it != std::sregex_iterator(); ++it) {
        constexpr std::ptrdiff_t kBefore = 1200;  // a paragraph or two
        const std::ptrdiff_t start = std::max<std::ptrdiff_t>(0, it->position() - kBefore);
        found.push_back({static_cast<int>(found.size()) + 1, (*it)[1], unescapeHtml((*it)[2]),
                         text.substr(static_cast<size_t>(start), static_cast<size_t>(it->position() - start))});
    }
    return found;
}

struct RunResult {
    int steps = -1;
    std::string stop;
    std::multiset<int> errorCodes;
    QJsonObject state;  // the runner's whole --json answer
};

// A value of the runner's answer by a dotted path: "ax", "ram.20" (a cell
// the answer leaves out is 0), "controller.displayRam.3", "indicators.0.6"
// (a cell's text). Undefined when the path leads nowhere.
QJsonValue valueAt(const QJsonObject& state, const std::string& path)
{
    QJsonValue v = state;
    const auto parts = split(path, '.');
    for (size_t i = 0; i < parts.size(); ++i) {
        const QString part = QString::fromStdString(parts[i]);
        if (v.isObject()) {
            const QJsonObject o = v.toObject();
            if (!o.contains(part))
                return i > 0 && parts[i - 1] == "ram" ? QJsonValue(0) : QJsonValue(QJsonValue::Undefined);
            v = o.value(part);
        } else if (v.isArray()) {
            bool ok = false;
            const int index = part.toInt(&ok);
            if (!ok || index < 0 || index >= v.toArray().size())
                return QJsonValue(QJsonValue::Undefined);
            v = v.toArray().at(index);
        } else {
            return QJsonValue(QJsonValue::Undefined);
        }
    }
    return v;
}

// "7", "0fh", "1234h": the help's way of writing numbers.
long long numberOf(std::string text)
{
    if (!text.empty() && (text.back() == 'h' || text.back() == 'H'))
        return std::stoll(text.substr(0, text.size() - 1), nullptr, 16);
    return std::stoll(text);
}

// The example's program. With data-rows="numbered" every line starts with
// its row address ("0A0 push ax"), as the worked task examples show it.
ravx::Program programOf(const Example& ex)
{
    ravx::Program program;
    const bool numbered = attribute(ex.attrs, "data-rows") == "numbered";
    const auto lines = split(ex.body, '\n');
    int row = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i == 0 && lines[i].empty())
            continue;  // the line break right after <pre>
        std::string line = lines[i];
        if (numbered) {
            if (trim(line).empty())
                continue;
            row = std::stoi(line.substr(0, 3), nullptr, 16);
            line = line.substr(3);
        }
        if (row >= ravx::kStatementRows)
            break;
        const auto semicolon = line.find(';');
        program.rows[row].statement = trim(line.substr(0, semicolon));
        if (semicolon != std::string::npos)
            program.rows[row].comment = trim(line.substr(semicolon + 1));
        ++row;
    }
    return program;
}

// data-tables="zg1 0C:39 0A:77; kg 00:3F": the firmware the example needs,
// written as a dump; empty when it needs none.
std::string firmwareOf(const Example& ex, const std::filesystem::path& dir)
{
    const std::string tables = attribute(ex.attrs, "data-tables");
    if (tables.empty())
        return {};
    ravx::NullHost host;
    ravx::Simulator sim(host);
    for (const auto& table : split(tables, ';')) {
        std::istringstream in(table);
        std::string name;
        in >> name;
        for (std::string item; in >> item;) {
            const auto index = std::stoul(item.substr(0, item.find(':')), nullptr, 16);
            const auto value = static_cast<uint8_t>(std::stoul(item.substr(item.find(':') + 1), nullptr, 16));
            if (name == "zg1")
                sim.ravx.Zg1.at(index) = value;
            else if (name == "zg3")
                sim.ravx.Zg3.at(index) = value;
            else if (name == "zg4")
                sim.ravx.Zg4.at(index) = value;
            else if (name == "kg")
                sim.ravx.Kg.at(index) = value;
            else
                ADD_FAILURE() << "unknown table " << name;
        }
    }
    const auto dump = dir / ("example" + std::to_string(ex.number) + ".dmp");
    ravx::SaveFirmware(sim, dump.string());
    return dump.string();
}

uint16_t interruptOf(const Example& ex)
{
    const std::string ppop = attribute(ex.attrs, "data-ppop");
    return ppop.empty() ? kDefaultInterruptAddress : static_cast<uint16_t>(std::stoi(ppop, nullptr, 16));
}

RunResult runExample(const Example& ex, const std::filesystem::path& dir)
{
    const ravx::Program program = programOf(ex);
    const auto prg = dir / ("example" + std::to_string(ex.number) + ".prg");
    ravx::WriteProgramFile(prg.string(), program, interruptOf(ex), kDefaultPort);

    std::string command = std::string(RAVX_RUNNER) + " --json --seed 1 --steps " + attribute(ex.attrs, "data-steps");
    if (const std::string dump = firmwareOf(ex, dir); !dump.empty())
        command += " --firmware " + dump;
    const std::string events = attribute(ex.attrs, "data-events");
    if (!events.empty()) {
        const auto path = dir / ("example" + std::to_string(ex.number) + ".events");
        std::ofstream out(path);
        for (const auto& line : split(events, ';'))
            out << trim(line) << '\n';
        command += " --events " + path.string();
    }
    for (const auto& option : split(attribute(ex.attrs, "data-options"), ' '))
        if (!option.empty())
            command += " " + option;
    const auto json = dir / ("example" + std::to_string(ex.number) + ".json");
    command += " " + prg.string() + " > " + json.string();
    RunResult result;
    if (std::system(command.c_str()) != 0)
        return result;
    const std::string out = readFile(json.string());
    result.state = QJsonDocument::fromJson(QByteArray::fromStdString(out)).object();
    std::smatch m;
    if (std::regex_search(out, m, std::regex(R"re("steps": (\d+))re")))
        result.steps = std::stoi(m[1]);
    if (std::regex_search(out, m, std::regex(R"re("stop": "(\w+)")re")))
        result.stop = m[1];
    static const std::regex code(R"re("code": (\d+))re");
    for (auto it = std::sregex_iterator(out.begin(), out.end(), code); it != std::sregex_iterator(); ++it)
        result.errorCodes.insert(std::stoi((*it)[1]));
    return result;
}

TEST(HelpFile, HasContextsOneAndSevenAndUniqueIds)
{
    ASSERT_FALSE(helpText().empty()) << RAVX_HELP_FILE;
    const auto ids = contextIds(helpText());
    const std::set<int> unique(ids.begin(), ids.end());
    EXPECT_EQ(unique.size(), ids.size()) << "a context id is used twice";
    EXPECT_TRUE(unique.count(1));
    EXPECT_TRUE(unique.count(7));
}

TEST(HelpFile, EveryTopicIsLinkedFromTheContentsAndEveryLinkResolves)
{
    const auto ids = contextIds(helpText());
    const std::set<int> known(ids.begin(), ids.end());
    static const std::regex link(R"re(href="#context-(\d+)")re");
    std::set<int> linked;
    const std::string& text = helpText();
    for (auto it = std::sregex_iterator(text.begin(), text.end(), link); it != std::sregex_iterator(); ++it) {
        const int target = std::stoi((*it)[1]);
        EXPECT_TRUE(known.count(target)) << "link to a missing topic " << target;
        linked.insert(target);
    }
    for (int id : known)
        EXPECT_TRUE(linked.count(id) || id == 2) << "topic " << id << " is not linked";
}

TEST(HelpFile, MentionsEveryMnemonicProcedureAndCommandWord)
{
    const char* words[] = {
        "LOOP",     "TEST",      "XLAT",         "RESET",       "IN",   "OUT",      "MOV",      "JMP",   "JE",
        "JZ",       "JA",        "JB",           "JNA",         "JNB",  "JNE",      "JNZ",      "CMP",   "PUSH",
        "POP",      "PUSHF",     "POPF",         "ADD",         "SUB",  "DEC",      "INC",      "CALL",  "RET",
        "IRET",     "AND",       "OR",           "XOR",         "NOT",  "SHL",      "SHR",      "ROL",   "ROR",
        "INTCALL",  "CLI",       "STI",          "NOP",         "BEEP", "CLEARMEM", "COPY_OZU", "COMPS", "COMPARE",
        "INTTOSTR", "COPY_MOZU", "COPY_ALLMOZU", "GET_KOL_DAT", "CW0",  "CW1",      "CW2",      "CW3",   "CW4",
        "CW5",      "CW6",       "CW7"};
    for (const char* word : words)
        EXPECT_TRUE(mentionsWord(word)) << word;
}

TEST(HelpFile, DescribesEveryRunTimeErrorWithItsHeadline)
{
    const char* headlines[] = {
        "Число слишком велико для данного формата",
        "Указан неверный формат числа",
        "Использован неверный регистр при индексной адресации",
        "Пересылка типа память-память",
        "Попытка обращения за границу ОЗУ",
        "Попытка записи в ОЗУ только для чтения",
        "Неверный регистр при операции ввода/вывода",
        "Несовместимые типы операндов",
        "Отсутствует команда",
        "Неизвестная команда",
        "Не указан приемник результата",
        "Слишком большое число",
        "Неверный адрес начала ППОП",
        "Слишком большое число",
        "Переполнение стека",
        "Стек пуст",
        "Ошибка при вызове процедуры",
        "Слишком большое число",
        "Неизвестный приемник данных",
        "Указаны не все операнды",
        "Чтение из пустого М-ОЗУ",
    };
    const std::string& text = helpText();
    for (int code = 1; code <= 21; ++code) {
        const std::string anchor = "id=\"error-" + std::to_string(code) + "\"";
        const auto at = text.find(anchor);
        ASSERT_NE(at, std::string::npos) << "error " << code << " has no entry";
        const auto next = text.find("id=\"error-", at + anchor.size());
        const std::string entry = text.substr(at, next == std::string::npos ? std::string::npos : next - at);
        EXPECT_NE(entry.find(headlines[code - 1]), std::string::npos) << "error " << code;
    }
}

TEST(HelpFile, EveryExampleRunsWithExactlyTheErrorsItAnnounces)
{
    const auto all = examples();
    ASSERT_GE(all.size(), 10u);
    const auto dir = std::filesystem::temp_directory_path() / ("ravx-help-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    for (const auto& ex : all) {
        SCOPED_TRACE("example " + std::to_string(ex.number) + ":\n" + ex.body);
        const std::string stepsText = attribute(ex.attrs, "data-steps");
        ASSERT_FALSE(stepsText.empty()) << "no data-steps";
        const RunResult run = runExample(ex, dir);
        // an example that needs another interrupt routine address says so
        if (const std::string ppop = attribute(ex.attrs, "data-ppop"); !ppop.empty()) {
            EXPECT_NE(ex.before.find("«Адрес начала ППОП:» " + ppop), std::string::npos)
                << "the text never asks for it";
        }
        std::set<int> announced;
        for (const auto& code : split(attribute(ex.attrs, "data-errors"), ' '))
            if (!code.empty())
                announced.insert(std::stoi(code));
        const std::set<int> reported(run.errorCodes.begin(), run.errorCodes.end());
        EXPECT_EQ(reported, announced);
        if (announced.empty() || announced == std::set<int>{21}) {
            EXPECT_EQ(run.steps, std::stoi(stepsText));
            EXPECT_EQ(run.stop, "steps");
        }
        // what the comments announce, as data-expect="ax=3 ram.20=5" says it;
        // an example that shows no error announces values
        if (announced.empty()) {
            EXPECT_FALSE(attribute(ex.attrs, "data-expect").empty()) << "no data-expect";
        }
        for (const auto& item : split(attribute(ex.attrs, "data-expect"), ' ')) {
            if (item.empty())
                continue;
            const auto eq = item.find('=');
            ASSERT_NE(eq, std::string::npos) << item;
            const QJsonValue value = valueAt(run.state, item.substr(0, eq));
            const std::string expected = item.substr(eq + 1);
            if (value.isString())
                EXPECT_EQ(value.toString().toStdString(), expected) << item;
            else if (value.isDouble())
                EXPECT_EQ(value.toInteger(), numberOf(expected)) << item;
            else
                ADD_FAILURE() << "no value at " << item;
        }
    }
    std::filesystem::remove_all(dir);
}

// A worked example of the tasks topic, data-task="2:game", solves that task
// by the checker, with the settings its data-options give.
TEST(HelpFile, EveryWorkedTaskExampleSolvesItsTask)
{
    using namespace ravx::training;
    std::ifstream in(RAVX_TASK_FILE, std::ios::binary);
    const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::map<std::string, TaskKind> kinds = {{"standard", TaskKind::Standard},
                                                   {"game", TaskKind::Game},
                                                   {"game-psoo", TaskKind::GameWithPsoo},
                                                   {"strobe", TaskKind::Strobed},
                                                   {"analysis", TaskKind::SensorAnalysis}};
    const auto dir = std::filesystem::temp_directory_path() / ("ravx-help-task-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::set<TaskKind> shown;
    for (const auto& ex : examples()) {
        const std::string task = attribute(ex.attrs, "data-task");
        if (task.empty())
            continue;
        SCOPED_TRACE("example " + std::to_string(ex.number) + " for task " + task);
        const auto colon = task.find(':');
        const auto terms = ReadTaskTerms(file, std::stoi(task.substr(0, colon)), kinds.at(task.substr(colon + 1)));
        ASSERT_TRUE(terms);
        shown.insert(terms->kind);
        const std::string options = attribute(ex.attrs, "data-options");
        GeneratorSetup setup;
        if (const auto zg = options.find("--zg "); zg != std::string::npos)
            setup.generator = options[zg + 5] - '0';
        setup.codeGenerator = options.find("--kg") != std::string::npos;
        const std::string dump = firmwareOf(ex, dir);
        const ProgramLoader load = [&](ravx::Simulator& sim) {
            sim.program = programOf(ex);
            sim.m.InterruptAddress = interruptOf(ex);
            if (!dump.empty())
                ravx::LoadFirmware(sim, dump);
        };
        const CheckVerdict v = CheckSolution(load, *terms, setup);
        EXPECT_TRUE(v.solved) << v.reason;
    }
    EXPECT_EQ(shown.size(), 5u) << "one worked example per kind";
    std::filesystem::remove_all(dir);
}

}  // namespace
