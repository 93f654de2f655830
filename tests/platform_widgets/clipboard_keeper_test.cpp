#include "platform_widgets/clipboard_keeper.h"

#include "platform_widgets/clipboard_formats.h"

#include "support/modal_test_support.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QDataStream>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QTemporaryFile>

#include <fcntl.h>
#include <functional>
#include <memory>
#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

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

// What is kept of a content: data formats only, within the size limit.
TEST(ClipboardKeeper, OnlyDataFormatsWithinTheLimitCross) {
    EnsureApplication();
    const struct {
        const char *format;
        qsizetype size;
        bool kept;
    } cases[] = {
        {"text/plain;charset=utf-8", 10, true},
        {"application/x-color", 8, true},
        {"TARGETS", 8, false},
        {"application/x-qt-image", 4, false},
        {"text/ plain", 4, false},
        {"text/big", kMaxKeptClipboardBytes - 18, true}, // fills what the first two leave
        {"text/more", 1, false},                         // beyond the limit
    };
    QMimeData original;
    for (const auto &c : cases)
        original.setData(QString::fromLatin1(c.format), QByteArray(c.size, 'x'));
    const std::unique_ptr<QMimeData> copy(DeserializeMimeData(SerializeMimeData(original)));
    ASSERT_NE(copy, nullptr);
    for (const auto &c : cases) {
        EXPECT_EQ(copy->hasFormat(QString::fromLatin1(c.format)), c.kept) << c.format;
    }
}

// The keeper's standard input: hostile or endless content ends it with 1,
// without a crash, a hang or memory beyond the limit.
TEST(ClipboardKeeper, KeeperRefusesHostileInput) {
    const QByteArray binary = qgetenv("CALVOR_BINARY");
    if (binary.isEmpty())
        GTEST_SKIP() << "CALVOR_BINARY does not name the built program";
    const auto stream = [](const std::function<void(QDataStream &)> &write) {
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_6_4);
        out << quint32(0x434c564c);
        write(out);
        return bytes;
    };
    // A picture that is a list of lists of lists..., as a decoder of values
    // would follow it down.
    const QByteArray nested = stream([](QDataStream &out) {
        out << qint32(0) << true;
        for (int i = 0; i < 200000; ++i)
            out << quint32(QMetaType::QVariantList) << quint8(0) << quint32(1);
        out << false;
    });
    const QByteArray oversized = stream([](QDataStream &out) {
        out << qint32(1) << QStringLiteral("text/plain")
            << QByteArray(kMaxKeptClipboardBytes + 2 * 1024 * 1024, 'x') << false << false;
    });
    const struct {
        const char *name;
        QByteArray input; // empty: /dev/zero
    } cases[] = {
        {"nested", nested},
        {"oversized", oversized},
        {"endless zeros", QByteArray()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryFile input;
        ASSERT_TRUE(input.open());
        input.write(c.input);
        input.flush();
        const QByteArray path =
            c.input.isEmpty() ? QByteArray("/dev/zero") : QFile::encodeName(input.fileName());
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, path.constData(), O_RDONLY, 0);
        char name[] = "calvor-clipboard-keeper";
        char *argv[] = {name, nullptr};
        pid_t pid = -1;
        ASSERT_EQ(posix_spawn(&pid, binary.constData(), &actions, nullptr, argv, environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        // A keeper that waited for ever would end this test by its time limit.
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status)) << "signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 1);
    }
}

} // namespace
