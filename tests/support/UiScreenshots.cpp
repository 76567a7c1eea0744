// Grabs the L-meter dialog and the font dialog (once per font of a folder)
// into PNG files, for a person to look at.
#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QListWidget>

#include "display/SelectBitmap.h"
#include "lmeter/LMeterDlg.h"

namespace {

void Save(QWidget& dialog, const QString& path)
{
    if (!dialog.grab().save(path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: ui_screenshots <font folder> <output folder>\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString fonts = QString::fromLocal8Bit(argv[1]);
    const QDir out(QString::fromLocal8Bit(argv[2]));

    CLMeterDlg lmeter;
    lmeter.m_dC1 = 0.1;
    lmeter.m_dC2 = 1e-6;
    lmeter.show();
    Save(lmeter, out.filePath(QStringLiteral("lmeter.png")));

    CSelectBitmap select((fonts + QStringLiteral("/*.bmp")).toStdString());
    select.show();
    Save(select, out.filePath(QStringLiteral("font-none.png")));
    auto* list = select.findChild<QListWidget*>(QStringLiteral("list1008"));
    for (int row = 0; row < list->count(); ++row) {
        list->setCurrentRow(row);
        Save(select, out.filePath(QStringLiteral("font-%1.png").arg(list->item(row)->text())));
    }
    return 0;
}
