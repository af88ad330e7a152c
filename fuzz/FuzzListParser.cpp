// libFuzzer target: the list reader against the reading rules written for
// clarity, the same bytes fed in blocks, and the export of a few prefectures
// against the rows; the business-office list's reader and export likewise. Build with -DDOZUZEZO_FUZZ=ON (clang); run scripts/fuzz.sh.
#include "ReferenceReader.h"
#include "postal/BusinessList.h"
#include "postal/Export.h"
#include "postal/ListParser.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

class StringSink : public postal::ByteSink
{
public:
    bool write(std::string_view bytes) override
    {
        out += bytes;
        return true;
    }
    std::string out;
};

void check(bool ok)
{
    if (!ok)
        std::abort();
}

// The business-office list, as its first line tells: refused as the
// rules say, or its chosen lines written as read.
void checkBusiness(const std::string& bytes, const std::uint8_t* data, std::size_t size)
{
    const testref::RefBusinessResult want = testref::referenceBusinessRead(bytes);
    postal::BusinessList list;
    const std::optional<postal::LoadError> error = postal::parseBusinessList(bytes, list);
    check(static_cast<bool>(error) == static_cast<bool>(want.error));
    if (error) {
        check(error->kind == *want.error && error->line == want.line && error->field == want.field);
        return;
    }
    postal::PrefectureSet chosen;
    chosen.add(size > 1 ? data[1] % 47 + 1 : 13);
    chosen.add(47);
    StringSink sink;
    check(postal::writeBusinessSelection(list, chosen, sink));
    std::string expected;
    for (const auto& [code, line] : want.lines)
        if (chosen.contains(code))
            expected += line;
    check(sink.out == expected);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    int fields = 0;
    if (postal::layoutOf(bytes, fields) == postal::Layout::Business) {
        checkBusiness(bytes, data, size);
        return 0;
    }
    const testref::RefResult want = testref::referenceRead(bytes);
    const postal::LoadResult got = postal::PostalList::parse(bytes);
    check(static_cast<bool>(got) == !want.error);
    if (want.error) {
        check(got.error->kind == *want.error && got.error->line == want.line);
    } else {
        check(got.list->rowCount() == want.rows.size());
        for (std::size_t row = 0; row < want.rows.size(); ++row) {
            check(got.list->verbatim(row) == want.rows[row].verbatim);
            check(got.list->jisCode(row) == want.rows[row].code);
            for (int f = 1; f <= 15; ++f)
                check(got.list->field(row, f) == want.rows[row].fields[f - 1]);
        }
    }

    // In blocks whose size the first byte picks: the same outcome.
    const std::size_t block = size ? data[0] % 61 + 1 : 1;
    postal::ListParser parser;
    for (std::size_t at = 0; at < size; at += block) {
        const std::size_t n = std::min(block, size - at);
        std::memcpy(parser.room(n).data(), data + at, n);
        if (!parser.added(n))
            break;
    }
    const postal::LoadResult fed = parser.finish();
    check(static_cast<bool>(fed) == static_cast<bool>(got));
    if (!got) {
        check(fed.error->kind == got.error->kind && fed.error->line == got.error->line);
        return 0;
    }

    // A few prefectures into memory: the rows of those codes, in list order.
    postal::PrefectureSet chosen;
    const int first = size > 1 ? data[1] % 47 + 1 : 13;
    chosen.add(first);
    chosen.add(first % 47 + 1);
    chosen.add(47);
    StringSink sink;
    check(postal::writeSelection(*got.list, chosen, sink));
    std::string expected;
    for (std::size_t row = 0; row < got.list->rowCount(); ++row)
        if (chosen.contains(got.list->jisCode(row)))
            postal::appendExportLine(*got.list, row, expected);
    check(sink.out == expected);
    return 0;
}
