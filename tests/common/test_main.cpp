// Entry of every test executable: GoogleTest, and the result of the run for the harness that
// started it (run_test.sh), which passes an area on that result alone.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdio.h>
#include <string>

namespace {

// The file that run_test.sh names for this run's result. The name leaves the environment at once:
// a run of this program that a test starts (on another screen, say) must never report for the run
// ctest started, so only that one writes a result.
std::wstring TakeResultFile()
{
    const wchar_t* kName = L"TEST_RESULT_FILE";
    wchar_t path[MAX_PATH * 2] = L"";
    const DWORD length = ::GetEnvironmentVariableW(kName, path, MAX_PATH * 2);
    ::SetEnvironmentVariableW(kName, nullptr);
    return length > 0 && length < MAX_PATH * 2 ? std::wstring(path, length) : std::wstring();
}

// One line of counts, then a line for each skipped test with what it said of why.
void WriteResult(const std::wstring& path, const std::string& program)
{
    const testing::UnitTest& unit = *testing::UnitTest::GetInstance();
    std::string skips;
    for (int s = 0; s < unit.total_test_suite_count(); ++s) {
        const testing::TestSuite& suite = *unit.GetTestSuite(s);
        for (int t = 0; t < suite.total_test_count(); ++t) {
            const testing::TestInfo& test = *suite.GetTestInfo(t);
            if (!test.should_run() || !test.result()->Skipped())
                continue;
            std::string why;
            for (int p = 0; p < test.result()->total_part_count(); ++p)
                if (test.result()->GetTestPartResult(p).skipped())
                    why += test.result()->GetTestPartResult(p).message();
            for (char& c : why)
                if (c == '\n' || c == '\r')
                    c = ' ';
            skips += std::string("skipped ") + suite.name() + "." + test.name() + ": " + why + "\n";
        }
    }
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file)
        return;
    fprintf(file, "result %s ran %d passed %d failed %d skipped %d\n%s", program.c_str(), unit.test_to_run_count(),
            unit.successful_test_count(), unit.failed_test_count(), unit.skipped_test_count(), skips.c_str());
    fclose(file);
}

std::string ProgramName(const char* argv0)
{
    std::string name = argv0 ? argv0 : "";
    const size_t slash = name.find_last_of("\\/");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

}  // namespace

int main(int argc, char** argv)
{
    const std::wstring resultFile = TakeResultFile();
    const std::string program = ProgramName(argc > 0 ? argv[0] : nullptr);
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    fflush(stdout);
    if (!resultFile.empty())
        WriteResult(resultFile, program);
    return result;
}
