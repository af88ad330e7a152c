#include "ExportCommand.h"

#include "postal/Catalogue.h"
#include "postal/ListFile.h"
#include "postal/PostalList.h"
#include "platform/FileSystem.h"
#include "platform/SafeFileWriter.h"

#include <new>
#include <ostream>

namespace cli {

namespace {

constexpr const char* kProgram = "dozuzezo-export";

class StreamSink : public postal::ByteSink
{
public:
    explicit StreamSink(std::ostream& out) : out_(out) {}
    bool write(std::string_view bytes) override
    {
        out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return static_cast<bool>(out_);
    }

private:
    std::ostream& out_;
};

// "-" and the names of the open standard output: written through `out`,
// so a shell's >> keeps appending.
bool writesStandardOutput(const std::filesystem::path& output)
{
    const std::u8string generic = output.generic_u8string();
    const std::string text(generic.begin(), generic.end());
    return text == "-" || text == "/dev/stdout" || text == "/dev/fd/1" || text == "/proc/self/fd/1";
}

} // namespace

std::string usage()
{
    return std::string("使い方: ") + kProgram +
           " [-l 一覧ファイル | -j] -o 保存ファイル 都道府県...\n"
           "\n"
           "全国版郵便番号一覧 (KEN_ALL.CSV) または事業所の個別郵便番号 (JIGYOSYO.CSV) から\n"
           "指定した都道府県の行だけを、一覧の順のまま同じ形式で保存ファイルに書き出します。\n"
           "どちらの一覧かは 1 行目の項目の数 (15 個か 13 個) で決まります。\n"
           "\n"
           "都道府県: JIS コード (13 または 1～47) か名前 (東京都、東京)。複数指定できます。\n"
           "  -a, --all            47 都道府県すべて\n"
           "  -l, --list ファイル  読み込む一覧 (省略時は各種設定の ken_all.csv 保存先の一覧)。\n"
           "                       その名前のファイルがなければ、大文字と小文字だけが違う\n"
           "                       ファイル (KEN_ALL.CSV など) を読み込みます。\n"
           "                       zip 書庫 (ken_all.zip、jigyosyo.zip) は展開せずにそのまま読めます。\n"
           "                       省略時、保存先に一覧がなく ken_all.zip があれば、その中の\n"
           "                       一覧を読み込みます。\n"
           "  -j, --jigyosyo       -l がなければ、ken_all.csv 保存先の事業所の一覧 (JIGYOSYO.CSV、\n"
           "                       なければ jigyosyo.zip) を読み込みます。\n"
           "  -o, --output ファイル 保存ファイル (- は標準出力)。一覧をすべて読み込んで確かめてから\n"
           "                       書き出し、既存のファイルはすべて書き終えてから置き換えます。\n"
           "                       読み取り専用のファイルは上書きしません。\n"
           "  -h, --help           この説明\n"
           "      --version        版数を表示\n"
           "\n"
           "終了コード: 0 成功, 2 引数の誤り, 3 一覧を読み込めない, 4 保存できない\n";
}

std::optional<ExportArgs> parseArgs(const std::vector<std::string>& args, std::string& error)
{
    ExportArgs result;
    bool haveOutput = false;
    bool anyChosen = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](const char* what) -> std::optional<std::string> {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                error = a + " の後に" + what + "を指定して下さい。";
                return std::nullopt;
            }
            return args[++i];
        };
        if (a == "-h" || a == "--help" || a == "--version") {
            (a == "--version" ? result.version : result.help) = true;
            return result;
        } else if (a == "-a" || a == "--all") {
            result.chosen = postal::PrefectureSet::all();
            anyChosen = true;
        } else if (a == "-j" || a == "--jigyosyo") {
            result.business = true;
        } else if (a == "-l" || a == "--list") {
            auto v = value("一覧ファイル");
            if (!v)
                return std::nullopt;
            result.list = std::filesystem::path(std::u8string(v->begin(), v->end()));  // UTF-8, as main passes it
        } else if (a == "-o" || a == "--output") {
            auto v = value("保存ファイル");
            if (!v)
                return std::nullopt;
            result.output = std::filesystem::path(std::u8string(v->begin(), v->end()));
            haveOutput = true;
        } else if (a.size() > 1 && a[0] == '-') {
            error = "不明なオプション " + a + " です。";
            return std::nullopt;
        } else {
            auto index = postal::findPrefecture(a);
            if (!index) {
                error = "「" + a + "」は都道府県の名前でも JIS コード (1～47) でもありません。";
                return std::nullopt;
            }
            result.chosen.add(postal::jisCode(*index));
            anyChosen = true;
        }
    }
    if (!anyChosen) {
        error = "保存する都道府県が指定されていません。";
        return std::nullopt;
    }
    if (!haveOutput) {
        error = "保存ファイルを -o で指定して下さい。";
        return std::nullopt;
    }
    return result;
}

