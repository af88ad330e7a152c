// libFuzzer target: the list reader against the reading rules written for
// clarity, the same bytes fed in blocks, and the export of a few prefectures
// against the rows. Build with -DDOZUZEZO_FUZZ=ON (clang); run scripts/fuzz.sh.
#include "ReferenceReader.h"
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
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
