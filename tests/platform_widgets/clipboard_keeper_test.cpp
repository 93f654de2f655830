#include "platform_widgets/clipboard_keeper.h"

#include "support/modal_test_support.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QMimeData>

#include <memory>

namespace {

TEST(ClipboardKeeper, ContentCrossesWholeAndDamageIsRefused) {
    EnsureApplication();
    QImage image(3, 2, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QMimeData original;
    original.setData(QStringLiteral("text/plain"), "texte copié");
    original.setData(QStringLiteral("text/rtf"), QByteArray("{\\rtf1 \0x}", 10));
    original.setImageData(image);
    original.setColorData(QColor(Qt::blue));
    const QByteArray bytes = SerializeMimeData(original);

    const std::unique_ptr<QMimeData> copy(DeserializeMimeData(bytes));
    ASSERT_NE(copy, nullptr);
    for (const QString &format : {QStringLiteral("text/plain"), QStringLiteral("text/rtf")})
        EXPECT_EQ(copy->data(format), original.data(format)) << format.toStdString();
    EXPECT_EQ(qvariant_cast<QImage>(copy->imageData()), image);
    EXPECT_EQ(qvariant_cast<QColor>(copy->colorData()), QColor(Qt::blue));

    // Cut short, with bytes after the end, or not such a content at all.
    for (const QByteArray &damaged : {bytes.left(bytes.size() - 3), bytes + "x", QByteArray("abc")})
        EXPECT_EQ(std::unique_ptr<QMimeData>(DeserializeMimeData(damaged)), nullptr);
}

} // namespace
