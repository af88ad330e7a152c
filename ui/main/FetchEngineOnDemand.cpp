// The fetch's network code as the shipped program has it: a module loaded at
// the first fetch, so that Qt's network library is not loaded at every start.
#include "FetchEngine.h"

#include "platform/PrivateModule.h"

namespace ui {

namespace {

constexpr const char* kModule = "dozuzezo-fetcher";

} // namespace

std::unique_ptr<FetchEngine> makeFetchEngine(FetchEngine::Reports reports, QString& why)
{
    using Create = FetchEngine* (*)(const FetchEngine::Reports*);
    std::string reason;
    const auto create =
        reinterpret_cast<Create>(platform::privateFunction(kModule, "dozuzezo_create_fetch_engine", reason));
    if (!create) {
        why = QStringLiteral("取得に使う部品を読み込めません（%1）。インストールし直して下さい。")
                  .arg(QString::fromStdString(reason));
        return nullptr;
    }
    return std::unique_ptr<FetchEngine>(create(&reports));
}

} // namespace ui
