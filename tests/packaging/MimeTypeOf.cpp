// Prints the type the shared MIME database gives each file named on the
// command line, one a line: what a file manager sees when it picks the
// program to open a file with. XDG_DATA_DIRS says which databases count.

#include <QCoreApplication>
#include <QMimeDatabase>
#include <iostream>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QMimeDatabase types;
    for (int i = 1; i < argc; ++i)
        std::cout << types.mimeTypeForFile(QString::fromLocal8Bit(argv[i])).name().toStdString() << "\n";
    return 0;
}
