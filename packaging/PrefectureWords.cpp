// Build-time helper: the words the shell completes for dozuzezo-export,
// "code name" per line, from the same catalogue the program reads.
#include "postal/Catalogue.h"

#include <cstdio>

int main()
{
    for (int i = 0; i < postal::kPrefectureCount; ++i)
        std::printf("%02d %.*s\n", postal::jisCode(i), static_cast<int>(postal::kPrefectures[i].name.size()),
                    postal::kPrefectures[i].name.data());
    return std::fflush(stdout) == 0 ? 0 : 1;
}
