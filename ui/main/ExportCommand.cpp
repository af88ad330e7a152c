#include "ExportCommand.h"

#include "CommonDialog.h"
#include "FetchCommand.h"
#include "ui/common/MessageBoxes.h"
#include "ui/common/PathText.h"

#include "postal/Export.h"
#include "postal/ListFile.h"
#include "state/Startup.h"

#include <QApplication>
#include <QCursor>
#include <algorithm>

namespace ui {

namespace {

struct BusyCursor
{
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

const QString kSaveTitle = QStringLiteral("保存確認");
const QString kCsvFilter = QStringLiteral("(*.csv)|*.csv|");

bool noneTicked(const Ticks& ticks, MessageBoxes& messages, QWidget* parent)
{
    if (std::any_of(ticks.begin(), ticks.end(), [](bool t) { return t; }))
        return false;
    messages.warn(parent, QStringLiteral("保存する都道府県が指定されていません。　"),
                  QStringLiteral("指定確認"));
    return true;
}

postal::PrefectureSet chosenOf(const Ticks& ticks)
{
    postal::PrefectureSet chosen;
    for (int i = 0; i < postal::kPrefectureCount; ++i) {
        if (ticks[i])
            chosen.add(postal::jisCode(i));
    }
    return chosen;
}

} // namespace

void exportTicked(state::ProgramState& state, const Ticks& ticks, CommonDialog& dialog,
                  MessageBoxes& messages, QWidget* parent)
{
    if (noneTicked(ticks, messages, parent))
        return;
    // Saving "successfully" an empty file would hide that there is nothing to save.
    if (!state.listLoaded()) {
        messages.warn(parent,
                      QStringLiteral("郵便番号一覧が読み込まれていないため、保存できません。　"),
                      QStringLiteral("保存確認"));
        return;
    }

    if (chooseSelectedFile(state, dialog, FileDialogMode::Save, QStringLiteral("保存ﾌｧｲﾙを選択"),
                           kCsvFilter, parent)
            .empty())
        return;

    std::optional<postal::WriteError> error;
    {
        BusyCursor busy;
        error = postal::exportToFile(state.list(), chosenOf(ticks), state.selectedFile());
    }
    if (error) {
        messages.warn(parent,
                      QStringLiteral("指定の都道府県を保存できませんでした。　\n\n") +
                          QString::fromStdString(error->reason()) + QStringLiteral("　"),
                      QStringLiteral("保存確認"));
        return;
    }
    messages.inform(parent, QStringLiteral("指定の都道府県を保存しました。　"),
                    QStringLiteral("保存確認"));
}

void exportTickedOffices(state::ProgramState& state, const Ticks& ticks, CommonDialog& dialog,
                         MessageBoxes& messages, FetchCommand& fetch, QWidget* parent)
{
    if (noneTicked(ticks, messages, parent))
        return;
    const std::filesystem::path folder =
        state::pathFromText(state.settings().text(settings::Setting::FolderName));
    if (!platform::findBusinessList(folder).found) {
        if (fetch.running() ||
            !messages.ask(parent, businessFetchQuestion(state), QStringLiteral("取得確認")))
            return;
        // The ticks as they are now: the save goes on with them once the list is stored.
        fetch.fetchBusinessList([&state, ticks, &dialog, &messages, &fetch, parent] {
            exportTickedOffices(state, ticks, dialog, messages, fetch, parent);
        });
        return;
    }

    if (chooseSelectedFile(state, dialog, FileDialogMode::Save,
                           QStringLiteral("保存ﾌｧｲﾙを選択（事業所）"), kCsvFilter, parent)
            .empty())
        return;

    std::optional<QString> refused;
    std::optional<postal::WriteError> error;
    {
        BusyCursor busy;
        // Read now, not at start-up: it is needed only here.
        const platform::FoundFile found = platform::findBusinessList(folder);
        const postal::ListFileLoad load = postal::loadAnyListFile(found);
        if (load.business)
            error =
                postal::exportBusinessList(*load.business, chosenOf(ticks), state.selectedFile());
        else
            refused =
                QStringLiteral("事業所の個別郵便番号の一覧 「%1」 を読み込めませんでした。　\n\n")
                    .arg(fromPath(found.path)) +
                (load.list ? QStringLiteral("全国版の郵便番号一覧です。")
                           : QString::fromStdString(load.problem())) +
                QStringLiteral("\n\n何も保存していません。　");
    }
    if (refused) {
        messages.warn(parent, *refused, kSaveTitle);
        return;
    }
    if (error) {
        messages.warn(parent,
                      QStringLiteral("指定の都道府県の事業所を保存できませんでした。　\n\n") +
                          QString::fromStdString(error->reason()) + QStringLiteral("　"),
                      kSaveTitle);
        return;
    }
    messages.inform(parent, QStringLiteral("指定の都道府県の事業所を保存しました。　"), kSaveTitle);
}

} // namespace ui
