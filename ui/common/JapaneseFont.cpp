#include "JapaneseFont.h"

#include <QFontDatabase>
#include <QStringList>

namespace ui {

namespace {

enum class Kind
{
    Proportional,
    Fixed,
    Serif
};

Kind kindOf(const QString& family)
{
    if (family.contains(QStringLiteral("明朝")) ||
        family.contains(QStringLiteral("Mincho"), Qt::CaseInsensitive))
        return Kind::Serif;
    // "ＭＳ ゴシック" is fixed-pitch; its proportional sibling carries "Ｐ".
    if ((family.contains(QStringLiteral("ゴシック")) ||
         family.contains(QStringLiteral("Gothic"), Qt::CaseInsensitive)) &&
        !family.contains(QStringLiteral("Ｐ")) && !family.contains(QStringLiteral("UI")) &&
        !family.contains(QStringLiteral("P Gothic"), Qt::CaseInsensitive))
        return Kind::Fixed;
    return Kind::Proportional;
}

QStringList candidates(Kind kind)
{
    // Windows lists its faces under their English names outside Japan; Yu
    // faces are there where the MS faces (an optional feature) are not.
    switch (kind) {
    case Kind::Serif:
        return {QStringLiteral("MS PMincho"), QStringLiteral("Yu Mincho"),
                QStringLiteral("Noto Serif CJK JP"), QStringLiteral("IPAexMincho"),
                QStringLiteral("IPAMincho"), QStringLiteral("Noto Sans CJK JP")};
    case Kind::Fixed:
        return {QStringLiteral("MS Gothic"), QStringLiteral("BIZ UDGothic"),
                QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("IPAGothic"),
                QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Yu Gothic")};
    case Kind::Proportional:
        break;
    }
    return {QStringLiteral("MS PGothic"), QStringLiteral("MS UI Gothic"),
            QStringLiteral("Yu Gothic UI"), QStringLiteral("Noto Sans CJK JP"),
            QStringLiteral("IPAexGothic"), QStringLiteral("IPAPGothic"),
            QStringLiteral("VL PGothic")};
}

} // namespace

QString japaneseFamily(const QString& family)
{
    // Listed once: each listing asks every installed family for its scripts.
    static const QStringList installed = QFontDatabase::families(QFontDatabase::Japanese);
    if (installed.contains(family, Qt::CaseInsensitive))
        return family;
    for (const QString& candidate : candidates(kindOf(family))) {
        if (installed.contains(candidate, Qt::CaseInsensitive))
            return candidate;
    }
    return family; // the toolkit's own substitution is the last resort
}

QFont japaneseFont(const QString& family, double pointSize)
{
    QFont font(japaneseFamily(family));
    font.setPointSizeF(pointSize);
    font.setWeight(QFont::Normal);
    return font;
}

} // namespace ui