namespace {

// The help or the version: a failed write to standard output is a failure
// like any other.
int print(const std::string& text, std::ostream& out, std::ostream& err)
{
    if (!(out << text).flush()) {
        err << kProgram << ": 標準出力に書き込めませんでした。\n";
        return WriteError;
    }
    return Ok;
}

int exportAsAsked(const std::vector<std::string>& args, const DefaultList& defaultList, std::ostream& out,
                  std::ostream& err, bool& writing)
{
    std::string problem;
    auto parsed = parseArgs(args, problem);
    if (!parsed) {
        err << kProgram << ": " << problem << "\n" << kProgram << " --help で使い方を表示します。\n";
        return UsageError;
    }
    if (parsed->help)
        return print(usage(), out, err);
    if (parsed->version)
        return print(std::string(kProgram) + " (vevoz君) " DOZUZEZO_VERSION "\n", out, err);
    std::optional<std::filesystem::path> asked = parsed->list;
    if (!asked) {
        asked = defaultList(problem);
        if (!asked) {
            err << kProgram << ": " << problem << "\n";
            return ListError;
        }
    }
    // The same finding as the window's: KEN_ALL.CSV for ken_all.csv, and
    // ken_all.zip where the settings' folder holds no list; with -j,
    // JIGYOSYO.CSV or jigyosyo.zip in that folder. A list named with -l is
    // read as named (an archive when it is one).
    const platform::FoundFile found = parsed->list       ? platform::findFileIgnoringCase(asked->parent_path(), asked->filename())
                                      : parsed->business ? platform::findBusinessList(asked->parent_path())
                                                         : platform::findList(asked->parent_path(), asked->filename());
    if (const std::string note = platform::caseChoiceNote(found); !note.empty())
        err << kProgram << ": " << note << "\n";
    // An unzipped list whose chosen rows already are export lines, into a
    // file: read and checked in chunks on two processors, without a row
    // each, then those rows written as they stand, so that --all costs
    // little more than a copy. Anything else, and any fault, goes the way
    // below.
    if (!writesStandardOutput(parsed->output) && found.found && !found.archive &&
        !platform::looksLikeZip(found.path) && postal::plainFileLayout(found.path) == postal::Layout::Nationwide) {
        if (const auto checked = postal::checkListFile(found.path)) {
            writing = true;
            if (const auto written = postal::exportCheckedList(*checked, parsed->chosen, parsed->output)) {
                if (written->error) {
                    err << kProgram << ": 保存できませんでした: " << written->error->reason() << "\n";
                    return WriteError;
                }
                return Ok;
            }
            writing = false;
        }
    }
    // Read and checked whole first: nothing reaches the target or a pipe
    // from a refused list.
    const postal::ListFileLoad loaded = postal::loadAnyListFile(found);
    if (!loaded) {
        err << kProgram << ": 一覧「" << platform::pathText(loaded.file) << "」";
        if (!loaded.entry.empty())
            err << "の「" << loaded.entry << "」";
        err << "を読み込めません: " << loaded.problem() << "\n";
        return ListError;
    }
    writing = true;
    if (writesStandardOutput(parsed->output)) {
        StreamSink sink(out);
        const bool written = loaded.business ? postal::writeBusinessSelection(*loaded.business, parsed->chosen, sink)
                                             : postal::writeSelection(*loaded.list, parsed->chosen, sink);
        if (!written || !out.flush()) {
            err << kProgram << ": 標準出力に書き込めませんでした。\n";
            return WriteError;
        }
        return Ok;
    }
    // A pipe nobody reads yet is waited for, as a shell's redirection waits.
    const auto writeError =
        loaded.business
            ? postal::exportBusinessList(*loaded.business, parsed->chosen, parsed->output, platform::PipeReader::Wait)
            : postal::exportToFile(*loaded.list, parsed->chosen, parsed->output, platform::PipeReader::Wait);
    if (writeError) {
        err << kProgram << ": 保存できませんでした: " << writeError->reason() << "\n";
        return WriteError;
    }
    return Ok;
}

} // namespace

int runExport(const std::vector<std::string>& args, const DefaultList& defaultList,
              std::ostream& out, std::ostream& err)
{
    bool writing = false;
    try {
        return exportAsAsked(args, defaultList, out, err, writing);
    } catch (const std::bad_alloc&) {
        err << kProgram << ": メモリが不足しています（" << (writing ? "保存中" : "一覧の読み込み中") << "）。\n";
        return writing ? WriteError : ListError;
    }
}

} // namespace cli
