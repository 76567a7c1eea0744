#include "res/DialogUnits.h"

#include <QFontMetrics>
#include <QStringList>
#include <QWidget>

QFont DialogFont()
{
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setFamilies(QStringList() << QStringLiteral("ＭＳ Ｐゴシック") << QStringLiteral("MS PGothic")
                                   << QStringLiteral("IPAPGothic") << QStringLiteral("IPAGothic"));
    font.setPointSize(9);
    return font;
}

DialogBaseUnits MeasureBaseUnits(const QFont& font)
{
    static const QString alphabet =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(alphabet);
    return {(width / 26 + 1) / 2, metrics.height()};
}

QRect DialogRect(const DialogBaseUnits& units, int x, int y, int width, int height)
{
    auto toX = [&](int dialogUnits) { return dialogUnits * units.X / 4; };
    auto toY = [&](int dialogUnits) { return dialogUnits * units.Y / 8; };
    return QRect(toX(x), toY(y), toX(width), toY(height));
}

DialogTemplate::DialogTemplate(QWidget& dialog, int width, int height)
{
    dialog.setFont(DialogFont());
    units_ = MeasureBaseUnits(dialog.font());
    dialog.setFixedSize(DialogRect(units_, 0, 0, width, height).size());
}

void DialogTemplate::Place(QWidget* control, const char* name, int x, int y, int width,
                           int height) const
{
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(DialogRect(units_, x, y, width, height));
}
