#pragma once
// The program's Windows font faces, or an installed Japanese face of the same
// kind where they are missing, so Japanese text always renders.

#include <QFont>
#include <QString>

namespace ui {

// "ＭＳ Ｐゴシック" -> itself when installed, else "Noto Sans CJK JP";
// "ＭＳ ゴシック" -> "Noto Sans Mono CJK JP"; Mincho faces -> "Noto Serif CJK JP".
QString japaneseFamily(const QString& family);
QFont japaneseFont(const QString& family, double pointSize);

} // namespace ui
