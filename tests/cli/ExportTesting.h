#pragma once
// The command-line export's test fixtures: a small list in a fresh folder,
// the export run in this process, and the real program run as users run it.
#include "cli/ExportCommand.h"
#include "tests/postal/ListLines.h"
#include "tests/support/System.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sstream>

struct Outcome
{
    int code;
    std::string out, err;
};

class ExportCommand : public testing::Test
{
protected:
    testsupport::TempDir dir;
    std::string tokyo = testlines::line("13101", "千代田", "東京都");
    std::string kanagawa = testlines::line("14101", "鶴見", "神奈川県");
    std::filesystem::path list = dir / "KEN_ALL.CSV";
    std::filesystem::path out = dir / "out.csv";
    std::optional<std::string> settingsUnread; // why the settings name no list

    void SetUp() override
    {
        testsupport::writeFile(list, testlines::line("01101") + tokyo + kanagawa + testlines::line("47201"));
    }

    // The export in this process; without -l, `list` is the one the settings name.
    Outcome run(std::vector<std::string> args)
    {
        std::ostringstream o, e;
        const int code = cli::runExport(
            args,
            [this](std::string& why) -> std::optional<std::filesystem::path> {
                if (settingsUnread)
                    return why = *settingsUnread, std::nullopt;
                return list;
            },
            o, e);
        return {code, o.str(), e.str()};
    }

    // The real program, in the test folder.
    Outcome program(const std::vector<std::string>& args, const std::vector<std::string>& environment = {})
    {
        const testsupport::ProgramRun r = testsupport::runProgram(DOZUZEZO_EXPORT_EXE, args, dir.path(), environment);
        return {r.status, r.out, r.err};
    }
    std::vector<std::string> entries() const { return testsupport::entries(dir.path()); }
};
