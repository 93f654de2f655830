// The smallest Qt widgets program: it builds its QApplication, lets the
// event loop turn once and ends. The start-up benchmark compares the
// program's own start-up against it.

#include <QApplication>
#include <QTimer>

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    QTimer::singleShot(0, &application, &QCoreApplication::quit);
    return QApplication::exec();
}
