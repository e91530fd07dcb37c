// The builder of the task file: the shipped source gives the shipped file,
// and every mistake in a source is refused with the task and field named.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "tools/zadbuild/TaskSource.h"
#include "training/TaskFile.h"

namespace ravx::zadbuild {
namespace {

std::string Task(int n, const std::string& text = "(1)")
{
    return "task " + std::to_string(n) +
           "\n"
           "standard  order=high ram=7seg width=8 rows=1 kg=no\n"
           "game      order=low ram=keycode width=16 rows=1 kg=no\n"
           "game-psoo order=low ram=koi8 width=4 rows=1 kg=yes\n"
           "strobe    order=high ram=hex width=8 rows=2 kg=no\n"
           "analysis  order=high width=8 rows=2 md=yes\n"
           "text = " +
           text + "\np1 = П1\np2 =\nrow2 = 1;2\nppop = 064\ncpu = 2 МГц\npkki = 1 МГц\n";
}

std::string Source(int count)
{
    std::string s = "# a source\n";
    for (int n = 1; n <= count; ++n)
        s += Task(n);
    return s;
}

std::string ErrorOf(const std::string& source)
{
    std::istringstream in(source);
    try {
        BuildTaskFile(in);
    } catch (const SourceError& e) {
        return e.what();
    }
    return "";
}

std::string Replace(std::string s, const std::string& from, const std::string& to)
{
    auto at = s.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? s : s.replace(at, from.size(), to);
}

TEST(Zadbuild, TheShippedSourceGivesTheShippedFile)
{
    std::ifstream source(RAVX_TASK_SOURCE, std::ios::binary);
    std::ifstream built(RAVX_TASK_FILE, std::ios::binary);
    std::vector<uint8_t> expected{std::istreambuf_iterator<char>(built), std::istreambuf_iterator<char>()};
    EXPECT_EQ(BuildTaskFile(source), expected);
}

TEST(Zadbuild, PlacesEveryFieldAtItsOffset)
{
    std::istringstream in(Source(training::kTaskCount));
    std::vector<uint8_t> bytes = BuildTaskFile(in);
    ASSERT_EQ(bytes.size(), training::kTaskFileSize);
    const uint8_t* r = bytes.data() + 21 * training::kRecordSize;
    EXPECT_EQ(std::vector<uint8_t>(r, r + 24),
              (std::vector<uint8_t>{2, 1, 2, 1, 1, 3, 1, 1, 1, 2, 3, 1, 2, 4, 2, 2, 2, 2, 2, 0, 0, 1, 0, 1}));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(r + training::kIndicatorOffset)), "(1)");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(r + training::kP1Offset)), "\xCF\x31");  // П1 in 1251
    EXPECT_EQ(r[training::kP2Offset], 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(r + training::kPkkiClockOffset)), "1 \xCC\xC3\xF6");
}

TEST(Zadbuild, MistakesAreRefusedNamingTaskAndField)
{
    const std::string good = Source(training::kTaskCount);
    const std::string longest(99, '8');
    EXPECT_EQ(ErrorOf(Replace(good, "text = (1)", "text = " + longest)), "");
    const std::pair<std::string, std::string> cases[] = {
        {Replace(good, "text = (1)", "text = " + longest + "8"), "задание 1: поле text: текст длиной 100"},
        {Replace(good, "ppop = 064", "ppop = 0123456789"), "задание 1: поле ppop"},
        {Replace(good, "p1 = П1\n", ""), "задание 1: поле p1: нет в задании"},
        {Replace(good, "analysis  order=high width=8 rows=2 md=yes\n", ""), "поле analysis: нет в задании"},
        {Replace(good, "rows=2 md=yes", "rows=3 md=yes"), "задание 1: поле analysis: неверное значение rows=3"},
        {Replace(good, "ram=7seg", "ram=ascii"), "задание 1: поле standard: неверное значение ram=ascii"},
        {Replace(good, "kg=no\ngame ", "\ngame "), "поле standard: нет ключа kg"},
        {Replace(good, "md=yes", "md=yes kg=no"), "поле analysis: лишний ключ kg"},
        {Replace(good, "text = (1)", "text = (1)\ntext = 2"), "поле text: уже было в строке"},
        {Replace(good, "text = (1)", "text = ☺"), "поле text: символ вне кодовой страницы"},
        {Replace(good, "task 2\n", "task 3\n"), "ожидалось «task 2»"},
        {Source(21), "заданий 21, а должно быть 22"},
        {Source(22) + Task(23), "заданий больше 22"},
        {Replace(good, "cpu = 2", "clock = 2"), "неизвестное поле «clock»"},
    };
    for (const auto& [source, message] : cases) {
        std::string error = ErrorOf(source);
        EXPECT_NE(error.find(message), std::string::npos) << "expected: " << message << "\ngot: " << error;
        EXPECT_EQ(error.rfind("строка ", 0), 0u) << error;
    }
}

}  // namespace
}  // namespace ravx::zadbuild
