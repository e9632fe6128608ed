// SPDX-License-Identifier: MIT
#include "Conversions.h"

#include <QStringList>

namespace orbelle::formqt {

QString toEditorText(const std::string &text)
{
    QString s = QString::fromStdString(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

std::string fromEditorText(const QString &text)
{
    QString s = text;
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return s.toStdString();
}

std::optional<QString> previewOfLongText(const std::string &text)
{
    // Qt lays out a paragraph as a whole, in time that grows with the
    // square of its length: 16 Ki characters take a twentieth of a second.
    constexpr std::size_t kMaxWhole = kLongestEditableText;
    constexpr std::size_t kMaxLine = 16 * 1024;    // bytes between line breaks
    constexpr qsizetype kPreviewLine = 2 * 1024;   // characters
    constexpr qsizetype kPreviewLines = 100;
    if (text.size() <= kMaxWhole) {
        std::size_t line = 0;
        bool tooLong = false;
        for (const char c : text) {
            line = (c == '\r' || c == '\n') ? 0 : line + 1;
            if (line > kMaxLine) {
                tooLong = true;
                break;
            }
        }
        if (!tooLong)
            return std::nullopt;
    }
    const std::size_t head = std::min<std::size_t>(text.size(), std::size_t(kPreviewLine * kPreviewLines * 3));
    QString begin = toEditorText(text.substr(0, head));
    // A character cut in two at the end is dropped.
    while (head < text.size() && begin.endsWith(QChar::ReplacementCharacter))
        begin.chop(1);
    QStringList lines = begin.split(QLatin1Char('\n'));
    if (lines.size() > kPreviewLines)
        lines.resize(kPreviewLines);
    for (QString &line : lines)
        if (line.size() > kPreviewLine)
            line = line.left(kPreviewLine) + QStringLiteral("…");
    return lines.join(QLatin1Char('\n')) + QStringLiteral("\n\n（長いため、始めの部分だけを表示しています。"
                                                          "全文はそのまま保たれます。）");
}

QFont toQFont(const form::Font &font)
{
    QFont f;
    const QString name = QString::fromStdString(font.Name);
    QStringList families{name};
    if (name.contains(QStringLiteral("ゴシック")) || name.contains(QStringLiteral("Gothic"), Qt::CaseInsensitive)) {
        const bool proportional = name.contains(QStringLiteral("Ｐ")) || name.contains(QStringLiteral("PGothic"));
        if (proportional)
            families << QStringLiteral("MS PGothic") << QStringLiteral("IPAPGothic") << QStringLiteral("IPAexGothic");
        families << QStringLiteral("MS Gothic") << QStringLiteral("IPAGothic") << QStringLiteral("Noto Sans CJK JP")
                 << QStringLiteral("VL PGothic") << QStringLiteral("TakaoPGothic");
    }
    f.setFamilies(families);
    f.setPointSizeF(font.Size > 0 ? font.Size : 9);
    f.setBold(font.Bold);
    return f;
}

} // namespace orbelle::formqt
