#include "ExportCommand.h"

#include "CommonDialog.h"
#include "ui/common/MessageBoxes.h"
#include "ui/common/PathText.h"

#include "postal/Export.h"

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

} // namespace

void exportTicked(state::ProgramState& state, const Ticks& ticks, CommonDialog& dialog,
                  MessageBoxes& messages, QWidget* parent)
{
    if (std::none_of(ticks.begin(), ticks.end(), [](bool t) { return t; })) {
        messages.warn(parent, QStringLiteral("保存する都道府県が指定されていません。　"),
                      QStringLiteral("指定確認"));
        return;
    }
    // Saving "successfully" an empty file would hide that there is nothing to save.
    if (!state.listLoaded()) {
        messages.warn(parent,
                      QStringLiteral("郵便番号一覧が読み込まれていないため、保存できません。　"),
                      QStringLiteral("保存確認"));
        return;
    }

    if (chooseSelectedFile(state, dialog, FileDialogMode::Save, QStringLiteral("保存ﾌｧｲﾙを選択"),
                           QStringLiteral("(*.csv)|*.csv|"), parent)
            .empty())
        return;

    postal::PrefectureSet chosen;
    for (int i = 0; i < postal::kPrefectureCount; ++i) {
        if (ticks[i])
            chosen.add(postal::jisCode(i));
    }

    std::optional<postal::WriteError> error;
    {
        BusyCursor busy;
        error = postal::exportToFile(state.list(), chosen, state.selectedFile());
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

} // namespace ui
