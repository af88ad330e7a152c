#pragma once
// Why a copy, rename or delete failed, in Japanese, for the warning boxes.

#include "platform/FileOperations.h"

#include <QString>

namespace ui {

enum class FileCommand
{
    Copy,
    Rename,
    Delete
};

// "「a.csv」という名前のファイルまたはフォルダが既にあります。"
QString fileErrorReason(const platform::FileError& error, FileCommand command);

// The whole warning text: what failed, a blank line, the reason; each line
// ends in a full-width blank.
QString fileErrorText(const QString& whatFailed, const platform::FileError& error,
                      FileCommand command);

} // namespace ui
