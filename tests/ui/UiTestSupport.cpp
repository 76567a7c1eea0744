#include "tests/ui/UiTestSupport.h"

#include <chrono>
#include <cstdlib>
#include <memory>

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <QWidget>
#include <QtEndian>
#include <gtest/gtest.h>

#include "res/DialogUnits.h"

namespace {

struct ModalWait {
    std::function<void(QWidget&)> action;
    std::chrono::steady_clock::time_point deadline;
};

void TryModal(const std::shared_ptr<ModalWait>& wait)
{
    if (QWidget* dialog = QApplication::activeModalWidget()) {
        wait->action(*dialog);
        return;
    }
    if (std::chrono::steady_clock::now() > wait->deadline) {
        ADD_FAILURE() << "no modal dialog appeared";
        return;
    }
    QTimer::singleShot(20, [wait] { TryModal(wait); });
}

}  // namespace

void WhenModal(std::function<void(QWidget&)> action)
{
    auto wait = std::make_shared<ModalWait>(
        ModalWait{std::move(action), std::chrono::steady_clock::now() + std::chrono::seconds(10)});
    QTimer::singleShot(0, [wait] { TryModal(wait); });
}

QRect TemplateRect(int x, int y, int width, int height)
{
    return DialogRect(MeasureBaseUnits(DialogFont()), x, y, width, height);
}

void ExpectAtTemplatePlace(const QWidget& control, int x, int y, int width, int height)
{
    const QRect expected = TemplateRect(x, y, width, height);
    const QRect actual = control.geometry();
    EXPECT_LE(std::abs(actual.left() - expected.left()), 1) << actual.left();
    EXPECT_LE(std::abs(actual.top() - expected.top()), 1) << actual.top();
    EXPECT_LE(std::abs(actual.width() - expected.width()), 1) << actual.width();
    EXPECT_LE(std::abs(actual.height() - expected.height()), 1) << actual.height();
}

void ExpectTemplateLayout(const QWidget& dialog, int width, int height,
                          std::initializer_list<TemplateControl> controls)
{
    EXPECT_EQ(dialog.size(), TemplateRect(0, 0, width, height).size());
    for (const TemplateControl& row : controls) {
        SCOPED_TRACE(row.name);
        const QWidget* control = dialog.findChild<QWidget*>(QString::fromLatin1(row.name));
        ASSERT_NE(control, nullptr);
        ExpectAtTemplatePlace(*control, row.x, row.y, row.width, row.height);
    }
}

QImage CoordinateImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x % 251, y % 241, 16 + (x / 251) * 8 + (y / 241) * 64));
    image.setPixel(0, 0, qRgb(250, 10, 200));
    return image;
}

std::string WriteBmp(const QString& folder, const QString& name, const QImage& image)
{
    const QString path = QDir(folder).filePath(name);
    EXPECT_TRUE(image.save(path, "BMP")) << path.toStdString();
    return path.toStdString();
}

void WriteFile(const QString& folder, const QString& name, const QByteArray& bytes)
{
    QFile file(QDir(folder).filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray TopDownBmp(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    if (bytes.size() < 54)
        return {};
    auto field = [&bytes](int offset, int size) {
        uint32_t value = 0;
        for (int i = size - 1; i >= 0; --i)
            value = (value << 8) | static_cast<uint8_t>(bytes.at(offset + i));
        return static_cast<int32_t>(value);
    };
    const int32_t pixels = field(10, 4);
    const int32_t height = field(22, 4);
    const int bitsPerPixel = field(28, 2);
    const int rowBytes = (image.width() * bitsPerPixel + 31) / 32 * 4;
    QByteArray flipped = bytes.left(pixels);
    for (int row = height - 1; row >= 0; --row)
        flipped += bytes.mid(pixels + row * rowBytes, rowBytes);
    qToLittleEndian<int32_t>(-height, flipped.data() + 22);
    return flipped;
}

QByteArray BmpHeaderOnly(int32_t width, int32_t height)
{
    QByteArray bytes(54, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    qToLittleEndian<int32_t>(54, bytes.data() + 10);  // pixel data would start here
    qToLittleEndian<int32_t>(40, bytes.data() + 14);
    qToLittleEndian<int32_t>(width, bytes.data() + 18);
    qToLittleEndian<int32_t>(height, bytes.data() + 22);
    qToLittleEndian<int16_t>(1, bytes.data() + 26);
    qToLittleEndian<int16_t>(24, bytes.data() + 28);
    return bytes;
}

QImage Snapshot(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}
