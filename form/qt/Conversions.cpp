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
